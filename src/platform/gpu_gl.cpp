// The drawing device on OpenGL 3.3 core.
//
// The scene is drawn into a 640 by 480 target of its own; Present copies it aside (that
// copy is what ReadFrame returns) and then onto the window, scaled to the drawable with
// its shape kept. One small shader stands in for the fixed-function stage the game was
// written against: texture times vertex colour, or the material's emissive colour when
// lighting is on (no lights ever exist, and the ambient level is 0). Screen vertices
// have their pixel centres on whole coordinates, so the half-pixel shift callers apply
// lands a picture drawn at its own size texel for texel.
#include "platform/gpu_gl.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include <glm/gtc/type_ptr.hpp>

namespace plat {
namespace {

constexpr int kTargetWidth = 640;
constexpr int kTargetHeight = 480;

// The context, shared by the device and everything it made, so a texture or mesh
// released after the device no longer reaches for a context that is gone.
struct GlContext {
  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
  const Texture* texture = nullptr;  // the one set for drawing; forgotten when it goes
  bool MakeCurrent() const { return context != nullptr && SDL_GL_MakeCurrent(window, context) == 0; }
};
using ContextRef = std::shared_ptr<GlContext>;

enum Attribute : GLuint { kAttrPosition = 0, kAttrColour = 1, kAttrUv = 2 };

// Vertex colours are ARGB words, so in memory B, G, R, A: the BGRA layout.
void SetVertexLayout(GLsizei stride, GLint positionSize, size_t colourOffset, size_t uvOffset) {
  glEnableVertexAttribArray(kAttrPosition);
  glVertexAttribPointer(kAttrPosition, positionSize, GL_FLOAT, GL_FALSE, stride, nullptr);
  glEnableVertexAttribArray(kAttrColour);
  glVertexAttribPointer(kAttrColour, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                        reinterpret_cast<const void*>(colourOffset));
  glEnableVertexAttribArray(kAttrUv);
  glVertexAttribPointer(kAttrUv, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(uvOffset));
}

void ClearErrors() {
  for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
  }
}

class GlTexture final : public Texture {
 public:
  GlTexture(ContextRef context, GLuint name, int width, int height)
      : context_(std::move(context)), name_(name), width_(width), height_(height) {}
  ~GlTexture() override {
    if (context_->texture == this) context_->texture = nullptr;
    if (context_->MakeCurrent()) glDeleteTextures(1, &name_);
  }
  GlTexture(const GlTexture&) = delete;
  GlTexture& operator=(const GlTexture&) = delete;
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  GLuint Name() const { return name_; }

 private:
  ContextRef context_;
  GLuint name_;
  int width_, height_;
};

class GlMesh final : public Mesh {
 public:
  GlMesh(ContextRef context, MeshData data) : context_(std::move(context)), data_(std::move(data)) {
    glGenVertexArrays(1, &vao_);
    glGenBuffers(1, &vbo_);
    glGenBuffers(1, &ibo_);
    Upload();
  }
  ~GlMesh() override {
    if (!context_->MakeCurrent()) return;
    glDeleteVertexArrays(1, &vao_);
    glDeleteBuffers(1, &vbo_);
    glDeleteBuffers(1, &ibo_);
  }
  GlMesh(const GlMesh&) = delete;
  GlMesh& operator=(const GlMesh&) = delete;

  const MeshData& Data() const override { return data_; }
  void SetData(MeshData data) override {
    data_ = std::move(data);
    Upload();
  }

  void Draw(uint32_t subset) const {
    if (!valid_ || subset >= data_.subsets.size() || data_.subsets[subset].indexCount == 0) return;
    const MeshSubset& s = data_.subsets[subset];
    glBindVertexArray(vao_);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(s.indexCount), GL_UNSIGNED_INT,
                   reinterpret_cast<const void*>(static_cast<uintptr_t>(s.firstIndex) * sizeof(uint32_t)));
  }

 private:
  // Geometry whose indices or subsets point outside it is kept but never drawn.
  bool Consistent() const {
    for (uint32_t i : data_.indices) {
      if (i >= data_.vertices.size()) return false;
    }
    for (const MeshSubset& s : data_.subsets) {
      if (static_cast<uint64_t>(s.firstIndex) + s.indexCount > data_.indices.size()) return false;
    }
    return true;
  }

  void Upload() {
    valid_ = Consistent();
    glBindVertexArray(vao_);
    glBindBuffer(GL_ARRAY_BUFFER, vbo_);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(data_.vertices.size() * sizeof(MeshVertex)),
                 data_.vertices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo_);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(data_.indices.size() * sizeof(uint32_t)),
                 data_.indices.data(), GL_STATIC_DRAW);
    SetVertexLayout(sizeof(MeshVertex), 3, offsetof(MeshVertex, colour), offsetof(MeshVertex, u));
    glBindVertexArray(0);
  }

  ContextRef context_;
  GLuint vao_ = 0, vbo_ = 0, ibo_ = 0;
  MeshData data_;
  bool valid_ = false;
};

// Screen vertices: pixel centres on whole coordinates, y downward, depth as given,
// reciprocal w kept for perspective-correct texturing. World vertices: row vectors
// through world, view and projection, clip depth 0 to w mapped to GL's -w to w.
constexpr const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec4 aColour;
layout(location = 2) in vec2 aUv;
uniform int uScreen;
uniform mat4 uTransform;
uniform vec4 uViewport;
uniform int uLighting;
uniform vec4 uMaterial;
out vec4 vColour;
out vec2 vUv;
void main() {
  if (uScreen != 0) {
    float w = aPosition.w > 0.0 ? 1.0 / aPosition.w : 1.0;
    vec2 ndc = vec2((aPosition.x + 0.5 - uViewport.x) * uViewport.z - 1.0,
                    1.0 - (aPosition.y + 0.5 - uViewport.y) * uViewport.w);
    gl_Position = vec4(ndc * w, (2.0 * aPosition.z - 1.0) * w, w);
    vColour = aColour;
  } else {
    vec4 clip = uTransform * vec4(aPosition.xyz, 1.0);
    gl_Position = vec4(clip.xy, 2.0 * clip.z - clip.w, clip.w);
    vColour = uLighting != 0 ? uMaterial : aColour;
  }
  vUv = aUv;
}
)";

constexpr const char* kFragmentShader = R"(#version 330 core
in vec4 vColour;
in vec2 vUv;
uniform int uTextured;
uniform sampler2D uTexture;
out vec4 fragColour;
void main() {
  vec4 c = vColour;
  if (uTextured != 0) c *= texture(uTexture, vUv);
  fragColour = c;
}
)";

GLuint CompileShader(GLenum kind, const char* source) {
  const GLuint shader = glCreateShader(kind);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (ok == GL_TRUE) return shader;
  glDeleteShader(shader);
  return 0;
}

GLuint BuildProgram() {
  const GLuint vs = CompileShader(GL_VERTEX_SHADER, kVertexShader);
  const GLuint fs = CompileShader(GL_FRAGMENT_SHADER, kFragmentShader);
  GLuint program = 0;
  if (vs && fs) {
    program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
      glDeleteProgram(program);
      program = 0;
    }
  }
  glDeleteShader(vs);
  glDeleteShader(fs);
  return program;
}

// A framebuffer with one colour renderbuffer and, if asked, a depth renderbuffer.
struct Target {
  GLuint fbo = 0, colour = 0, depth = 0;

  bool Build(GLenum colourFormat, GLenum depthFormat) {
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    colour = Renderbuffer(colourFormat, GL_COLOR_ATTACHMENT0);
    if (depthFormat != GL_NONE) depth = Renderbuffer(depthFormat, GL_DEPTH_ATTACHMENT);
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  }

  void Release() {
    glDeleteFramebuffers(1, &fbo);
    glDeleteRenderbuffers(1, &colour);
    glDeleteRenderbuffers(1, &depth);
    fbo = colour = depth = 0;
  }

 private:
  static GLuint Renderbuffer(GLenum format, GLenum attachment) {
    GLuint name = 0;
    glGenRenderbuffers(1, &name);
    glBindRenderbuffer(GL_RENDERBUFFER, name);
    glRenderbufferStorage(GL_RENDERBUFFER, format, kTargetWidth, kTargetHeight);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, attachment, GL_RENDERBUFFER, name);
    return name;
  }
};

struct Uniforms {
  GLint screen = -1, transform = -1, viewport = -1, lighting = -1, material = -1, textured = -1, texture = -1;
};

class GlDevice final : public Device {
 public:
  explicit GlDevice(ContextRef context) : context_(std::move(context)) {}
  ~GlDevice() override;
  GlDevice(const GlDevice&) = delete;
  GlDevice& operator=(const GlDevice&) = delete;

  bool Init(const DeviceParams& params);

  std::unique_ptr<Texture> CreateTexture(const Image& image) override;
  std::unique_ptr<Mesh> CreateMesh(MeshData data) override;
  void Clear(uint32_t argb, float z) override;
  void BeginScene() override {}
  void EndScene() override {}
  PresentResult Present() override;
  void SetViewport(const Viewport& viewport) override;
  void SetTransform(TransformKind kind, const glm::mat4& m) override { transforms_[static_cast<int>(kind)] = m; }
  glm::mat4 GetTransform(TransformKind kind) const override { return transforms_[static_cast<int>(kind)]; }
  void SetZEnable(bool on) override;
  void SetLighting(bool on) override { lighting_ = on; }
  void SetMaterial(const Material& material) override { material_ = material; }
  void SetTexture(const Texture* texture) override { context_->texture = texture; }
  void SetVertexFormat(VertexFormat format) override { format_ = format; }
  void DrawScreenFan(const ScreenVertex* vertices) override;
  void DrawWorldFan(const WorldVertex* vertices) override;
  void DrawMeshSubset(const Mesh& mesh, uint32_t subset) override;
  Image ReadFrame() override;
  FrameStats LastFrameStats() const override { return lastStats_; }

 private:
  void CountDraw(GLuint texture) {
    ++frameStats_.drawCalls;
    if (texture && std::find(frameTextures_.begin(), frameTextures_.end(), texture) == frameTextures_.end()) {
      frameTextures_.push_back(texture);
    }
  }

  bool BuildTargets(const DeviceParams& params);
  void BuildStreams();
  void Prepare(bool screen, bool textured);
  void ShowOnWindow();

  ContextRef context_;
  GLuint program_ = 0;
  Uniforms u_;
  GLuint screenVao_ = 0, screenVbo_ = 0, worldVao_ = 0, worldVbo_ = 0;
  Target scene_, shown_;
  GLint maxTextureSize_ = 0;

  glm::mat4 transforms_[3] = {glm::mat4(1.0f), glm::mat4(1.0f), glm::mat4(1.0f)};  // world, view, projection
  bool lighting_ = false;
  Material material_{};
  VertexFormat format_ = VertexFormat::None;
  FrameStats frameStats_, lastStats_;
  std::vector<GLuint> frameTextures_;
  GLuint preparedTexture_ = 0;
};

GlDevice::~GlDevice() {
  if (context_->MakeCurrent()) {
    glDeleteProgram(program_);
    glDeleteVertexArrays(1, &screenVao_);
    glDeleteVertexArrays(1, &worldVao_);
    glDeleteBuffers(1, &screenVbo_);
    glDeleteBuffers(1, &worldVbo_);
    scene_.Release();
    shown_.Release();
  }
  SDL_GL_MakeCurrent(context_->window, nullptr);
  SDL_GL_DeleteContext(context_->context);
  context_->context = nullptr;
}

bool GlDevice::Init(const DeviceParams& params) {
  ClearErrors();
  if (epoxy_gl_version() < 33) return false;
  program_ = BuildProgram();
  if (!program_) return false;
  u_.screen = glGetUniformLocation(program_, "uScreen");
  u_.transform = glGetUniformLocation(program_, "uTransform");
  u_.viewport = glGetUniformLocation(program_, "uViewport");
  u_.lighting = glGetUniformLocation(program_, "uLighting");
  u_.material = glGetUniformLocation(program_, "uMaterial");
  u_.textured = glGetUniformLocation(program_, "uTextured");
  u_.texture = glGetUniformLocation(program_, "uTexture");
  glUseProgram(program_);
  glUniform1i(u_.texture, 0);
  BuildStreams();
  if (!BuildTargets(params)) return false;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize_);
  // Both faces drawn, source-alpha blending, depth test less-or-equal with writes.
  glDisable(GL_CULL_FACE);
  glDisable(GL_DITHER);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDepthFunc(GL_LEQUAL);
  glDepthMask(GL_TRUE);
  glEnable(GL_DEPTH_TEST);
  SetViewport(Viewport{});
  SDL_GL_SetSwapInterval(params.vsync ? 1 : 0);  // not every driver can; the game runs either way
  return glGetError() == GL_NO_ERROR;
}

void GlDevice::BuildStreams() {
  glGenVertexArrays(1, &screenVao_);
  glGenBuffers(1, &screenVbo_);
  glBindVertexArray(screenVao_);
  glBindBuffer(GL_ARRAY_BUFFER, screenVbo_);
  SetVertexLayout(sizeof(ScreenVertex), 4, offsetof(ScreenVertex, colour), offsetof(ScreenVertex, u));
  glGenVertexArrays(1, &worldVao_);
  glGenBuffers(1, &worldVbo_);
  glBindVertexArray(worldVao_);
  glBindBuffer(GL_ARRAY_BUFFER, worldVbo_);
  SetVertexLayout(sizeof(WorldVertex), 3, offsetof(WorldVertex, colour), offsetof(WorldVertex, u));
  glBindVertexArray(0);
}

// The scene target takes the back buffer's depth (16-bit colour only in full screen, as
// a display mode would); the presented copy starts black.
bool GlDevice::BuildTargets(const DeviceParams& params) {
  const GLenum depth = params.depth24 ? GL_DEPTH_COMPONENT24 : GL_DEPTH_COMPONENT16;
  const bool colour16 = !params.windowed && !params.colour32;
  bool ok = scene_.Build(colour16 ? GL_RGB565 : GL_RGB8, depth);
  if (!ok && colour16) {
    scene_.Release();
    ok = scene_.Build(GL_RGB8, depth);
  }
  if (!ok || !shown_.Build(GL_RGB8, GL_NONE)) return false;
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glBindFramebuffer(GL_FRAMEBUFFER, scene_.fbo);
  return true;
}

std::unique_ptr<Texture> GlDevice::CreateTexture(const Image& image) {
  if (image.width <= 0 || image.height <= 0 || image.width > maxTextureSize_ || image.height > maxTextureSize_ ||
      image.pixels.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height)) {
    return nullptr;
  }
  ClearErrors();
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  // Point sampling, wrapping addresses, one level.
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, image.width, image.height, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
               image.pixels.data());
  if (glGetError() != GL_NO_ERROR) {
    glDeleteTextures(1, &name);
    return nullptr;
  }
  return std::make_unique<GlTexture>(context_, name, image.width, image.height);
}

std::unique_ptr<Mesh> GlDevice::CreateMesh(MeshData data) {
  ClearErrors();
  auto mesh = std::make_unique<GlMesh>(context_, std::move(data));
  if (glGetError() != GL_NO_ERROR) return nullptr;
  return mesh;
}

void GlDevice::Clear(uint32_t argb, float z) {
  glClearColor(static_cast<float>((argb >> 16) & 0xFF) / 255.0f, static_cast<float>((argb >> 8) & 0xFF) / 255.0f,
               static_cast<float>(argb & 0xFF) / 255.0f, static_cast<float>(argb >> 24) / 255.0f);
  glClearDepth(static_cast<double>(z));
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// The frame is copied aside for ReadFrame before the window gets it.
PresentResult GlDevice::Present() {
  glBindFramebuffer(GL_READ_FRAMEBUFFER, scene_.fbo);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, shown_.fbo);
  glBlitFramebuffer(0, 0, kTargetWidth, kTargetHeight, 0, 0, kTargetWidth, kTargetHeight, GL_COLOR_BUFFER_BIT,
                    GL_NEAREST);
  ShowOnWindow();
  SDL_GL_SwapWindow(context_->window);
  lastStats_ = frameStats_;
  lastStats_.textures = static_cast<int>(frameTextures_.size());
  frameStats_ = {};
  frameTextures_.clear();
  glBindFramebuffer(GL_FRAMEBUFFER, scene_.fbo);
  return PresentResult::Ok;
}

// Scaled to fit the drawable, its shape kept, black around it.
void GlDevice::ShowOnWindow() {
  int dw = kTargetWidth, dh = kTargetHeight;
  SDL_GL_GetDrawableSize(context_->window, &dw, &dh);
  const float scale = std::min(static_cast<float>(dw) / kTargetWidth, static_cast<float>(dh) / kTargetHeight);
  const int w = static_cast<int>(kTargetWidth * scale), h = static_cast<int>(kTargetHeight * scale);
  const int x = (dw - w) / 2, y = (dh - h) / 2;
  glBindFramebuffer(GL_READ_FRAMEBUFFER, shown_.fbo);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  const bool exact = w == kTargetWidth && h == kTargetHeight;
  glBlitFramebuffer(0, 0, kTargetWidth, kTargetHeight, x, y, x + w, y + h, GL_COLOR_BUFFER_BIT,
                    exact ? GL_NEAREST : GL_LINEAR);
}

Image GlDevice::ReadFrame() {
  std::vector<uint32_t> raw(static_cast<size_t>(kTargetWidth) * kTargetHeight);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, shown_.fbo);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, kTargetWidth, kTargetHeight, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, raw.data());
  glBindFramebuffer(GL_READ_FRAMEBUFFER, scene_.fbo);
  Image frame;
  frame.width = kTargetWidth;
  frame.height = kTargetHeight;
  frame.pixels.resize(raw.size());
  // GL rows run bottom first; the back buffer has no alpha of its own.
  for (int y = 0; y < kTargetHeight; ++y) {
    const uint32_t* src = &raw[static_cast<size_t>(kTargetHeight - 1 - y) * kTargetWidth];
    uint32_t* dst = &frame.pixels[static_cast<size_t>(y) * kTargetWidth];
    for (int x = 0; x < kTargetWidth; ++x) dst[x] = src[x] | 0xFF000000u;
  }
  return frame;
}

void GlDevice::SetViewport(const Viewport& v) {
  if (v.width <= 0 || v.height <= 0) return;
  glViewport(v.x, kTargetHeight - v.y - v.height, v.width, v.height);
  glDepthRange(static_cast<double>(v.minZ), static_cast<double>(v.maxZ));
  glUniform4f(u_.viewport, static_cast<float>(v.x), static_cast<float>(v.y), 2.0f / static_cast<float>(v.width),
              2.0f / static_cast<float>(v.height));
}

// Off means neither testing nor writing, as GL does with the test disabled.
void GlDevice::SetZEnable(bool on) {
  if (on) {
    glEnable(GL_DEPTH_TEST);
  } else {
    glDisable(GL_DEPTH_TEST);
  }
}

void GlDevice::Prepare(bool screen, bool textured) {
  glUniform1i(u_.screen, screen ? 1 : 0);
  if (!screen) {
    // Row vectors: v x World x View x Projection, which glm writes the other way round.
    const glm::mat4 m = GetTransform(TransformKind::Projection) * GetTransform(TransformKind::View) *
                        GetTransform(TransformKind::World);
    glUniformMatrix4fv(u_.transform, 1, GL_FALSE, glm::value_ptr(m));
  }
  glUniform1i(u_.lighting, !screen && lighting_ ? 1 : 0);
  const auto clamp = [](float c) { return std::clamp(c, 0.0f, 1.0f); };
  glUniform4f(u_.material, clamp(material_.emissive.r), clamp(material_.emissive.g), clamp(material_.emissive.b),
              clamp(material_.diffuse.a));
  const auto* texture = textured ? dynamic_cast<const GlTexture*>(context_->texture) : nullptr;
  preparedTexture_ = texture ? texture->Name() : 0;
  glBindTexture(GL_TEXTURE_2D, preparedTexture_);
  glUniform1i(u_.textured, texture ? 1 : 0);
}

void GlDevice::DrawScreenFan(const ScreenVertex* vertices) {
  Prepare(true, true);
  glBindVertexArray(screenVao_);
  glBindBuffer(GL_ARRAY_BUFFER, screenVbo_);
  glBufferData(GL_ARRAY_BUFFER, sizeof(ScreenVertex) * 4, vertices, GL_STREAM_DRAW);
  glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
  CountDraw(preparedTexture_);
}

void GlDevice::DrawWorldFan(const WorldVertex* vertices) {
  Prepare(false, format_ != VertexFormat::WorldColoured);
  glBindVertexArray(worldVao_);
  glBindBuffer(GL_ARRAY_BUFFER, worldVbo_);
  glBufferData(GL_ARRAY_BUFFER, sizeof(WorldVertex) * 4, vertices, GL_STREAM_DRAW);
  glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
  CountDraw(preparedTexture_);
}

void GlDevice::DrawMeshSubset(const Mesh& mesh, uint32_t subset) {
  const auto* glMesh = dynamic_cast<const GlMesh*>(&mesh);
  if (!glMesh) return;
  Prepare(false, format_ != VertexFormat::WorldColoured);
  glMesh->Draw(subset);
  CountDraw(preparedTexture_);
}

// Core 3.3 first; failing that, whatever the driver gives, which Init then checks.
SDL_GLContext CreateContext(SDL_Window* window) {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GLContext context = SDL_GL_CreateContext(window);
  if (!context) {
    SDL_GL_ResetAttributes();
    context = SDL_GL_CreateContext(window);
  }
  if (context && SDL_GL_MakeCurrent(window, context) != 0) {
    SDL_GL_DeleteContext(context);
    context = nullptr;
  }
  return context;
}

}  // namespace

std::unique_ptr<Device> CreateGlDevice(SDL_Window* window, const DeviceParams& params) {
  if (!window) return nullptr;
  auto context = std::make_shared<GlContext>();
  context->window = window;
  context->context = CreateContext(window);
  if (!context->context) return nullptr;
  auto device = std::make_unique<GlDevice>(context);
  if (!device->Init(params)) return nullptr;  // the destructor tidies up and drops the context
  return device;
}

}  // namespace plat

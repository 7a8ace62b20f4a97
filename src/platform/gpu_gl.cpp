// The drawing device on OpenGL 3.3 core.
//
// The scene is drawn into one of two 640 by 480 targets of its own; Present draws it onto
// the window as one quad, scaled to the drawable with its shape kept, and the next frame
// is drawn into the other target, so the one just shown stays for ReadFrame. (A frame
// buffer blit would do the same, but software OpenGL builds a whole blitter for it on
// the first frame, some 30 ms of start-up.) One small shader stands in for the fixed-function stage the game was
// written against: texture times vertex colour, or the material's emissive colour when
// lighting is on (no lights ever exist, and the ambient level is 0). Screen vertices
// have their pixel centres on whole coordinates, so the half-pixel shift callers apply
// lands a picture drawn at its own size texel for texel.
//
// The game asks for one quad or one mesh subset at a time, some 1,000 of them in a field
// frame. Each texture is a layer of a texture array that all textures of its size share,
// and quads and mesh subsets stream through one ring buffer, so those that follow one
// another with the same depth state and texture array go to GL in one call even when
// their textures, transforms, lighting and materials differ: the layer travels with each
// vertex, and so does the index of its transform and material in a small table the
// batch carries. Nothing is reordered: faces of the same depth and translucent faces land
// in the order they were asked for, each vertex goes through the same matrix as drawn on
// its own, and the picture is the one separate draws give. State GL already holds is not
// set again.
//
// A glowing mesh (the effect shapes) is shaded vertex by vertex as it goes into the
// stream, from its normals and the eye, and its batch blends premultiplied colour and
// writes no depth.
#include "platform/gpu_gl.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <glm/geometric.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <glm/matrix.hpp>
#include <string>
#include <vector>

#include "platform/problem.h"
#include "platform/window.h"

namespace plat {
namespace {

constexpr int kTargetWidth = 640;
constexpr int kTargetHeight = 480;

bool g_batching = true;

class GlDevice;

// The context, shared by the device and everything it made, so a texture or mesh
// released after the device no longer reaches for a context that is gone.
struct GlContext {
  SDL_Window* window = nullptr;
  SDL_GLContext context = nullptr;
  const Texture* texture = nullptr;  // the one set for drawing; forgotten when it goes
  GlDevice* device = nullptr;        // the device drawing on it, while there is one
  bool MakeCurrent() const { return context != nullptr && SDL_GL_MakeCurrent(window, context) == 0; }
};
using ContextRef = std::shared_ptr<GlContext>;

enum Attribute : GLuint { kAttrPosition = 0, kAttrColour = 1, kAttrUv = 2, kAttrLayer = 3, kAttrDraw = 4 };

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

// A glowing vertex from its own colour and how squarely it faces the eye (1 head on, 0
// edge on), premultiplied, as glowing batches blend: it covers what lies behind it
// by its alpha and adds light of its own on top. Head on it covers little and mostly
// lights, so what lies behind or inside shows through, tinted and brightened rather
// than dimmed; toward the rim it thickens and pales toward white, a shell of light of
// its own hue. Both faces are drawn, so the far side's rim shows through the near.
constexpr float kGlowFacingCover = 0.16f;
constexpr float kGlowFacingLight = 0.2f;
constexpr float kGlowRimWhite = 0.5f;

uint32_t GlowColour(uint32_t argb, float facing) {
  const float rim = 1.0f - facing;
  const float edge = rim * rim;
  const float strength = static_cast<float>(argb >> 24) / 255.0f;
  const float cover = strength * (kGlowFacingCover + (1.0f - kGlowFacingCover) * edge);
  const float light = strength * kGlowFacingLight * (1.0f - edge);
  const float white = kGlowRimWhite * edge * rim;
  uint32_t out = static_cast<uint32_t>(cover * 255.0f + 0.5f) << 24;
  for (const int shift : {16, 8, 0}) {
    const auto c = static_cast<float>((argb >> shift) & 0xFFu);
    const float lit = (c + (255.0f - c) * white) * (cover + light);
    out |= static_cast<uint32_t>(std::min(lit, 255.0f) + 0.5f) << shift;
  }
  return out;
}

// One vertex of the stream: screen vertices keep their reciprocal w in the fourth
// coordinate, world vertices have 1 there; the layer is the texture's in its array, the
// draw the entry of the batch's table holding a world vertex's transform and material.
struct StreamVertex {
  float x, y, z, w;
  uint32_t colour;
  float u, v;
  float layer;
  float draw;
};
static_assert(sizeof(StreamVertex) == 36);

// The rings vertices and indices stream through; a field frame takes about 150 kB of
// vertices, a battle's with its models nearer a megabyte. A batch takes at most half of
// each, so a ring is renewed only between batches.
constexpr size_t kStreamBytes = size_t{1} << 20;
constexpr size_t kIndexBytes = size_t{256} << 10;
constexpr size_t kMaxBatchVertices = kStreamBytes / 2 / sizeof(StreamVertex);
constexpr size_t kMaxBatchIndices = kIndexBytes / 2 / sizeof(uint32_t);
// The transforms and materials one batch can carry: the shader's tables hold this many,
// and one bit of an int each says whether an entry is lit.
constexpr int kMaxBatchDraws = 16;
static_assert(kMaxBatchDraws < 32);
// Textures up to this many bytes share arrays with others of their size, which grow
// this many layers at a time; a larger texture has an array to itself.
constexpr size_t kSharedLayerBytes = 256 * 256 * 4;
constexpr int kLayersPerGrowth = 4;

bool SharedSize(int width, int height) {
  return static_cast<size_t>(width) * static_cast<size_t>(height) * 4 <= kSharedLayerBytes;
}

// A texture array and which of its layers are taken.
struct TexturePage {
  GLuint name = 0;
  int width = 0, height = 0;
  std::vector<bool> taken;
  bool Empty() const { return std::find(taken.begin(), taken.end(), true) == taken.end(); }
};
using PageRef = std::shared_ptr<TexturePage>;

class GlTexture final : public Texture {
 public:
  GlTexture(ContextRef context, PageRef page, int layer)
      : context_(std::move(context)), page_(std::move(page)), layer_(layer) {}
  ~GlTexture() override;
  GlTexture(const GlTexture&) = delete;
  GlTexture& operator=(const GlTexture&) = delete;
  int Width() const override { return page_->width; }
  int Height() const override { return page_->height; }
  GLuint Array() const { return page_->name; }
  int Layer() const { return layer_; }

 private:
  ContextRef context_;
  PageRef page_;
  int layer_;
};

class GlMesh final : public Mesh {
 public:
  GlMesh(ContextRef context, MeshData data);
  ~GlMesh() override;
  GlMesh(const GlMesh&) = delete;
  GlMesh& operator=(const GlMesh&) = delete;

  const MeshData& Data() const override { return data_; }
  void SetData(MeshData data) override {
    data_ = std::move(data);
    Upload();
  }

  GLuint Vao() const { return vao_; }
  bool Drawable(uint32_t subset) const {
    return valid_ && subset < data_.subsets.size() && data_.subsets[subset].indexCount != 0;
  }
  // The vertices a drawable subset's indices reach: first and last.
  std::pair<uint32_t, uint32_t> SubsetVertices(uint32_t subset) const { return ranges_[subset]; }
  // With this mesh's vertex array bound.
  void DrawSubset(uint32_t subset) const {
    const MeshSubset& s = data_.subsets[subset];
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(s.indexCount), GL_UNSIGNED_INT,
                   reinterpret_cast<const void*>(static_cast<uintptr_t>(s.firstIndex) * sizeof(uint32_t)));
  }

 private:
  // Geometry whose indices or subsets point outside it is kept but never drawn.
  bool Consistent() {
    for (uint32_t i : data_.indices) {
      if (i >= data_.vertices.size()) return false;
    }
    ranges_.clear();
    for (const MeshSubset& s : data_.subsets) {
      if (static_cast<uint64_t>(s.firstIndex) + s.indexCount > data_.indices.size()) return false;
      const auto first = data_.indices.begin() + s.firstIndex;
      const auto [lo, hi] = std::minmax_element(first, first + s.indexCount);
      ranges_.emplace_back(s.indexCount ? *lo : 0, s.indexCount ? *hi : 0);
    }
    return true;
  }
  void Upload();

  ContextRef context_;
  GLuint vao_ = 0, vbo_ = 0, ibo_ = 0;
  MeshData data_;
  std::vector<std::pair<uint32_t, uint32_t>> ranges_;
  bool valid_ = false;
};

// Screen vertices: pixel centres on whole coordinates, y downward, depth as given,
// reciprocal w kept for perspective-correct texturing. World vertices: row vectors
// through world, view and projection, clip depth 0 to w mapped to GL's -w to w.
constexpr const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec4 aColour;
layout(location = 2) in vec2 aUv;
layout(location = 3) in float aLayer;
layout(location = 4) in float aDraw;
uniform int uScreen;
uniform mat4 uTransforms[16];  // kMaxBatchDraws
uniform vec4 uMaterials[16];
uniform int uLit;
uniform vec4 uViewport;
out vec4 vColour;
out vec2 vUv;
flat out float vLayer;
void main() {
  if (uScreen != 0) {
    float w = aPosition.w > 0.0 ? 1.0 / aPosition.w : 1.0;
    vec2 ndc = vec2((aPosition.x + 0.5 - uViewport.x) * uViewport.z - 1.0,
                    1.0 - (aPosition.y + 0.5 - uViewport.y) * uViewport.w);
    gl_Position = vec4(ndc * w, (2.0 * aPosition.z - 1.0) * w, w);
    vColour = aColour;
  } else {
    int d = int(aDraw);
    vec4 clip = uTransforms[d] * vec4(aPosition.xyz, 1.0);
    gl_Position = vec4(clip.xy, 2.0 * clip.z - clip.w, clip.w);
    vColour = ((uLit >> d) & 1) != 0 ? uMaterials[d] : aColour;
  }
  vUv = aUv;
  vLayer = aLayer;
}
)";

constexpr const char* kFragmentShader = R"(#version 330 core
in vec4 vColour;
in vec2 vUv;
flat in float vLayer;
uniform int uTextured;
uniform sampler2DArray uTexture;
out vec4 fragColour;
void main() {
  vec4 c = vColour;
  if (uTextured != 0) c *= texture(uTexture, vec3(vUv, vLayer));
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

// Two framebuffers sharing one depth renderbuffer (every frame starts by clearing it),
// each with a colour texture that Present samples: a one-layer array, as the shader
// samples every texture.
struct Targets {
  GLuint fbo[2] = {}, colour[2] = {}, depth = 0;

  bool Build(GLenum colourFormat, GLenum depthFormat) {
    glGenRenderbuffers(1, &depth);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, depthFormat, kTargetWidth, kTargetHeight);
    glGenFramebuffers(2, fbo);
    glGenTextures(2, colour);
    for (int i = 0; i < 2; ++i) {
      glBindTexture(GL_TEXTURE_2D_ARRAY, colour[i]);
      glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
      glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
      glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
      glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
      glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAX_LEVEL, 0);
      glTexImage3D(GL_TEXTURE_2D_ARRAY, 0, static_cast<GLint>(colourFormat), kTargetWidth, kTargetHeight, 1, 0, GL_RGB,
                   GL_UNSIGNED_BYTE, nullptr);
      glBindFramebuffer(GL_FRAMEBUFFER, fbo[i]);
      glFramebufferTextureLayer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, colour[i], 0, 0);
      glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
      if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return false;
    }
    glBindTexture(GL_TEXTURE_2D_ARRAY, 0);
    return true;
  }

  void Release() {
    glDeleteFramebuffers(2, fbo);
    glDeleteTextures(2, colour);
    glDeleteRenderbuffers(1, &depth);
    *this = Targets{};
  }
};

struct Uniforms {
  GLint screen = -1, transforms = -1, materials = -1, lit = -1, viewport = -1, textured = -1, texture = -1;
};

// What GL was last given, so the same value is not set twice. Unknown at first.
struct AppliedState {
  int screen = -1, textured = -1;
  GLuint texture = ~0u;
  GLuint vao = ~0u;
  float layer = -1.0f;  // the layer a mesh drawn from its own buffers samples
  int depthWrites = -1;
  int glowBlend = -1;  // glowing colours come premultiplied
};

// What a world vertex goes through: projection x view x world, and the material's
// colour when lit (no lights exist: the emissive colour, alpha from the diffuse).
struct WorldDraw {
  glm::mat4 transform{1.0f};
  glm::vec4 material{0.0f};
  bool lit = false;
  bool operator==(const WorldDraw&) const = default;
};

class GlDevice final : public Device {
 public:
  explicit GlDevice(ContextRef context) : context_(std::move(context)) { context_->device = this; }
  ~GlDevice() override;
  GlDevice(const GlDevice&) = delete;
  GlDevice& operator=(const GlDevice&) = delete;

  bool Init(const DeviceParams& params);

  std::unique_ptr<Texture> CreateTexture(const Image& image) override;
  void ReserveTextures(int width, int height, int count) override;
  std::unique_ptr<Mesh> CreateMesh(MeshData data) override;
  void Clear(uint32_t argb, float z) override;
  void BeginScene() override {}
  void EndScene() override {}
  PresentResult Present() override;
  void SetViewport(const Viewport& viewport) override;
  void SetTransform(TransformKind kind, const glm::mat4& m) override;
  glm::mat4 GetTransform(TransformKind kind) const override { return transforms_[static_cast<int>(kind)]; }
  void SetZEnable(bool on) override;
  void SetLighting(bool on) override;
  void SetMaterial(const Material& material) override;
  void SetTexture(const Texture* texture) override { context_->texture = texture; }
  void SetVertexFormat(VertexFormat format) override { format_ = format; }
  void SetGlow(bool on) override { glow_ = on; }
  void DrawScreenFan(const ScreenVertex* vertices) override;
  void DrawWorldFan(const WorldVertex* vertices) override;
  void DrawMeshSubset(const Mesh& mesh, uint32_t subset) override;
  Image ReadFrame() override;
  FrameStats LastFrameStats() const override { return lastStats_; }
  ShownPicture LastShown() const override { return shown_; }

  // A texture gives its layer back; an array left empty goes.
  void ReleaseLayer(TexturePage& page, int layer);
  // A mesh bound or deleted a vertex array behind the device's back.
  void ForgetVertexArray() { applied_.vao = ~0u; }

 private:
  // What a waiting batch shares: all of it must match for a quad or a subset to join.
  struct Batch {
    bool screen = false;
    GLuint array = 0;   // 0: untextured
    bool glow = false;  // premultiplied, drawn without writing depth
    bool operator==(const Batch&) const = default;
  };

  bool BuildTargets(const DeviceParams& params);
  bool BuildStream();
  const GlTexture* DrawTexture(bool screen) const;
  float Queue(const Batch& batch, size_t vertices, size_t indices);
  float CurrentDraw();
  StreamVertex* QueueQuad(const Batch& batch, float* draw);
  void DrawMeshOnItsOwn(const GlMesh& mesh, uint32_t subset, const GlTexture* texture);
  void ShadeGlow(StreamVertex* out, const MeshVertex* in, size_t count) const;
  void Flush();
  void ApplyState(const Batch& batch);
  void ApplyDepthWrites(bool on);
  void ApplyDraws(const WorldDraw* draws, size_t count);
  void BindTexture(GLuint array);
  void BindVertexArray(GLuint vao);
  void CountDraw(GLuint array);
  bool TakeLayer(const Image& image, PageRef* page, int* layer, bool* uploaded);
  PageRef NewPage(int width, int height, int layers, const void* pixels = nullptr);
  bool Grow(TexturePage& page, int layers);
  void ShowOnWindow();
  void ApplyViewport();
  void Stream(const StreamVertex* vertices, size_t count, const uint32_t* indices, size_t indexCount);

  ContextRef context_;
  GLuint program_ = 0;
  Uniforms u_;
  GLuint streamVao_ = 0, streamVbo_ = 0, streamIbo_ = 0;
  size_t streamUsed_ = 0, indicesUsed_ = 0;  // bytes of each ring written since it was last renewed
  Targets targets_;
  int drawing_ = 0;  // the target this frame is drawn into; the other holds the last one shown
  GLint maxTextureSize_ = 0, maxLayers_ = 0;
  std::vector<PageRef> pages_;

  glm::mat4 transforms_[3] = {glm::mat4(1.0f), glm::mat4(1.0f), glm::mat4(1.0f)};  // world, view, projection
  bool lighting_ = false;
  Material material_{};
  VertexFormat format_ = VertexFormat::None;
  bool glow_ = false;
  bool zEnable_ = true;
  Viewport viewport_{};
  GLint presentFilter_[2] = {GL_NEAREST, GL_NEAREST};  // each target's, as last sampled
  ShownPicture shown_{};

  Batch batch_;
  std::vector<StreamVertex> waiting_;     // the vertices of the batch
  std::vector<uint32_t> waitingIndices_;  // its triangles, counted from its first vertex
  std::vector<WorldDraw> draws_;          // the transforms and materials its world vertices take
  bool drawCurrent_ = false;              // the last of draws_ is the state as it stands
  AppliedState applied_;

  FrameStats frameStats_, lastStats_;
  std::vector<GLuint> frameTextures_;
};

GlTexture::~GlTexture() {
  if (context_->texture == this) context_->texture = nullptr;
  if (context_->device && context_->MakeCurrent()) context_->device->ReleaseLayer(*page_, layer_);
}

GlMesh::GlMesh(ContextRef context, MeshData data) : context_(std::move(context)), data_(std::move(data)) {
  glGenVertexArrays(1, &vao_);
  glGenBuffers(1, &vbo_);
  glGenBuffers(1, &ibo_);
  Upload();
}

GlMesh::~GlMesh() {
  if (!context_->MakeCurrent()) return;
  glDeleteVertexArrays(1, &vao_);
  glDeleteBuffers(1, &vbo_);
  glDeleteBuffers(1, &ibo_);
  if (context_->device) context_->device->ForgetVertexArray();
}

void GlMesh::Upload() {
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
  if (context_->device) context_->device->ForgetVertexArray();
}

GlDevice::~GlDevice() {
  if (context_->MakeCurrent()) {
    for (const PageRef& page : pages_) glDeleteTextures(1, &page->name);
    glDeleteProgram(program_);
    glDeleteVertexArrays(1, &streamVao_);
    glDeleteBuffers(1, &streamVbo_);
    glDeleteBuffers(1, &streamIbo_);
    targets_.Release();
  }
  context_->device = nullptr;
  SDL_GL_MakeCurrent(context_->window, nullptr);
  SDL_GL_DeleteContext(context_->context);
  context_->context = nullptr;
}

bool GlDevice::Init(const DeviceParams& params) {
  ClearErrors();
  if (epoxy_gl_version() < 33) {
    NoteProblem("OpenGL", "version " + std::to_string(epoxy_gl_version() / 10) + "." +
                              std::to_string(epoxy_gl_version() % 10) + " found, 3.3 needed");
    return false;
  }
  program_ = BuildProgram();
  if (!program_) {
    NoteProblem("OpenGL", "the shaders did not build");
    return false;
  }
  u_.screen = glGetUniformLocation(program_, "uScreen");
  u_.transforms = glGetUniformLocation(program_, "uTransforms");
  u_.materials = glGetUniformLocation(program_, "uMaterials");
  u_.lit = glGetUniformLocation(program_, "uLit");
  u_.viewport = glGetUniformLocation(program_, "uViewport");
  u_.textured = glGetUniformLocation(program_, "uTextured");
  u_.texture = glGetUniformLocation(program_, "uTexture");
  glUseProgram(program_);
  glUniform1i(u_.texture, 0);
  if (!BuildStream() || !BuildTargets(params)) {
    NoteProblem("OpenGL", "the vertex buffers or the render target could not be made");
    return false;
  }
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize_);
  glGetIntegerv(GL_MAX_ARRAY_TEXTURE_LAYERS, &maxLayers_);
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

// The rings vertices and indices stream through. A mesh drawn from its own buffers
// takes the first entry of the table.
bool GlDevice::BuildStream() {
  glGenVertexArrays(1, &streamVao_);
  glGenBuffers(1, &streamVbo_);
  glGenBuffers(1, &streamIbo_);
  glBindVertexArray(streamVao_);
  glBindBuffer(GL_ARRAY_BUFFER, streamVbo_);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(kStreamBytes), nullptr, GL_STREAM_DRAW);
  SetVertexLayout(sizeof(StreamVertex), 4, offsetof(StreamVertex, colour), offsetof(StreamVertex, u));
  glEnableVertexAttribArray(kAttrLayer);
  glVertexAttribPointer(kAttrLayer, 1, GL_FLOAT, GL_FALSE, sizeof(StreamVertex),
                        reinterpret_cast<const void*>(offsetof(StreamVertex, layer)));
  glEnableVertexAttribArray(kAttrDraw);
  glVertexAttribPointer(kAttrDraw, 1, GL_FLOAT, GL_FALSE, sizeof(StreamVertex),
                        reinterpret_cast<const void*>(offsetof(StreamVertex, draw)));
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, streamIbo_);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(kIndexBytes), nullptr, GL_STREAM_DRAW);
  glVertexAttrib1f(kAttrDraw, 0.0f);
  applied_.vao = streamVao_;
  waiting_.reserve(kMaxBatchVertices);
  waitingIndices_.reserve(kMaxBatchIndices);
  draws_.reserve(kMaxBatchDraws);
  return glGetError() == GL_NO_ERROR;
}

// The targets take the back buffer's depth (16-bit colour only in full screen, as a
// display mode would); the one standing for the last frame shown starts black.
bool GlDevice::BuildTargets(const DeviceParams& params) {
  const GLenum depth = params.depth24 ? GL_DEPTH_COMPONENT24 : GL_DEPTH_COMPONENT16;
  const bool colour16 = !params.windowed && !params.colour32;
  bool ok = targets_.Build(colour16 ? GL_RGB565 : GL_RGB8, depth);
  if (!ok && colour16) {
    targets_.Release();
    ok = targets_.Build(GL_RGB8, depth);
  }
  if (!ok) return false;
  applied_.texture = ~0u;
  glBindFramebuffer(GL_FRAMEBUFFER, targets_.fbo[1 - drawing_]);
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glBindFramebuffer(GL_FRAMEBUFFER, targets_.fbo[drawing_]);
  return true;
}

// Point sampling, wrapping addresses, one level: the same for every array. A page made
// for one picture takes its pixels as it is made.
PageRef GlDevice::NewPage(int width, int height, int layers, const void* pixels) {
  auto page = std::make_shared<TexturePage>();
  page->width = width;
  page->height = height;
  glGenTextures(1, &page->name);
  BindTexture(page->name);
  glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_T, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAX_LEVEL, 0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexImage3D(GL_TEXTURE_2D_ARRAY, 0, GL_RGBA8, width, height, layers, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
               pixels);
  page->taken.assign(static_cast<size_t>(layers), false);
  return page;
}

// A full array moves into a larger one, its layers copied across: read back and sent
// again, which is why start-up reserves each size's room before its pictures come.
bool GlDevice::Grow(TexturePage& page, int layers) {
  const int held = static_cast<int>(page.taken.size());
  const int grown = std::min(layers, static_cast<int>(maxLayers_));
  if (grown <= held) return false;
  Flush();  // waiting quads may sample the old array
  std::vector<uint32_t> pixels(static_cast<size_t>(page.width) * static_cast<size_t>(page.height) *
                               static_cast<size_t>(held));
  BindTexture(page.name);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glGetTexImage(GL_TEXTURE_2D_ARRAY, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels.data());
  const PageRef larger = NewPage(page.width, page.height, grown);
  glTexSubImage3D(GL_TEXTURE_2D_ARRAY, 0, 0, 0, 0, page.width, page.height, held, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                  pixels.data());
  glDeleteTextures(1, &page.name);
  page.name = larger->name;
  page.taken.resize(static_cast<size_t>(grown), false);
  return glGetError() == GL_NO_ERROR;
}

void GlDevice::ReserveTextures(int width, int height, int count) {
  if (width <= 0 || height <= 0 || width > maxTextureSize_ || height > maxTextureSize_ || count <= 0 ||
      !SharedSize(width, height)) {
    return;
  }
  ClearErrors();
  int free = 0;
  PageRef page;
  for (const PageRef& p : pages_) {
    if (p->width != width || p->height != height) continue;
    free += static_cast<int>(std::count(p->taken.begin(), p->taken.end(), false));
    page = p;
  }
  if (free >= count) return;
  if (page) {
    Grow(*page, static_cast<int>(page->taken.size()) + count - free);
    return;
  }
  page = NewPage(width, height, std::min(count, static_cast<int>(maxLayers_)));
  if (glGetError() != GL_NO_ERROR) {
    glDeleteTextures(1, &page->name);
    BindTexture(0);
    return;
  }
  pages_.push_back(page);
}

// A picture of a shared size takes a free layer, growing its array when none is left;
// a larger one gets an array of its own, made with its pixels.
bool GlDevice::TakeLayer(const Image& image, PageRef* page, int* layer, bool* uploaded) {
  const int width = image.width, height = image.height;
  const bool shared = SharedSize(width, height);
  PageRef found;
  if (shared) {
    for (const PageRef& p : pages_) {
      if (p->width != width || p->height != height) continue;
      if (std::find(p->taken.begin(), p->taken.end(), false) != p->taken.end() ||
          Grow(*p, static_cast<int>(p->taken.size()) + kLayersPerGrowth)) {
        found = p;
        break;
      }
    }
  }
  *uploaded = false;
  if (!found) {
    found = shared ? NewPage(width, height, kLayersPerGrowth) : NewPage(width, height, 1, image.pixels.data());
    if (glGetError() != GL_NO_ERROR) {
      glDeleteTextures(1, &found->name);
      BindTexture(0);
      return false;
    }
    *uploaded = !shared;
    pages_.push_back(found);
  }
  const auto free = std::find(found->taken.begin(), found->taken.end(), false);
  *layer = static_cast<int>(free - found->taken.begin());
  *free = true;
  *page = found;
  return true;
}

void GlDevice::ReleaseLayer(TexturePage& page, int layer) {
  Flush();
  page.taken[static_cast<size_t>(layer)] = false;
  if (!page.Empty()) return;
  glDeleteTextures(1, &page.name);
  if (applied_.texture == page.name) applied_.texture = ~0u;
  std::erase_if(pages_, [&page](const PageRef& p) { return p.get() == &page; });
}

std::unique_ptr<Texture> GlDevice::CreateTexture(const Image& image) {
  if (image.width <= 0 || image.height <= 0 || image.width > maxTextureSize_ || image.height > maxTextureSize_ ||
      image.pixels.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height)) {
    return nullptr;
  }
  ClearErrors();
  PageRef page;
  int layer = 0;
  bool uploaded = false;
  if (!TakeLayer(image, &page, &layer, &uploaded)) return nullptr;
  auto texture = std::make_unique<GlTexture>(context_, page, layer);
  if (!uploaded) {
    BindTexture(page->name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexSubImage3D(GL_TEXTURE_2D_ARRAY, 0, 0, 0, layer, image.width, image.height, 1, GL_BGRA,
                    GL_UNSIGNED_INT_8_8_8_8_REV, image.pixels.data());
  }
  if (glGetError() != GL_NO_ERROR) return nullptr;  // the texture gives its layer back
  return texture;
}

std::unique_ptr<Mesh> GlDevice::CreateMesh(MeshData data) {
  ClearErrors();
  auto mesh = std::make_unique<GlMesh>(context_, std::move(data));
  if (glGetError() != GL_NO_ERROR) return nullptr;
  return mesh;
}

// A glowing shape's batch leaves depth writes off, and GL clears only what it may write.
void GlDevice::Clear(uint32_t argb, float z) {
  Flush();
  ApplyDepthWrites(true);
  glClearColor(static_cast<float>((argb >> 16) & 0xFF) / 255.0f, static_cast<float>((argb >> 8) & 0xFF) / 255.0f,
               static_cast<float>(argb & 0xFF) / 255.0f, static_cast<float>(argb >> 24) / 255.0f);
  glClearDepth(static_cast<double>(z));
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// The frame goes to the window and stays in its target for ReadFrame; the next one is
// drawn into the other target.
PresentResult GlDevice::Present() {
  Flush();
  ShowOnWindow();
  SDL_GL_SwapWindow(context_->window);
  drawing_ = 1 - drawing_;
  glBindFramebuffer(GL_FRAMEBUFFER, targets_.fbo[drawing_]);
  lastStats_ = frameStats_;
  lastStats_.textures = static_cast<int>(frameTextures_.size());
  frameStats_ = {};
  frameTextures_.clear();
  return PresentResult::Ok;
}

// Scaled to fit the drawable, its shape kept, black around it: one screen quad over the
// whole target, point sampled at its own size (texel for pixel) and filtered when
// scaled, neither blended nor depth tested. The game's own state comes back after. The
// drawable is measured every frame as the window system has it, not as SDL was asked for
// it: a full-screen request may be refused, or granted frames after it was made.
void GlDevice::ShowOnWindow() {
  int dw = kTargetWidth, dh = kTargetHeight;
  WindowDrawableSize(context_->window, dw, dh);
  const float scale = std::min(static_cast<float>(dw) / kTargetWidth, static_cast<float>(dh) / kTargetHeight);
  const int w = static_cast<int>(kTargetWidth * scale), h = static_cast<int>(kTargetHeight * scale);
  const int x = (dw - w) / 2, y = (dh - h) / 2;
  shown_ = ShownPicture{dw, dh, x, y, w, h};
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  if (w != dw || h != dh) {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  glViewport(x, y, w, h);
  glDisable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glUniform4f(u_.viewport, 0.0f, 0.0f, 2.0f / kTargetWidth, 2.0f / kTargetHeight);
  const GLuint shown = targets_.colour[drawing_];
  ApplyState({true, shown});
  const GLint filter = w == kTargetWidth && h == kTargetHeight ? GL_NEAREST : GL_LINEAR;
  if (presentFilter_[drawing_] != filter) {
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAG_FILTER, filter);
    presentFilter_[drawing_] = filter;
  }
  // Texture rows run bottom first, screen rows top first.
  constexpr float l = -0.5f, t = -0.5f, r = kTargetWidth - 0.5f, b = kTargetHeight - 0.5f;
  const StreamVertex quad[4] = {{l, t, 0, 1, 0xFFFFFFFF, 0, 1, 0, 0},
                                {r, t, 0, 1, 0xFFFFFFFF, 1, 1, 0, 0},
                                {r, b, 0, 1, 0xFFFFFFFF, 1, 0, 0, 0},
                                {l, b, 0, 1, 0xFFFFFFFF, 0, 0, 0, 0}};
  Stream(quad, 4, nullptr, 0);
  glEnable(GL_BLEND);
  if (zEnable_) glEnable(GL_DEPTH_TEST);
  ApplyViewport();
}

Image GlDevice::ReadFrame() {
  std::vector<uint32_t> raw(static_cast<size_t>(kTargetWidth) * kTargetHeight);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, targets_.fbo[1 - drawing_]);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, kTargetWidth, kTargetHeight, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, raw.data());
  glBindFramebuffer(GL_READ_FRAMEBUFFER, targets_.fbo[drawing_]);
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
  Flush();
  viewport_ = v;
  ApplyViewport();
}

void GlDevice::ApplyViewport() {
  const Viewport& v = viewport_;
  glViewport(v.x, kTargetHeight - v.y - v.height, v.width, v.height);
  glDepthRange(static_cast<double>(v.minZ), static_cast<double>(v.maxZ));
  glUniform4f(u_.viewport, static_cast<float>(v.x), static_cast<float>(v.y), 2.0f / static_cast<float>(v.width),
              2.0f / static_cast<float>(v.height));
}

// A change of transform, lighting or material starts a new entry of the batch's table
// for the world vertices that follow; those already waiting keep theirs.
void GlDevice::SetTransform(TransformKind kind, const glm::mat4& m) {
  glm::mat4& held = transforms_[static_cast<int>(kind)];
  if (held == m) return;
  held = m;
  drawCurrent_ = false;
}

void GlDevice::SetLighting(bool on) {
  if (lighting_ == on) return;
  lighting_ = on;
  drawCurrent_ = false;
}

void GlDevice::SetMaterial(const Material& material) {
  if (std::memcmp(&material_, &material, sizeof material) == 0) return;
  material_ = material;
  drawCurrent_ = false;
}

// Off means neither testing nor writing, as GL does with the test disabled.
void GlDevice::SetZEnable(bool on) {
  if (zEnable_ == on) return;
  Flush();
  zEnable_ = on;
  if (on) {
    glEnable(GL_DEPTH_TEST);
  } else {
    glDisable(GL_DEPTH_TEST);
  }
}

// Screen quads are textured whenever a texture is set; world quads unless drawn in
// vertex colour alone.
const GlTexture* GlDevice::DrawTexture(bool screen) const {
  if (!screen && format_ == VertexFormat::WorldColoured) return nullptr;
  return dynamic_cast<const GlTexture*>(context_->texture);
}

// Room in the batch for this many more vertices and indices, drawing what waits first
// when they cannot join; the entry of the table world vertices take (0 for screen ones).
float GlDevice::Queue(const Batch& batch, size_t vertices, size_t indices) {
  if (!waiting_.empty() && (!(batch == batch_) || waiting_.size() + vertices > kMaxBatchVertices ||
                            waitingIndices_.size() + indices > kMaxBatchIndices)) {
    Flush();
  }
  batch_ = batch;
  return batch.screen ? 0.0f : CurrentDraw();
}

// The table's entry for the state as it stands, added when it is new; a full table draws
// what waits first.
float GlDevice::CurrentDraw() {
  if (drawCurrent_ && !draws_.empty()) return static_cast<float>(draws_.size() - 1);
  WorldDraw d;
  // Row vectors: v x World x View x Projection, which glm writes the other way round.
  d.transform = transforms_[static_cast<int>(TransformKind::Projection)] *
                transforms_[static_cast<int>(TransformKind::View)] *
                transforms_[static_cast<int>(TransformKind::World)];
  d.lit = lighting_;
  if (lighting_) {
    const auto clamp = [](float c) { return std::clamp(c, 0.0f, 1.0f); };
    d.material = glm::vec4(clamp(material_.emissive.r), clamp(material_.emissive.g), clamp(material_.emissive.b),
                           clamp(material_.diffuse.a));
  }
  if (draws_.empty() || !(draws_.back() == d)) {
    if (draws_.size() >= static_cast<size_t>(kMaxBatchDraws)) Flush();
    draws_.push_back(d);
  }
  drawCurrent_ = true;
  return static_cast<float>(draws_.size() - 1);
}

// A quad's four vertices and its two triangles, (0 1 2) and (0 2 3), as a fan of four
// makes them.
StreamVertex* GlDevice::QueueQuad(const Batch& batch, float* draw) {
  *draw = Queue(batch, 4, 6);
  const auto base = static_cast<uint32_t>(waiting_.size());
  for (uint32_t corner : {0u, 1u, 2u, 0u, 2u, 3u}) waitingIndices_.push_back(base + corner);
  waiting_.resize(waiting_.size() + 4);
  return &waiting_[waiting_.size() - 4];
}

void GlDevice::DrawScreenFan(const ScreenVertex* v) {
  const GlTexture* texture = DrawTexture(true);
  float draw = 0;
  StreamVertex* out = QueueQuad({true, texture ? texture->Array() : 0}, &draw);
  const auto layer = static_cast<float>(texture ? texture->Layer() : 0);
  for (int i = 0; i < 4; ++i) out[i] = {v[i].x, v[i].y, v[i].z, v[i].rhw, v[i].colour, v[i].u, v[i].v, layer, draw};
  if (!g_batching) Flush();
}

void GlDevice::DrawWorldFan(const WorldVertex* v) {
  const GlTexture* texture = DrawTexture(false);
  float draw = 0;
  StreamVertex* out = QueueQuad({false, texture ? texture->Array() : 0}, &draw);
  const auto layer = static_cast<float>(texture ? texture->Layer() : 0);
  for (int i = 0; i < 4; ++i) out[i] = {v[i].x, v[i].y, v[i].z, 1.0f, v[i].colour, v[i].u, v[i].v, layer, draw};
  if (!g_batching) Flush();
}

// A subset joins the batch with the vertices its indices reach; one too large for a
// batch is drawn from the mesh's own buffers.
void GlDevice::DrawMeshSubset(const Mesh& mesh, uint32_t subset) {
  const auto* glMesh = dynamic_cast<const GlMesh*>(&mesh);
  if (!glMesh || !glMesh->Drawable(subset)) return;
  const GlTexture* texture = DrawTexture(false);
  const MeshData& data = glMesh->Data();
  const MeshSubset& part = data.subsets[subset];
  const auto [first, last] = glMesh->SubsetVertices(subset);
  const size_t count = last - first + 1;
  if (count > kMaxBatchVertices || part.indexCount > kMaxBatchIndices) {
    DrawMeshOnItsOwn(*glMesh, subset, texture);
    return;
  }
  const bool glow = glow_ && !lighting_;
  const Batch batch{false, texture ? texture->Array() : 0, glow};
  const float draw = Queue(batch, count, part.indexCount);
  const auto layer = static_cast<float>(texture ? texture->Layer() : 0);
  const auto base = static_cast<uint32_t>(waiting_.size());
  waiting_.resize(base + count);
  StreamVertex* out = &waiting_[base];
  for (const MeshVertex* v = &data.vertices[first]; v <= &data.vertices[last]; ++v) {
    *out++ = {v->x, v->y, v->z, 1.0f, v->colour, v->u, v->v, layer, draw};
  }
  if (glow) ShadeGlow(&waiting_[base], &data.vertices[first], count);
  const size_t at = waitingIndices_.size();
  waitingIndices_.resize(at + part.indexCount);
  const uint32_t* indices = data.indices.data() + part.firstIndex;
  const uint32_t shift = base - first;
  for (uint32_t i = 0; i < part.indexCount; ++i) waitingIndices_[at + i] = indices[i] + shift;
  if (!g_batching) Flush();
}

// Each vertex by how squarely it faces the eye, in the world the transform puts it in.
void GlDevice::ShadeGlow(StreamVertex* out, const MeshVertex* in, size_t count) const {
  const glm::mat4& world = transforms_[static_cast<int>(TransformKind::World)];
  const glm::vec3 eye(glm::inverse(transforms_[static_cast<int>(TransformKind::View)])[3]);
  for (size_t i = 0; i < count; ++i) {
    const MeshVertex& v = in[i];
    const glm::vec3 toEye = eye - glm::vec3(world * glm::vec4(v.x, v.y, v.z, 1.0f));
    const glm::vec3 normal(world * glm::vec4(v.nx, v.ny, v.nz, 0.0f));
    const float lengths = std::sqrt(glm::dot(toEye, toEye) * glm::dot(normal, normal));
    const float facing = lengths > 0.0f ? std::min(std::fabs(glm::dot(toEye, normal)) / lengths, 1.0f) : 1.0f;
    out[i].colour = GlowColour(v.colour, facing);
  }
}

// Drawn as it was made, without the glow, which shades vertices as they stream: the
// glowing shapes are far smaller than this.
void GlDevice::DrawMeshOnItsOwn(const GlMesh& mesh, uint32_t subset, const GlTexture* texture) {
  Flush();
  const GLuint array = texture ? texture->Array() : 0;
  ApplyState({false, array});
  drawCurrent_ = false;
  CurrentDraw();
  ApplyDraws(draws_.data(), draws_.size());
  draws_.clear();
  drawCurrent_ = false;
  // A mesh has no layer of its own: every vertex takes the one given here.
  const auto layer = static_cast<float>(texture ? texture->Layer() : 0);
  if (applied_.layer != layer) {
    glVertexAttrib1f(kAttrLayer, layer);
    applied_.layer = layer;
  }
  BindVertexArray(mesh.Vao());
  mesh.DrawSubset(subset);
  CountDraw(array);
}

void GlDevice::Flush() {
  if (waiting_.empty()) return;
  ApplyState(batch_);
  if (!batch_.screen) ApplyDraws(draws_.data(), draws_.size());
  static constexpr uint32_t kQuad[6] = {0, 1, 2, 0, 2, 3};
  const bool fan = waiting_.size() == 4 && waitingIndices_.size() == 6 &&
                   std::equal(waitingIndices_.begin(), waitingIndices_.end(), kQuad);
  Stream(waiting_.data(), waiting_.size(), fan ? nullptr : waitingIndices_.data(), fan ? 0 : waitingIndices_.size());
  CountDraw(batch_.array);
  waiting_.clear();
  waitingIndices_.clear();
  draws_.clear();
  drawCurrent_ = false;
}

// Vertices and indices go to GL with the state as it stands: into their rings (each
// renewed when full, so no part of one is ever written while a draw may still read it),
// then one draw. Four vertices without indices are one quad, drawn as a fan.
void GlDevice::Stream(const StreamVertex* vertices, size_t count, const uint32_t* indices, size_t indexCount) {
  const size_t bytes = count * sizeof(StreamVertex);
  BindVertexArray(streamVao_);
  glBindBuffer(GL_ARRAY_BUFFER, streamVbo_);
  if (streamUsed_ + bytes > kStreamBytes) {
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(kStreamBytes), nullptr, GL_STREAM_DRAW);
    streamUsed_ = 0;
  }
  void* out = glMapBufferRange(GL_ARRAY_BUFFER, static_cast<GLintptr>(streamUsed_), static_cast<GLsizeiptr>(bytes),
                               GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT | GL_MAP_UNSYNCHRONIZED_BIT);
  if (!out) return;
  std::memcpy(out, vertices, bytes);
  glUnmapBuffer(GL_ARRAY_BUFFER);
  const auto first = static_cast<GLint>(streamUsed_ / sizeof(StreamVertex));
  streamUsed_ += bytes;
  if (!indices) {
    glDrawArrays(GL_TRIANGLE_FAN, first, 4);
    return;
  }
  const size_t indexBytes = indexCount * sizeof(uint32_t);
  if (indicesUsed_ + indexBytes > kIndexBytes) {
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(kIndexBytes), nullptr, GL_STREAM_DRAW);
    indicesUsed_ = 0;
  }
  void* at = glMapBufferRange(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLintptr>(indicesUsed_),
                              static_cast<GLsizeiptr>(indexBytes),
                              GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT | GL_MAP_UNSYNCHRONIZED_BIT);
  if (!at) return;
  std::memcpy(at, indices, indexBytes);
  glUnmapBuffer(GL_ELEMENT_ARRAY_BUFFER);
  glDrawElementsBaseVertex(GL_TRIANGLES, static_cast<GLsizei>(indexCount), GL_UNSIGNED_INT,
                           reinterpret_cast<const void*>(indicesUsed_), first);
  indicesUsed_ += indexBytes;
}

// The batch's table: transforms, material colours and which entries are lit.
void GlDevice::ApplyDraws(const WorldDraw* draws, size_t count) {
  glm::mat4 transforms[kMaxBatchDraws];
  glm::vec4 materials[kMaxBatchDraws];
  int lit = 0;
  for (size_t i = 0; i < count; ++i) {
    transforms[i] = draws[i].transform;
    materials[i] = draws[i].material;
    if (draws[i].lit) lit |= 1 << i;
  }
  const auto n = static_cast<GLsizei>(count);
  glUniformMatrix4fv(u_.transforms, n, GL_FALSE, glm::value_ptr(transforms[0]));
  glUniform4fv(u_.materials, n, glm::value_ptr(materials[0]));
  glUniform1i(u_.lit, lit);
}

void GlDevice::ApplyState(const Batch& batch) {
  const auto setInt = [](GLint location, int value, int* applied) {
    if (*applied == value) return;
    glUniform1i(location, value);
    *applied = value;
  };
  setInt(u_.screen, batch.screen ? 1 : 0, &applied_.screen);
  setInt(u_.textured, batch.array ? 1 : 0, &applied_.textured);
  if (batch.array) BindTexture(batch.array);
  ApplyDepthWrites(!batch.glow);
  if (applied_.glowBlend != (batch.glow ? 1 : 0)) {
    glBlendFunc(batch.glow ? GL_ONE : GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    applied_.glowBlend = batch.glow ? 1 : 0;
  }
}

void GlDevice::ApplyDepthWrites(bool on) {
  if (applied_.depthWrites == (on ? 1 : 0)) return;
  glDepthMask(on ? GL_TRUE : GL_FALSE);
  applied_.depthWrites = on ? 1 : 0;
}

void GlDevice::BindTexture(GLuint array) {
  if (applied_.texture == array) return;
  glBindTexture(GL_TEXTURE_2D_ARRAY, array);
  applied_.texture = array;
}

void GlDevice::BindVertexArray(GLuint vao) {
  if (applied_.vao == vao) return;
  glBindVertexArray(vao);
  applied_.vao = vao;
}

void GlDevice::CountDraw(GLuint array) {
  ++frameStats_.drawCalls;
  if (array && std::find(frameTextures_.begin(), frameTextures_.end(), array) == frameTextures_.end()) {
    frameTextures_.push_back(array);
  }
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

void SetGlBatching(bool on) { g_batching = on; }

std::unique_ptr<Device> CreateGlDevice(SDL_Window* window, const DeviceParams& params) {
  if (!window) return nullptr;
  auto context = std::make_shared<GlContext>();
  context->window = window;
  context->context = CreateContext(window);
  if (!context->context) {
    NoteProblem("OpenGL", std::string("no context: ") + SDL_GetError());
    return nullptr;
  }
  auto device = std::make_unique<GlDevice>(context);
  if (!device->Init(params)) return nullptr;  // the destructor tidies up and drops the context
  return device;
}

}  // namespace plat

// Text X files: frames, meshes with normals, texture coordinates, vertex colours and
// material lists, materials with their texture names. Meshes of one file are merged
// into one, each moved by the frames around it, with the materials of every mesh in
// file order; subset i holds the faces of material i. Coordinates stay as written: the
// game's world is left-handed like the files.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "platform/mesh_io.h"

namespace plat {
namespace {

constexpr size_t kHeaderSize = 16;
constexpr int kMaxNesting = 64;
constexpr uint32_t kWhite = 0xFFFFFFFF;

enum class Tok { End, Word, String, Open, Close, Semicolon, Comma, Bad };

struct Token {
  Tok kind = Tok::End;
  std::string_view text;
};

// Splits the text into words, quoted strings and the four punctuation marks, dropping
// white space and comments ("//" and "#" to the end of the line).
class Lexer {
 public:
  Lexer(const char* begin, const char* end) : p_(begin), end_(end) {}

  Token Next() {
    SkipSpace();
    if (p_ >= end_) return {Tok::End, {}};
    const char c = *p_;
    if (c == '{' || c == '}' || c == ';' || c == ',') {
      ++p_;
      return {c == '{' ? Tok::Open : c == '}' ? Tok::Close : c == ';' ? Tok::Semicolon : Tok::Comma, {}};
    }
    if (c == '"') return QuotedString();
    const char* start = p_;
    while (p_ < end_ && !IsSpace(*p_) && !IsMark(*p_)) ++p_;
    return {Tok::Word, std::string_view(start, static_cast<size_t>(p_ - start))};
  }

  Token Peek() {
    const char* saved = p_;
    Token t = Next();
    p_ = saved;
    return t;
  }

 private:
  // Any other byte, a zero byte included, belongs to a word.
  static bool IsMark(char c) { return c == '{' || c == '}' || c == ';' || c == ',' || c == '"'; }
  static bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

  void SkipSpace() {
    while (p_ < end_) {
      if (IsSpace(*p_)) {
        ++p_;
      } else if (*p_ == '#' || (*p_ == '/' && p_ + 1 < end_ && p_[1] == '/')) {
        while (p_ < end_ && *p_ != '\n') ++p_;
      } else {
        return;
      }
    }
  }

  Token QuotedString() {
    const char* start = ++p_;
    while (p_ < end_ && *p_ != '"') ++p_;
    if (p_ >= end_) return {Tok::Bad, {}};
    const std::string_view text(start, static_cast<size_t>(p_ - start));
    ++p_;
    return {Tok::String, text};
  }

  const char* p_;
  const char* end_;
};

// Faces as one list of indices and where each face starts in it: tens of thousands of
// faces load without an allocation each.
struct FaceList {
  std::vector<uint32_t> start{0};  // face f is indices[start[f]] up to indices[start[f + 1]]
  std::vector<uint32_t> indices;
  size_t Size() const { return start.size() - 1; }
  uint32_t Corners(size_t f) const { return start[f + 1] - start[f]; }
  uint32_t At(size_t f, size_t corner) const { return indices[start[f] + corner]; }
};

struct XMesh {
  std::vector<glm::vec3> positions;
  FaceList faces;
  std::vector<glm::vec3> normals;
  FaceList normalFaces;           // empty, or one face for each face
  std::vector<float> uvs;         // u, v pairs, one per position
  std::vector<uint32_t> colours;  // one per position, white where the file gives none
  bool hasMaterialList = false;
  std::vector<uint32_t> faceMaterials;
  std::vector<MeshMaterial> materials;
};

class XParser {
 public:
  XParser(const char* begin, const char* end) : lex_(begin, end) {}

  bool ParseFile() {
    for (;;) {
      const Token t = lex_.Next();
      if (t.kind == Tok::End) return true;
      if (t.kind == Tok::Semicolon || t.kind == Tok::Comma) continue;
      if (t.kind != Tok::Word || !ParseObject(t.text, 0)) return false;
    }
  }

  std::vector<XMesh> meshes;

 private:
  // ------------------------------------------------------------------ values
  bool NextValueWord(std::string_view& word) {
    Token t = lex_.Next();
    while (t.kind == Tok::Semicolon || t.kind == Tok::Comma) t = lex_.Next();
    word = t.text;
    return t.kind == Tok::Word;
  }

  bool ReadUint(uint32_t& value) {
    std::string_view w;
    if (!NextValueWord(w)) return false;
    const auto r = std::from_chars(w.data(), w.data() + w.size(), value);
    return r.ec == std::errc() && r.ptr == w.data() + w.size();
  }

  bool ReadFloat(float& value) {
    std::string_view w;
    if (!NextValueWord(w)) return false;
    if (!w.empty() && w.front() == '+') w.remove_prefix(1);
    const auto r = std::from_chars(w.data(), w.data() + w.size(), value);
    return r.ec == std::errc() && r.ptr == w.data() + w.size() && std::isfinite(value);
  }

  bool ReadFloats(float* out, int count) {
    for (int i = 0; i < count; ++i) {
      if (!ReadFloat(out[i])) return false;
    }
    return true;
  }

  bool ReadVec3(glm::vec3& v) { return ReadFloat(v.x) && ReadFloat(v.y) && ReadFloat(v.z); }

  // A face: a count, then that many indices, each below `limit`, added to the list.
  bool ReadFace(FaceList& out, uint32_t limit) {
    uint32_t count = 0;
    if (!ReadUint(count)) return false;
    for (uint32_t i = 0; i < count; ++i) {
      uint32_t index = 0;
      if (!ReadUint(index) || index >= limit) return false;
      out.indices.push_back(index);
    }
    out.start.push_back(static_cast<uint32_t>(out.indices.size()));
    return true;
  }

  // An index list: a count, then that many indices, each below `limit`.
  bool ReadIndexList(std::vector<uint32_t>& out, uint32_t limit) {
    uint32_t count = 0;
    if (!ReadUint(count)) return false;
    out.clear();
    for (uint32_t i = 0; i < count; ++i) {
      uint32_t index = 0;
      if (!ReadUint(index) || index >= limit) return false;
      out.push_back(index);
    }
    return true;
  }

  // ------------------------------------------------------------------ structure
  // After a data object's type word: an optional instance name, the opening brace and
  // an optional class id.
  bool ReadHeader(std::string_view* name) {
    Token t = lex_.Next();
    if (t.kind == Tok::Word) {
      if (name) *name = t.text;
      t = lex_.Next();
    }
    if (t.kind != Tok::Open) return false;
    const Token next = lex_.Peek();
    if (next.kind == Tok::Word && !next.text.empty() && next.text.front() == '<') lex_.Next();
    return true;
  }

  // Skips to the brace that closes one already opened.
  bool SkipBody() {
    int depth = 1;
    while (depth > 0) {
      const Token t = lex_.Next();
      if (t.kind == Tok::End || t.kind == Tok::Bad) return false;
      if (t.kind == Tok::Open) ++depth;
      if (t.kind == Tok::Close) --depth;
    }
    return true;
  }

  bool SkipObject() { return ReadHeader(nullptr) && SkipBody(); }

  // Reads the children of an open object until its closing brace, handing each named
  // child to `child`; references and unknown children are skipped.
  template <class Child>
  bool ReadChildren(Child child) {
    for (;;) {
      const Token t = lex_.Next();
      if (t.kind == Tok::Close) return true;
      if (t.kind == Tok::Semicolon || t.kind == Tok::Comma) continue;
      if (t.kind == Tok::Open) {
        if (!SkipBody()) return false;
        continue;
      }
      if (t.kind != Tok::Word || !child(t.text)) return false;
    }
  }

  bool ParseObject(std::string_view type, int depth) {
    if (depth > kMaxNesting) return false;
    if (type == "template") return SkipObject();
    if (type == "Frame") return ParseFrame(depth);
    if (type == "Mesh") return ParseMesh();
    if (type == "Material") {
      std::string_view name;
      MeshMaterial m;
      if (!ReadHeader(&name) || !ParseMaterialBody(m)) return false;
      if (!name.empty()) named_[std::string(name)] = m;
      return true;
    }
    return SkipObject();
  }

  // A frame moves every mesh inside it, its child frames' meshes included, whatever
  // the order of its transform and its children.
  bool ParseFrame(int depth) {
    if (!ReadHeader(nullptr)) return false;
    const size_t firstMesh = meshes.size();
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const bool ok = ReadChildren([&](std::string_view type) {
      if (type == "FrameTransformMatrix") return ReadHeader(nullptr) && ReadFloats(m, 16) && ReadChildren(Ignore);
      if (type == "Frame" || type == "Mesh") return ParseObject(type, depth + 1);
      return SkipObject();
    });
    if (!ok) return false;
    for (size_t i = firstMesh; i < meshes.size(); ++i) Transform(meshes[i], m);
    return true;
  }

  static bool Ignore(std::string_view) { return false; }

  // Row vectors: v' = v x M, with M given row by row.
  static void Transform(XMesh& mesh, const float m[16]) {
    for (glm::vec3& p : mesh.positions) {
      p = glm::vec3(p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12], p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13],
                    p.x * m[2] + p.y * m[6] + p.z * m[10] + m[14]);
    }
    for (glm::vec3& n : mesh.normals) {
      n = glm::vec3(n.x * m[0] + n.y * m[4] + n.z * m[8], n.x * m[1] + n.y * m[5] + n.z * m[9],
                    n.x * m[2] + n.y * m[6] + n.z * m[10]);
    }
  }

  bool ParseMesh() {
    XMesh mesh;
    uint32_t vertexCount = 0, faceCount = 0;
    if (!ReadHeader(nullptr) || !ReadUint(vertexCount)) return false;
    for (uint32_t i = 0; i < vertexCount; ++i) {
      glm::vec3 p;
      if (!ReadVec3(p)) return false;
      mesh.positions.push_back(p);
    }
    if (!ReadUint(faceCount)) return false;
    for (uint32_t i = 0; i < faceCount; ++i) {
      if (!ReadFace(mesh.faces, vertexCount) || mesh.faces.Corners(i) < 3) return false;
    }
    mesh.colours.assign(vertexCount, kWhite);
    const bool ok = ReadChildren([&](std::string_view type) {
      if (type == "MeshNormals") return ParseNormals(mesh);
      if (type == "MeshTextureCoords") return ParseTextureCoords(mesh);
      if (type == "MeshVertexColors") return ParseVertexColours(mesh);
      if (type == "MeshMaterialList") return ParseMaterialList(mesh);
      return SkipObject();
    });
    if (!ok) return false;
    meshes.push_back(std::move(mesh));
    return true;
  }

  bool ParseNormals(XMesh& mesh) {
    uint32_t count = 0, faceCount = 0;
    if (!ReadHeader(nullptr) || !ReadUint(count)) return false;
    mesh.normals.clear();
    for (uint32_t i = 0; i < count; ++i) {
      glm::vec3 n;
      if (!ReadVec3(n)) return false;
      mesh.normals.push_back(n);
    }
    if (!ReadUint(faceCount) || faceCount != mesh.faces.Size()) return false;
    mesh.normalFaces = FaceList{};
    for (uint32_t i = 0; i < faceCount; ++i) {
      if (!ReadFace(mesh.normalFaces, count) || mesh.normalFaces.Corners(i) != mesh.faces.Corners(i)) return false;
    }
    return ReadChildren(Ignore);
  }

  bool ParseTextureCoords(XMesh& mesh) {
    uint32_t count = 0;
    if (!ReadHeader(nullptr) || !ReadUint(count) || count != mesh.positions.size()) return false;
    mesh.uvs.assign(static_cast<size_t>(count) * 2, 0.0f);
    return ReadFloats(mesh.uvs.data(), static_cast<int>(mesh.uvs.size())) && ReadChildren(Ignore);
  }

  bool ParseVertexColours(XMesh& mesh) {
    uint32_t count = 0;
    if (!ReadHeader(nullptr) || !ReadUint(count) || count > mesh.positions.size()) return false;
    for (uint32_t i = 0; i < count; ++i) {
      uint32_t index = 0;
      float rgba[4];
      if (!ReadUint(index) || index >= mesh.positions.size() || !ReadFloats(rgba, 4)) return false;
      mesh.colours[index] = ColourToArgb(rgba);
    }
    return ReadChildren(Ignore);
  }

  static uint32_t ColourToArgb(const float rgba[4]) {
    uint32_t out = 0;
    const int order[4] = {3, 0, 1, 2};
    for (int i : order) {
      const float c = rgba[i] < 0.0f ? 0.0f : rgba[i] > 1.0f ? 1.0f : rgba[i];
      out = (out << 8) | static_cast<uint32_t>(c * 255.0f + 0.5f);
    }
    return out;
  }

  // The material count, one material index per face (a shorter list repeats its last
  // index), then the materials in order, given inline or as references by name.
  bool ParseMaterialList(XMesh& mesh) {
    uint32_t materialCount = 0;
    if (mesh.hasMaterialList || !ReadHeader(nullptr) || !ReadUint(materialCount)) return false;
    if (!ReadIndexList(mesh.faceMaterials, materialCount)) return false;
    if (mesh.faceMaterials.size() > mesh.faces.Size()) return false;
    if (mesh.faceMaterials.empty() && mesh.faces.Size() != 0) return false;
    mesh.faceMaterials.resize(mesh.faces.Size(), mesh.faceMaterials.empty() ? 0 : mesh.faceMaterials.back());
    mesh.hasMaterialList = true;
    const bool ok = ReadMaterialEntries(mesh);
    return ok && mesh.materials.size() == materialCount;
  }

  bool ReadMaterialEntries(XMesh& mesh) {
    for (;;) {
      const Token t = lex_.Next();
      if (t.kind == Tok::Close) return true;
      if (t.kind == Tok::Semicolon || t.kind == Tok::Comma) continue;
      if (t.kind == Tok::Open) {
        if (!ReadReference(mesh)) return false;
      } else if (t.kind == Tok::Word && t.text == "Material") {
        std::string_view name;
        mesh.materials.emplace_back();
        if (!ReadHeader(&name) || !ParseMaterialBody(mesh.materials.back())) return false;
        if (!name.empty()) named_[std::string(name)] = mesh.materials.back();
      } else if (t.kind != Tok::Word || !SkipObject()) {
        return false;
      }
    }
  }

  bool ReadReference(XMesh& mesh) {
    const Token name = lex_.Next();
    if (name.kind != Tok::Word) return false;
    Token t = lex_.Next();
    if (t.kind == Tok::Word) t = lex_.Next();  // an optional class id after the name
    const auto found = named_.find(std::string(name.text));
    if (t.kind != Tok::Close || found == named_.end()) return false;
    mesh.materials.push_back(found->second);
    return true;
  }

  // faceColor (RGBA), power, specularColor (RGB), emissiveColor (RGB), then children.
  bool ParseMaterialBody(MeshMaterial& out) {
    float v[11];
    if (!ReadFloats(v, 11)) return false;
    out.material.diffuse = {v[0], v[1], v[2], v[3]};
    out.material.power = v[4];
    out.material.specular = {v[5], v[6], v[7], 1.0f};
    out.material.emissive = {v[8], v[9], v[10], 1.0f};
    out.material.ambient = {};
    bool named = false;
    return ReadChildren([&](std::string_view type) {
      if (type != "TextureFilename" && type != "TextureFileName") return SkipObject();
      std::string_view file;
      if (!ReadHeader(nullptr) || !ReadString(file) || !ReadChildren(Ignore)) return false;
      if (!named) out.textureFile = std::string(file);
      named = true;
      return true;
    });
  }

  bool ReadString(std::string_view& text) {
    Token t = lex_.Next();
    while (t.kind == Tok::Semicolon || t.kind == Tok::Comma) t = lex_.Next();
    text = t.text;
    return t.kind == Tok::String;
  }

  Lexer lex_;
  std::map<std::string, MeshMaterial, std::less<>> named_;
};

// ------------------------------------------------------------------ merging
// Every position becomes a vertex, in file order, with the normal of its first use; a
// position used with another normal gets a copy for it.
struct Builder {
  MeshData& out;
  std::vector<std::vector<uint32_t>> triangles;  // per attribute: vertex indices

  static constexpr uint32_t kNoNormal = UINT32_MAX;
  static constexpr uint32_t kUnset = UINT32_MAX - 1;

  struct MeshState {
    const XMesh& mesh;
    uint32_t base;
    std::vector<uint32_t> normalOf;
    std::map<std::pair<uint32_t, uint32_t>, uint32_t> copies;
  };

  void AddMesh(const XMesh& mesh, uint32_t materialBase, uint32_t noMaterial) {
    MeshState state{mesh, static_cast<uint32_t>(out.vertices.size()), {}, {}};
    state.normalOf.assign(mesh.positions.size(), kUnset);
    for (size_t p = 0; p < mesh.positions.size(); ++p) out.vertices.push_back(MakeVertex(mesh, p));
    std::vector<uint32_t> corners;
    for (size_t f = 0; f < mesh.faces.Size(); ++f) {
      const uint32_t attribute = mesh.hasMaterialList ? materialBase + mesh.faceMaterials[f] : noMaterial;
      if (triangles.size() <= attribute) triangles.resize(attribute + 1);
      corners.clear();
      for (size_t c = 0; c < mesh.faces.Corners(f); ++c) corners.push_back(Corner(state, f, c));
      for (size_t c = 1; c + 1 < corners.size(); ++c) {
        triangles[attribute].insert(triangles[attribute].end(), {corners[0], corners[c], corners[c + 1]});
      }
    }
  }

  static MeshVertex MakeVertex(const XMesh& mesh, size_t p) {
    MeshVertex v{};
    v.x = mesh.positions[p].x;
    v.y = mesh.positions[p].y;
    v.z = mesh.positions[p].z;
    v.colour = mesh.colours[p];
    if (!mesh.uvs.empty()) {
      v.u = mesh.uvs[2 * p];
      v.v = mesh.uvs[2 * p + 1];
    }
    return v;
  }

  void SetNormal(MeshVertex& v, const XMesh& mesh, uint32_t n) {
    if (n == kNoNormal) return;
    v.nx = mesh.normals[n].x;
    v.ny = mesh.normals[n].y;
    v.nz = mesh.normals[n].z;
  }

  uint32_t Corner(MeshState& s, size_t face, size_t corner) {
    const uint32_t p = s.mesh.faces.At(face, corner);
    const uint32_t n = s.mesh.normalFaces.Size() == 0 ? kNoNormal : s.mesh.normalFaces.At(face, corner);
    if (s.normalOf[p] == kUnset) {
      s.normalOf[p] = n;
      SetNormal(out.vertices[s.base + p], s.mesh, n);
    }
    if (s.normalOf[p] == n) return s.base + p;
    const auto [it, fresh] = s.copies.try_emplace({p, n}, static_cast<uint32_t>(out.vertices.size()));
    if (fresh) {
      out.vertices.push_back(MakeVertex(s.mesh, p));
      SetNormal(out.vertices.back(), s.mesh, n);
    }
    return it->second;
  }

  void Finish(size_t subsetCount) {
    triangles.resize(std::max(triangles.size(), subsetCount));
    for (const std::vector<uint32_t>& list : triangles) {
      out.subsets.push_back({static_cast<uint32_t>(out.indices.size()), static_cast<uint32_t>(list.size())});
      out.indices.insert(out.indices.end(), list.begin(), list.end());
    }
  }
};

}  // namespace

bool LoadXMesh(const uint8_t* bytes, size_t size, MeshData& mesh, std::vector<MeshMaterial>& materials) {
  mesh = MeshData{};
  materials.clear();
  if (!bytes || size < kHeaderSize) return false;
  // "xof " then a four-digit version, the format and the float size.
  if (std::memcmp(bytes, "xof ", 4) != 0 || std::memcmp(bytes + 8, "txt ", 4) != 0) return false;
  const char* text = reinterpret_cast<const char*>(bytes);
  XParser parser(text + kHeaderSize, text + size);
  if (!parser.ParseFile() || parser.meshes.empty()) return false;
  uint32_t materialTotal = 0;
  for (const XMesh& m : parser.meshes) materialTotal += static_cast<uint32_t>(m.materials.size());
  // Faces of a mesh without a material list go to one subset after every material's,
  // which nothing draws.
  Builder builder{mesh, {}};
  uint32_t base = 0;
  for (const XMesh& m : parser.meshes) {
    builder.AddMesh(m, base, materialTotal);
    for (const MeshMaterial& mat : m.materials) materials.push_back(mat);
    base += static_cast<uint32_t>(m.materials.size());
  }
  builder.Finish(materialTotal);
  // The mesh is kept for the whole run: it holds no more room than it uses.
  mesh.vertices.shrink_to_fit();
  mesh.indices.shrink_to_fit();
  return true;
}

}  // namespace plat

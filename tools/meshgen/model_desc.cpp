#include "model_desc.h"

#include <algorithm>

#include "art.h"

namespace meshgen {

namespace {

using desc::Fail;
using desc::Line;

const std::map<std::string, DecalKind> kDecals = {{"planks", DecalKind::Planks}, {"boards", DecalKind::Boards},
                                                  {"stone", DecalKind::Stone},   {"bricks", DecalKind::Bricks},
                                                  {"block", DecalKind::Block},   {"runes", DecalKind::Runes},
                                                  {"sign", DecalKind::Sign},     {"mottle", DecalKind::Mottle},
                                                  {"scales", DecalKind::Scales}, {"bark", DecalKind::Bark}};

// A colour word: #rrggbb, or cast:<who>.<part>, a colour of a person's look in the
// interface pictures (skin, hair, eyes, cloth, trim, headwear), so a model and the face
// it speaks with agree; `look` is then the person.
void ReadColour(const desc::Where& where, const std::string& word, double rgb[3], std::string* look) {
  const std::string prefix = "cast:";
  if (word.rfind(prefix, 0) != 0) {
    desc::Colour(where, word, rgb);
    return;
  }
  const size_t dot = word.find('.', prefix.size());
  uint32_t value = 0;
  if (dot == std::string::npos ||
      !tool::CastColour(word.substr(prefix.size(), dot - prefix.size()), word.substr(dot + 1), &value)) {
    Fail(where, "no cast colour '" + word + "' (cast:<who>.<skin|hair|eyes|cloth|trim|headwear>)");
  }
  *look = word.substr(prefix.size(), dot - prefix.size());
  rgb[0] = ((value >> 16) & 0xFF) / 255.0;
  rgb[1] = ((value >> 8) & 0xFF) / 255.0;
  rgb[2] = (value & 0xFF) / 255.0;
}

Paint ReadPaint(const Line& line) {
  if (line.words.size() < 3) Fail(line.where, "paint needs a name and a colour");
  Paint p;
  p.name = line.words[1];
  p.where = line.where;
  ReadColour(line.where, line.words[2], p.rgb, &p.look);
  desc::Options opt(line.where, line.words, 3);
  p.glow = opt.Flag("glow");
  p.front = opt.Flag("front");
  p.alpha = opt.Number("alpha", 1.0);
  if (p.alpha <= 0.05 || p.alpha > 1.0) Fail(line.where, "alpha must be above 0.05 and at most 1");
  const std::string decal = opt.Text("decal", "");
  if (!decal.empty()) {
    auto it = kDecals.find(decal);
    if (it == kDecals.end()) Fail(line.where, "unknown decal '" + decal + "'");
    p.decal = it->second;
  }
  const std::string accent = opt.Text("accent", "");
  if (!accent.empty()) desc::Colour(line.where, accent, p.accent);
  opt.Finish();
  if (p.front && (p.decal != DecalKind::None || p.alpha < 1.0)) {
    Fail(line.where, "the front paint must be a plain opaque colour");
  }
  return p;
}

// Placement options shared by every element: at=, rot=, scale= and the mirror flag.
Affine ReadPlacement(desc::Options& opt, Vec3 at, Vec3 scale) {
  const auto a = opt.List("at", 3, {at.x, at.y, at.z});
  const auto r = opt.List("rot", 3, {0, 0, 0});
  const std::string s = opt.Text("scale", "");
  if (!s.empty()) {
    if (s.find(',') == std::string::npos) {
      const double k = desc::Number(opt.Location(), s, "scale");
      scale = {scale.x * k, scale.y * k, scale.z * k};
    } else {
      const auto v = desc::NumberList(opt.Location(), s, 3, "scale");
      scale = {scale.x * v[0], scale.y * v[1], scale.z * v[2]};
    }
  }
  return Compose(Translation({a[0], a[1], a[2]}), Compose(RotationXyz({r[0], r[1], r[2]}), Scaling(scale)));
}

std::vector<double> Numbers(const Line& line, size_t first, size_t count) {
  if (line.words.size() < first + count) {
    Fail(line.where, line.words[0] + " needs " + std::to_string(count) + " numbers after the paint");
  }
  std::vector<double> v;
  for (size_t i = 0; i < count; ++i) v.push_back(desc::Number(line.where, line.words[first + i], "a coordinate"));
  return v;
}

int Segments(desc::Options& opt, int fallback) {
  const int s = opt.Integer("seg", fallback);
  if (s < 3 || s > 64) Fail(opt.Location(), "seg must be 3 to 64");
  return s;
}

// Words before ':' and the numbers after it (lathe profiles and slab outlines).
size_t SplitAtColon(const Line& line, std::vector<double>& list, size_t minPairs) {
  auto it = std::find(line.words.begin(), line.words.end(), ":");
  if (it == line.words.end()) Fail(line.where, line.words[0] + " needs ':' followed by its points");
  for (auto p = it + 1; p != line.words.end(); ++p) list.push_back(desc::Number(line.where, *p, "a point"));
  if (list.size() % 2 != 0 || list.size() < 2 * minPairs) {
    Fail(line.where, line.words[0] + " needs at least " + std::to_string(minPairs) + " pairs of numbers");
  }
  return static_cast<size_t>(it - line.words.begin());
}

Element ReadPrimitive(const Line& line) {
  Element e;
  e.where = line.where;
  const std::string& kind = line.words[0];
  if (line.words.size() < 2) Fail(line.where, kind + " needs a paint");
  e.paint = line.words[1];
  size_t end = line.words.size();
  std::vector<double> n;
  if (kind == "box" || kind == "ball") {
    e.kind = kind == "box" ? ElementKind::Box : ElementKind::Ball;
    n = Numbers(line, 2, 6);
    desc::Options opt(line.where, line.words, 8);
    e.segments = e.kind == ElementKind::Ball ? Segments(opt, 12) : 0;
    e.mirror = opt.Flag("mx");
    const auto r = opt.List("rot", 3, {0, 0, 0});
    opt.Finish();
    e.local =
        Compose(Translation({n[0], n[1], n[2]}), Compose(RotationXyz({r[0], r[1], r[2]}), Scaling({n[3], n[4], n[5]})));
    return e;
  }
  if (kind == "tube") {
    e.kind = ElementKind::Tube;
    e.numbers = Numbers(line, 2, 8);
    desc::Options opt(line.where, line.words, 10);
    e.segments = Segments(opt, 8);
    e.mirror = opt.Flag("mx");
    const std::string ends = opt.Text("ends", "flat");
    if (ends == "round") {
      e.ends = TubeEnds::Round;
    } else if (ends == "open") {
      e.ends = TubeEnds::Open;
    } else if (ends != "flat") {
      Fail(line.where, "ends must be flat, round or open");
    }
    e.local = ReadPlacement(opt, {0, 0, 0}, {1, 1, 1});
    opt.Finish();
    if (e.numbers[3] < 0 || e.numbers[7] < 0) Fail(line.where, "tube radii must not be negative");
    return e;
  }
  if (kind == "lathe") {
    e.kind = ElementKind::Lathe;
    LatheShape& shape = e.lathe;
    end = SplitAtColon(line, shape.profile, 2);
    if (end < 5) Fail(line.where, "lathe needs a paint and a centre before ':'");
    n = Numbers(line, 2, 3);
    desc::Options opt(line.where, std::vector<std::string>(line.words.begin(), line.words.begin() + end), 5);
    shape.segments = Segments(opt, 12);
    e.mirror = opt.Flag("mx");
    shape.open = opt.Flag("open");
    shape.ribCount = opt.Integer("ribs", 0);
    shape.ribDepth = opt.Number("ribdepth", 0.15);
    shape.arcDegrees = opt.Number("arc", 360);
    const double sx = opt.Number("sx", 1), sz = opt.Number("sz", 1);
    const auto r = opt.List("rot", 3, {0, 0, 0});
    opt.Finish();
    if (shape.ribCount < 0 || shape.ribCount > 16 || shape.ribDepth < 0 || shape.ribDepth >= 1) {
      Fail(line.where, "bad ribs or ribdepth");
    }
    if (shape.arcDegrees <= 0 || shape.arcDegrees > 360) Fail(line.where, "arc must be above 0 and at most 360");
    for (size_t i = 0; i < shape.profile.size(); i += 2) {
      if (shape.profile[i] < 0) Fail(line.where, "lathe radii must not be negative");
    }
    e.local = Compose(Translation({n[0], n[1], n[2]}), Compose(RotationXyz({r[0], r[1], r[2]}), Scaling({sx, 1, sz})));
    return e;
  }
  if (kind == "slab") {
    e.kind = ElementKind::Slab;
    end = SplitAtColon(line, e.numbers, 3);
    if (end < 3) Fail(line.where, "slab needs a paint and a thickness before ':'");
    e.thickness = desc::Number(line.where, line.words[2], "thickness");
    if (e.thickness <= 0) Fail(line.where, "slab thickness must be above 0");
    desc::Options opt(line.where, std::vector<std::string>(line.words.begin(), line.words.begin() + end), 3);
    e.mirror = opt.Flag("mx");
    e.local = ReadPlacement(opt, {0, 0, 0}, {1, 1, 1});
    opt.Finish();
    return e;
  }
  Fail(line.where, "unknown statement '" + kind + "'");
}

class Reader {
 public:
  static constexpr int kMaxNesting = 32;

  Reader(std::vector<Line> lines, Library& library) : lines_(std::move(lines)), library_(library) {}

  void ReadFile() {
    while (pos_ < lines_.size()) {
      const Line& line = lines_[pos_];
      const std::string& word = line.words[0];
      if (word == "def") {
        ReadDef(line);
      } else if (word == "model") {
        ReadModel(line);
      } else {
        Fail(line.where, "expected 'model' or 'def' here, found '" + word + "'");
      }
    }
  }

 private:
  void ReadDef(const Line& line) {
    if (line.words.size() != 3 || line.words[2] != "{") Fail(line.where, "write a def as: def <name> {");
    const std::string name = line.words[1];
    if (library_.defs.count(name)) Fail(line.where, "def '" + name + "' given twice");
    ++pos_;
    library_.defs[name] = ReadBlock(true, 1);
  }

  void ReadModel(const Line& line) {
    if (line.words.size() != 4) Fail(line.where, "write a model as: model <index> <name> \"<role>\"");
    Model m;
    m.where = line.where;
    m.index = desc::Integer(line.where, line.words[1], "model index");
    m.name = line.words[2];
    m.role = line.words[3];
    ++pos_;
    while (pos_ < lines_.size() && lines_[pos_].words[0] == "paint") {
      Paint p = ReadPaint(lines_[pos_]);
      for (const Paint& other : m.paints) {
        if (other.name == p.name) Fail(p.where, "paint '" + p.name + "' given twice");
      }
      if (!p.look.empty() && !m.look.empty() && p.look != m.look) {
        Fail(p.where, "model " + m.name + " wears the look of " + m.look + " and cannot take " + p.look + "'s");
      }
      if (!p.look.empty()) m.look = p.look;
      m.paints.push_back(p);
      ++pos_;
    }
    m.elements = ReadBlock(false, 0);
    library_.models.push_back(std::move(m));
  }

  // Elements up to the closing brace (inside a block) or up to the next top-level
  // statement (a model's body).
  std::vector<Element> ReadBlock(bool braced, int depth) {
    if (depth > kMaxNesting) Fail(lines_[pos_ - 1].where, "groups nested too deeply");
    std::vector<Element> elements;
    while (pos_ < lines_.size()) {
      const Line& line = lines_[pos_];
      const std::string& word = line.words[0];
      if (word == "}") {
        if (!braced || line.words.size() != 1) Fail(line.where, "unexpected '}'");
        ++pos_;
        return elements;
      }
      if (!braced && (word == "model" || word == "def")) return elements;
      if (word == "paint") Fail(line.where, "paints come right after their model line");
      ++pos_;
      elements.push_back(ReadElement(line, depth));
    }
    if (braced) Fail(lines_.back().where, "missing '}'");
    return elements;
  }

  Element ReadElement(const Line& line, int depth) {
    const std::string& word = line.words[0];
    if (word == "group") {
      if (line.words.back() != "{") Fail(line.where, "a group line ends with '{'");
      Element e;
      e.kind = ElementKind::Group;
      e.where = line.where;
      desc::Options opt(line.where, std::vector<std::string>(line.words.begin(), line.words.end() - 1), 1);
      e.mirror = opt.Flag("mx");
      e.local = ReadPlacement(opt, {0, 0, 0}, {1, 1, 1});
      opt.Finish();
      e.children = ReadBlock(true, depth + 1);
      return e;
    }
    if (word == "use") {
      if (line.words.size() < 2) Fail(line.where, "use needs a def name");
      Element e;
      e.kind = ElementKind::Use;
      e.where = line.where;
      e.use = line.words[1];
      desc::Options opt(line.where, line.words, 2);
      e.mirror = opt.Flag("mx");
      e.local = ReadPlacement(opt, {0, 0, 0}, {1, 1, 1});
      opt.Finish();
      return e;
    }
    return ReadPrimitive(line);
  }

  std::vector<Line> lines_;
  size_t pos_ = 0;
  Library& library_;
};

// clang-format off
class Builder {
 public:
  Builder(const Model& model, const Library& library) : model_(model), library_(library) {}

  void Expand(const std::vector<Element>& elements, const Affine& parent, int depth) {
    if (depth > 16) Fail(model_.where, "defs nested too deeply (a def that uses itself?)");
    for (const Element& e : elements) {
      ExpandOne(e, Compose(parent, e.local), depth);
      if (e.mirror) ExpandOne(e, Compose(parent, Compose(MirrorX(), e.local)), depth);
    }
  }

  Triangles& Result() { return tris_; }

 private:
  int PaintIndex(const Element& e) const {
    for (size_t i = 0; i < model_.paints.size(); ++i) {
      if (model_.paints[i].name != e.paint) continue;
      const bool flatShape = e.kind == ElementKind::Box || e.kind == ElementKind::Slab;
      if (model_.paints[i].decal != DecalKind::None && !flatShape) {
        Fail(e.where, "decal paint '" + e.paint + "' only goes on boxes and slabs");
      }
      return static_cast<int>(i);
    }
    Fail(e.where, "model " + model_.name + " has no paint '" + e.paint + "'");
  }

  void ExpandOne(const Element& e, const Affine& transform, int depth) {
    if (e.kind == ElementKind::Group) {
      Expand(e.children, transform, depth + 1);
      return;
    }
    if (e.kind == ElementKind::Use) {
      auto it = library_.defs.find(e.use);
      if (it == library_.defs.end()) Fail(e.where, "no def named '" + e.use + "'");
      Expand(it->second, transform, depth + 1);
      return;
    }
    const int paint = PaintIndex(e);
    const size_t first = tris_.size();
    const auto& n = e.numbers;
    switch (e.kind) {
      case ElementKind::Box:
        AddBox(tris_, paint);
        break;
      case ElementKind::Ball:
        AddBall(tris_, paint, e.segments);
        break;
      case ElementKind::Tube:
        AddTube(tris_, paint, {n[0], n[1], n[2]}, n[3], {n[4], n[5], n[6]}, n[7], e.segments, e.ends);
        break;
      case ElementKind::Lathe:
        AddLathe(tris_, paint, e.lathe);
        break;
      case ElementKind::Slab:
        if (!AddSlab(tris_, paint, n, e.thickness)) Fail(e.where, "slab outline crosses itself or has no area");
        break;
      default:
        break;
    }
    if (tris_.size() == first) Fail(e.where, "this shape has no area");
    TransformTriangles(tris_, first, transform);
  }

  const Model& model_;
  const Library& library_;
  Triangles tris_;
};
// clang-format on

}  // namespace

void ReadModelFile(const std::string& path, Library& library) {
  Reader reader(desc::ReadLines(path), library);
  reader.ReadFile();
}

Triangles BuildTriangles(const Model& model, const Library& library) {
  Builder builder(model, library);
  builder.Expand(model.elements, Affine{}, 0);
  return std::move(builder.Result());
}

}  // namespace meshgen

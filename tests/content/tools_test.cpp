// Every content tool as the build runs it: the same sources give the same bytes, and a
// bad input stops the build with the file (and line) at fault and nothing written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "art.h"
#include "canvas.h"
#include "data/characters.h"
#include "engine/archive.h"
#include "paint.h"
#include "platform/image.h"
#include "png_io.h"
#include "scriptc/script_lang.h"
#include "support/content_tools.h"
#include "support/files.h"
#include "support/harness.h"
#include "text_render.h"

namespace {

namespace fs = std::filesystem;

std::string Src(const std::string& relative) {
  return test::ShellQuote(std::string(MILVA_SOURCE_DIR) + "/" + relative);
}
const std::string kFonts =
    " /usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf "
    "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf ";

// The build's sources for models or sounds, without those whose name starts with `drop`.
std::string Sources(const std::string& sub, const std::string& drop = "") {
  std::string list;
  for (const std::string& s : test::BuildSources(sub)) {
    if (drop.empty() || fs::path(s).filename().string().rfind(drop, 0) != 0) list += " " + test::ShellQuote(s);
  }
  return list;
}

struct ToolCase {
  const char* name;
  // The command line writing into the folder `out`; `bad` is the bad input's path, or
  // empty for the build's own sources.
  std::string (*command)(const std::string& out, const std::string& bad);
};

void PrintTo(const ToolCase& tool, std::ostream* out) { *out << tool.name; }

const ToolCase kTools[] = {
    {"atlas",
     [](const std::string& out, const std::string& bad) {
       return "tools/atlas/milva_atlas " + (bad.empty() ? Src("src/engine/atlas.def") : bad) + kFonts + out + "/a.png";
     }},
    {"glyphs",
     [](const std::string& out, const std::string& bad) {
       return "tools/glyphs/milva_glyphs " + (bad.empty() ? Src("content/glyphs/glyphs.txt") : bad) +
              " /usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf " + out + "/g.png " + out + "/g.inc";
     }},
    {"textures",
     [](const std::string& out, const std::string& bad) {
       return "tools/textures/milva_textures " + (bad.empty() ? Src("content/textures/textures.txt") : bad) + " " +
              out + "/";
     }},
    {"meshgen",
     [](const std::string& out, const std::string& bad) {
       return "tools/meshgen/meshgen --out " + out +
              (bad.empty() ? Sources("models") : Sources("models", "00_") + " " + bad);
     }},
    {"wavsynth",
     [](const std::string& out, const std::string& bad) {
       return "tools/wavsynth/wavsynth --out " + out +
              (bad.empty() ? Sources("sounds") : Sources("sounds", "03_") + " " + bad);
     }},
    {"pack",
     [](const std::string& out, const std::string& bad) {
       return "tools/pack/milva_pack " + (bad.empty() ? std::string("generated/data.manifest") : bad) + " " + out +
              "/data.dat";
     }},
    {"mapc",
     [](const std::string& out, const std::string& bad) {
       return "tools/mapc/mapc -o " + out + "/mappack.dat " + (bad.empty() ? Src("content/maps/tiles.legend") : bad) +
              " " + Src("content/maps") + "/*.map";
     }},
    {"scriptc",
     [](const std::string& out, const std::string& bad) {
       return "tools/scriptc/scriptc --glyphs " + Src("content/glyphs/glyphs.txt") + " --scripts " +
              (bad.empty() ? Src("content/scripts") + " --mappack mappack.dat --models generated/models/index.txt"
                           : fs::path(bad).parent_path().string()) +
              " --out " + out + "/epack.dat";
     }},
};

const ToolCase& Tool(const std::string& name) {
  for (const ToolCase& t : kTools) {
    if (name == t.name) return t;
  }
  throw std::invalid_argument(name);
}

// The build's texture list with the line of texture `index` replaced; `*at` is that line.
std::string TexturesWith(int index, const std::string& line, int* at) {
  std::ifstream in(std::string(MILVA_SOURCE_DIR) + "/content/textures/textures.txt");
  std::string out;
  int n = 1;
  for (std::string l; std::getline(in, l); ++n) {
    const bool ours = !l.empty() && l[0] != '#' && std::stoi(l) == index;
    if (ours) *at = n;
    out += (ours ? line : l) + "\n";
  }
  return out;
}

struct BadInput {
  const char* tool;
  const char* file;  // the bad input, written as this file
  std::string text;
  std::string where;  // the file and line the refusal names
  std::string says;   // and what it says of them
};

void PrintTo(const BadInput& bad, std::ostream* out) { *out << bad.where << " " << bad.says; }

// A line of the texture list replaced, refused at that line.
BadInput TextureLine(int index, const std::string& line, const std::string& says) {
  int at = 0;
  std::string text = TexturesWith(index, line, &at);
  return {"textures", "textures.txt", text, "textures.txt:" + std::to_string(at) + ":", says};
}

const std::string kLegend = "# shared\ntile . 0 grass\n";

const BadInput kBadInputs[] = {
    {"atlas", "bad.def", "ATLAS(kA, 0, 0, 10, 10, \"label あ\")\nATLAS(kB, 5, 5, 20, 20, \"label い\")\n",
     "bad.def:2:", "kB overlaps kA"},
    {"atlas", "bad.def",
     "ATLAS(kA, 0, 0, 10, 10, \"label あ\")\nATLAS(kB, 0, 20, 10, 30, \"inset 5 0 5 0 label い\")\n",
     "bad.def:2:", "margins that leave the picture room"},
    {"atlas", "bad.def", "ATLAS(kA, 0, 0, 10, 10, \"inset 1 1 1 1 sticker あ\")\n",
     "bad.def:1:", "unknown paint kind 'sticker' inside an inset"},
    {"glyphs", "glyphs.txt", "\n　\n", "glyphs.txt:", "2 rows, the glyph table has 659"},
    {"textures", "textures.txt", "0 sparkle somewhere\n",
     "textures.txt:1:", "expected a new index 0 to 34, a known style and the texture's uses"},
    {"meshgen", "bad.model",
     "model 0 thing \"x\"\npaint eye #000000 front\nball eye 0 0.5 -0.2 0.1 0.1 0.1\nbox skin 0 0.5 0 1 1 1\n",
     "bad.model:4:", "model thing has no paint 'skin'"},
    {"meshgen", "bad.model", "model 0 thing \"x\"\npaint eye #000000 front\npaint hair cast:zita.nose\n",
     "bad.model:3:", "no cast colour 'cast:zita.nose'"},
    {"meshgen", "bad.model",
     "model 0 thing \"x\"\npaint eye #000000 front\npaint hair cast:zita.hair\npaint skin cast:milva.skin\n",
     "bad.model:4:", "model thing wears the look of zita and cannot take milva's"},
    {"wavsynth", "bad.sound", "sound 3 refuse \"x\"\nlength 0.3\nvoice sine freq=100 dur=0\n",
     "bad.sound:3:", "dur must be above 0"},
    {"pack", "manifest", "0 atlas /nowhere/atlas.png\n127 mesh_000 /nowhere/mesh.x\n", "", "entry 127 (mesh_000)"},
    {"mapc", "tiles.legend", "tile x 256 thing\n", "tiles.legend:1:", "tile code '256' is not 0 to 255"},
    {"scriptc", "map00.txt", "#1,1,あいうえおかきくけこさしすせそたちつてとなにぬね,\n#99,\n@\n",
     "map00.txt:1:", "the message line has 24 characters; a line holds 23"},
    // The legend and the texture list against the tile roles.
    {"mapc", "tiles.legend", kLegend + "tile T 30 woods trees\n", "tiles.legend:3:", "tile code 30 is 'house-plaster'"},
    {"mapc", "tiles.legend", kLegend + "tile X 50 wall\n", "tiles.legend:3:", "tile code 50 has no role"},
    {"mapc", "tiles.legend", kLegend + "tile ~ 45\n", "tiles.legend:3:", "tile <character> <code> <role>"},
    TextureLine(20, "20 stone-top top:woods tops", "tile code 17 (woods) shows texture 31 on its top, not 20"),
    TextureLine(26, "26 stone-wall side:stone-wall walls", "texture 26 is also battle-side:hard"),
    TextureLine(31, "31 canopy top:woods,top:pines,top:tree canopy", "no tile role is named 'tree'"),
    TextureLine(3, "3 battle-grass battle-top:hard floor", "uses texture 27 there, not 3"),
    // Rectangles off the 2048 by 2048 atlas or empty, and paints the atlas lacks.
    {"atlas", "bad.def", "ATLAS(kA, 0, 0, 10, 10, \"label あ\")\nATLAS(kC, 2040, 0, 2049, 5, \"cursor\")\n",
     "bad.def:2:", "kC: rectangle"},
    {"atlas", "bad.def", "ATLAS(kA, 0, 2040, 10, 2049, \"cursor\")\n", "bad.def:1:", "kA: rectangle"},
    {"atlas", "bad.def", "ATLAS(kA, 10, 0, 10, 5, \"cursor\")\n", "bad.def:1:", "kA: rectangle"},
    {"atlas", "bad.def", "ATLAS(kA, 0, 0, 10, 10, \"sparkle\")\n", "bad.def:1:", "kA: unknown paint kind 'sparkle'"},
};

// A scratch folder with the runs' output folders "a" and "b" and the inputs' "in".
class Folders {
 protected:
  Folders() : dir_(test::MakeTempDir()) {
    for (const char* sub : {"a", "b", "in"}) fs::create_directories(dir_ + "/" + sub);
  }
  ~Folders() { fs::remove_all(dir_); }
  // Every file a run wrote, by its path inside the run's folder; the folder's own path
  // (which lists name) reads as "OUT".
  std::vector<std::pair<std::string, std::string>> Written(const std::string& run) const {
    std::vector<std::pair<std::string, std::string>> files;
    const std::string out = dir_ + "/" + run;
    for (const auto& f : fs::recursive_directory_iterator(out)) {
      if (!f.is_regular_file()) continue;
      const test::Bytes bytes = test::ReadFile(f.path());
      std::string text(bytes.begin(), bytes.end());
      for (size_t at = 0; (at = text.find(out, at)) != std::string::npos;) text.replace(at, out.size(), "OUT");
      files.emplace_back(fs::relative(f.path(), out), text);
    }
    std::sort(files.begin(), files.end());
    return files;
  }
  std::string dir_;
};

class ToolTest : public ::testing::TestWithParam<ToolCase>, public Folders {};

TEST_P(ToolTest, TwoRunsOfTheBuildsSourcesGiveTheSameBytes) {
  for (const char* run : {"a", "b"}) {
    const test::ToolRun r = test::RunCommand(GetParam().command(dir_ + "/" + run, ""));
    ASSERT_EQ(r.status, 0) << r.output;
  }
  const auto a = Written("a");
  EXPECT_FALSE(a.empty());
  EXPECT_TRUE(a == Written("b"));
}

INSTANTIATE_TEST_SUITE_P(EveryTool, ToolTest, ::testing::ValuesIn(kTools),
                         [](const auto& tool) { return std::string(tool.param.name); });

class BadInputTest : public ::testing::TestWithParam<BadInput>, public Folders {};

TEST_P(BadInputTest, StopsTheBuildWithItsPlaceAndWritesNothing) {
  const BadInput& in = GetParam();
  const std::string bad = dir_ + "/in/" + in.file;
  ASSERT_TRUE(test::WriteFile(bad, test::Bytes(in.text.begin(), in.text.end())));
  const test::ToolRun r = test::RunCommand(Tool(in.tool).command(dir_ + "/a", bad));
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.output.find(in.where), std::string::npos) << r.output;
  EXPECT_NE(r.output.find(in.says), std::string::npos) << r.output;
  EXPECT_TRUE(Written("a").empty());
}

INSTANTIATE_TEST_SUITE_P(EveryTool, BadInputTest, ::testing::ValuesIn(kBadInputs),
                         [](const auto& bad) { return bad.param.tool + std::to_string(bad.index); });

class CastColourTest : public ::testing::TestWithParam<std::pair<std::string, std::string>>, public Folders {};

// A model colour named after the cast is the colour the faces are painted with: an
// unshaded paint shows it exactly in its strip of the model's texture, the second strip
// of four rows after the front paint's.
TEST_P(CastColourTest, AModelWearsTheColourOfTheFaceItNames) {
  const auto [who, part] = GetParam();
  const std::string model = dir_ + "/in/00_thing.model";
  const std::string text = std::string("model 0 thing \"x\"\npaint eye #000000 front\npaint coat cast:") + who + "." +
                           part + " glow\nball eye 0 0.3 -0.3 0.05 0.05 0.05\nball coat 0 0.3 0 0.3 0.3 0.3\n";
  ASSERT_TRUE(test::WriteFile(model, test::Bytes(text.begin(), text.end())));
  const test::ToolRun r = test::RunCommand(Tool("meshgen").command(dir_ + "/a", model));
  ASSERT_EQ(r.status, 0) << r.output;
  const test::Bytes png = test::ReadFile(dir_ + "/a/mesh_000.png");
  plat::Image texture;
  ASSERT_TRUE(plat::DecodeImage(png.data(), png.size(), texture));
  uint32_t rgb = 0;
  ASSERT_TRUE(tool::CastColour(who, part, &rgb));
  for (const int x : {0, texture.width / 2, texture.width - 1}) {
    EXPECT_EQ(texture.pixels[static_cast<size_t>(5 * texture.width + x)] & 0xFFFFFFu, rgb) << x;
  }
}

INSTANTIATE_TEST_SUITE_P(Heroes, CastColourTest,
                         ::testing::Values(std::pair<std::string, std::string>("milva", "hair"),
                                           std::pair<std::string, std::string>("zita", "cloth"),
                                           std::pair<std::string, std::string>("minerva", "trim"),
                                           std::pair<std::string, std::string>("yorun", "skin"),
                                           std::pair<std::string, std::string>("witch", "headwear")),
                         [](const auto& row) { return row.param.first + "_" + row.param.second; });

// Who wears a face, as the game shows it: each hero the face of its party row, and each
// person the scripts place the portrait it speaks with most. Pairs of model and person.
std::vector<std::pair<int, std::string>> FaceWearers() {
  const std::string atlas[] = {
#define ATLAS(name, l, t, r, b, paint) #name " " paint,
#include "engine/atlas.def"
#undef ATLAS
  };
  std::vector<std::pair<int, std::string>> wearers;
  for (int row = 0; row < kPartyRows; ++row) {
    for (const std::string& line : atlas) {
      if (line.rfind("kAtlasFace" + std::to_string(row) + " ", 0) == 0) {
        wearers.emplace_back(g_characterTable[row].model, line.substr(line.rfind(' ') + 1));
      }
    }
  }
  const test::Bytes glyphText = test::ReadFile(std::string(MILVA_SOURCE_DIR) + "/content/glyphs/glyphs.txt");
  scriptc::GlyphSet glyphs;
  std::vector<scriptc::Diagnostic> errors;
  scriptc::LoadGlyphs(std::string(glyphText.begin(), glyphText.end()), &glyphs, &errors);
  std::vector<scriptc::CompiledMap> maps;
  for (const auto& f : fs::directory_iterator(std::string(MILVA_SOURCE_DIR) + "/content/scripts")) {
    const test::Bytes text = test::ReadFile(f.path());
    if (f.path().filename().string().rfind("map", 0) != 0) continue;
    scriptc::CompileScript({text.begin(), text.end()}, glyphs, &maps.emplace_back(), &errors);
  }
  for (const auto& [model, voice] : scriptc::PersonVoices(maps)) {
    wearers.emplace_back(model, scriptc::PortraitLook(voice.portrait));
  }
  return wearers;
}

std::vector<uint32_t> TextureRow(const std::string& path, int y) {
  const test::Bytes png = test::ReadFile(path);
  plat::Image image;
  if (!plat::DecodeImage(png.data(), png.size(), image) || y >= image.height) return {};
  const auto at = image.pixels.begin() + static_cast<std::ptrdiff_t>(y) * image.width;
  return {at, at + image.width};
}

// Everyone with a face wears its colours: the built model holds a strip of four rows the
// model tool paints, shaded or unshaded, for the skin, hair and clothes of the face, and
// for its headwear when it has one. The tool paints them for models of its own, one a
// face, each strip after the front paint's.
TEST(FaceWearers, EveryModelWithAFaceWearsItsColours) {
  const auto wearers = FaceWearers();
  ASSERT_GT(wearers.size(), static_cast<size_t>(kPartyRows)) << "the scripts place nobody who speaks";
  std::vector<std::vector<std::string>> parts(wearers.size());
  std::string models;
  for (size_t i = 0; i < 35; ++i) {
    models += "model " + std::to_string(i) + " m" + std::to_string(i) + " \"x\"\npaint eye #000000 front\n";
    std::string shapes = "ball eye 0 0.3 0 0.3 0.3 0.3\n";
    for (const std::string part : {"skin", "hair", "cloth", "headwear"}) {
      uint32_t rgb = 0;
      if (i >= wearers.size() || !tool::CastColour(wearers[i].second, part, &rgb)) continue;
      parts[i].push_back(part);
      for (const std::string glow : {"", " glow"}) {
        models +=
            "paint " + part + std::to_string(glow.size()) + " cast:" + wearers[i].second + "." + part + glow + "\n";
        shapes += "ball " + part + std::to_string(glow.size()) + " 0 0.3 0 0.3 0.3 0.3\n";
      }
    }
    models += shapes;
  }
  const std::string dir = test::MakeTempDir();
  ASSERT_TRUE(test::WriteFile(dir + "/faces.model", test::Bytes(models.begin(), models.end())));
  const test::ToolRun run = test::RunCommand("tools/meshgen/meshgen --out " + dir + " " + dir + "/faces.model");
  ASSERT_EQ(run.status, 0) << run.output;
  for (size_t i = 0; i < wearers.size(); ++i) {
    char ours[32], built[32];
    std::snprintf(ours, sizeof ours, "/mesh_%03zu.png", i);
    std::snprintf(built, sizeof built, "models/mesh_%03d.png", wearers[i].first);
    for (size_t k = 0; k < parts[i].size(); ++k) {
      bool worn = false;
      for (int y = 0; y < 64; y += 4) {
        const auto row = TextureRow(test::GeneratedPath(built), y);
        worn = worn || (!row.empty() && (row == TextureRow(dir + ours, static_cast<int>(4 + 8 * k)) ||
                                         row == TextureRow(dir + ours, static_cast<int>(8 + 8 * k))));
      }
      EXPECT_TRUE(worn) << built << " lacks the " << parts[i][k] << " of " << wearers[i].second;
    }
  }
  fs::remove_all(dir);
}

// A model or sound description the tools refuse, or one they lack: the build stops and
// names it, and nothing is written.
TEST(ContentToolRefusalTest, BadOrMissingModelsAndSoundsStopTheBuild) {
  const std::string model = "model 0 thing \"x\"\npaint eye #000000 front\n";
  const std::string music = "sound 22 field \"x\"\ntempo 120\ninstrument a sine\npattern p : C4:16\n";
  const struct {
    const char* tool;  // "meshgen" or "wavsynth"
    const char* drop;  // the build's source left out
    std::string text;  // the bad file put in its place; empty: none
    const char* says;
  } kCases[] = {
      {"meshgen", "00_", model + "ball eye 0 0.5 -0.2 0.1 0.1 0.1\n", "lowest point is at y = 0.4000"},
      {"meshgen", "00_", model + "ball eye 0 0.1 -0.2 0.1 0.1 0.1 seg=2\n", "bad.in:3: seg must be 3 to 64"},
      {"meshgen", "00_", model + "box eye 0 0.5 0 1 1 1 wobble=3\n", "bad.in:3: unknown option 'wobble'"},
      {"meshgen", "00_", "model 0 thing \"x\"\npaint body #808080\nbox body 0 0.5 0 1 1 1\n", "has no front paint"},
      {"meshgen", "17_", "", "no description for model(s): 17"},
      {"wavsynth", "03_", "sound 3 refuse \"x\"\nlength 0.3\nvoice buzz freq=100\n", "bad.in:3: unknown wave 'buzz'"},
      {"wavsynth", "03_", "sound 3 refuse \"x\"\nlength 0.3\nvoice sine freq=H4\n",
       "bad.in:3: bad number for frequency: 'H4'"},
      {"wavsynth", "03_", "sound 3 refuse \"x\"\nvoice sine\n", "an effect needs a length"},
      {"wavsynth", "22_", music + "track a : p*8\n", "music must last at least 30 seconds"},
      {"wavsynth", "22_", music + "pattern q : C4:8\ntrack a : p*16\ntrack a : q*16\n",
       "bad.in:7: every track must be as long"},
      {"wavsynth", "22_", music + "track a : p*16 nothing\n", "bad.in:5: no pattern 'nothing'"},
      {"wavsynth", "07_", "", "no recipe for sound(s): 7"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.says);
    const std::string dir = test::MakeTempDir();
    const bool models = std::string(c.tool) == "meshgen";
    std::string inputs = Sources(models ? "models" : "sounds", c.drop);
    if (!c.text.empty()) {
      ASSERT_TRUE(test::WriteFile(dir + "/bad.in", test::Bytes(c.text.begin(), c.text.end())));
      inputs += " " + test::ShellQuote(dir + "/bad.in");
    }
    const test::ToolRun r = test::RunCommand((models ? "tools/meshgen/meshgen" : "tools/wavsynth/wavsynth") +
                                             std::string(" --out ") + dir + "/out" + inputs);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.output.find(c.says), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(dir + "/out")) << "a failed run wrote files";
    fs::remove_all(dir);
  }
}

class PackerTest : public ::testing::Test, public Folders {
 protected:
  std::string Put(const std::string& name, const std::string& text) {
    const std::string path = dir_ + "/in/" + name;
    EXPECT_TRUE(test::WriteFile(path, test::Bytes(text.begin(), text.end())));
    return path;
  }
};

// The packer lays its entries out as the game's archive: the table, then each entry's
// size and bytes, a list of material pictures filling the entries from its number on.
TEST_F(PackerTest, LaysOutEntriesInTheArchiveFormat) {
  const std::string zero = Put("zero.bin", "atlas-bytes"), one = Put("one.bin", "glyphs");
  Put("m0.bin", "first material");
  const std::string m1 = Put("m1.bin", "second");
  const std::string list = Put("materials.list", "# material textures\nm0.bin\n" + m1 + "\n");
  const std::string sound = Put("sound.wav", "RIFF....WAVE");
  const std::string manifest = Put(
      "manifest", "0 atlas " + zero + "\n1 glyphs " + one + "\n37 material @" + list + "\n185 music " + sound + "\n");
  const std::string data = dir_ + "/a/data.dat";
  const test::ToolRun r = test::RunCommand("tools/pack/milva_pack " + manifest + " " + data);
  ASSERT_EQ(r.status, 0) << r.output;
  const test::Bytes image = test::ReadFile(data);
  ASSERT_EQ(DataFileValidate(image.data(), image.size()), 1);
  // Entry 0 first, right after the table: its size at byte 744, its bytes at 748.
  EXPECT_EQ(ReadU32(&image[744]), 11u);
  EXPECT_EQ(std::string(image.begin() + 748, image.begin() + 759), "atlas-bytes");
  fs::current_path(dir_ + "/a");
  ASSERT_EQ(DataFileLoad(), 1);
  const auto entry = [](int i) {
    uint32_t size = 0;
    const uint8_t* p = DataFileGetEntry(i, &size);
    return std::string(reinterpret_cast<const char*>(p), size);
  };
  EXPECT_EQ(entry(1), "glyphs");
  EXPECT_EQ(entry(37), "first material");
  EXPECT_EQ(entry(38), "second");
  EXPECT_EQ(entry(39), "");
  EXPECT_EQ(entry(127), "");
  EXPECT_EQ(entry(185), "RIFF....WAVE");
}

// Every entry the packer cannot find is named, and no archive is written.
TEST_F(PackerTest, NamesEveryMissingEntryAndWritesNothing) {
  const std::string manifest = Put("manifest", "0 atlas " + Put("zero.bin", "x") + "\n127 mesh_000 " + dir_ +
                                                   "/in/mesh.x\n37 material @" + dir_ + "/in/nowhere.list\n");
  const test::ToolRun r = test::RunCommand("tools/pack/milva_pack " + manifest + " " + dir_ + "/a/data.dat");
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.output.find("entry 127 (mesh_000)"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("entry 37 (material list)"), std::string::npos) << r.output;
  EXPECT_FALSE(fs::exists(dir_ + "/a/data.dat"));
}

// A colour painted by the tools comes out of the game's decoder as that colour: the
// tools' colours, their blending over the colour key and over paint, and their PNG files
// keep every channel in its place.
TEST(ContentToolColourTest, PaintedColoursStayTheirColoursThroughTheToolsAndTheDecoder) {
  tool::Picture picture(4, 2, tool::kColourKey);
  tool::Surface all(&picture, {0, 0, 4, 2});
  all.Blend(0, 0, tool::Rgb(0x336699));
  all.Blend(1, 0, tool::Rgb(0xC01020));
  all.Blend(2, 0, tool::WithAlpha(tool::Rgb(0x2040F0), 0.5f));  // over nothing: the colour, half seen
  all.Set(3, 0, 0xFF000000u);
  all.Blend(3, 0, tool::Rgb(0xFFFFFF), 0.5f);  // half white over black: mid grey
  all.Set(0, 1, 0x80FF8040u);
  all.Set(1, 1, 0xFF2080C0u);
  all.Blend(1, 1, tool::Rgb(0x000000), 0.5f);  // half black over paint: each channel halved
  const std::string dir = test::MakeTempDir(), path = dir + "/p.png";
  std::string error;
  ASSERT_TRUE(tool::WritePng(path, picture, &error)) << error;
  const test::Bytes file = test::ReadFile(path);
  plat::Image decoded;
  ASSERT_TRUE(plat::DecodeImage(file.data(), file.size(), decoded));
  fs::remove_all(dir);
  ASSERT_EQ(decoded.pixels.size(), 8u);
  const auto near = [](uint32_t a, uint32_t b) {
    for (int shift : {24, 16, 8, 0}) {
      if (std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)) > 1) return false;
    }
    return true;
  };
  const uint32_t expected[8] = {0xFF336699u, 0xFFC01020u, 0x802040F0u,      0xFF808080u,
                                0x80FF8040u, 0xFF104060u, tool::kColourKey, tool::kColourKey};
  for (size_t i = 0; i < 8; ++i) {
    EXPECT_TRUE(near(decoded.pixels[i], expected[i])) << i << ": " << std::hex << decoded.pixels[i];
  }
}

// Lettering's outline stands round the letters evenly: as far out on the left and top as
// on the right and bottom.
TEST(ContentToolColourTest, LetteringsOutlineSurroundsItEvenly) {
  tool::Coverage letter;
  letter.width = letter.height = 3;
  letter.values.assign(9, 1.0f);
  tool::TextStyle style;
  style.outlineRadius = 2.0f;
  tool::Picture picture(20, 20, tool::kColourKey);
  tool::Surface all(&picture, {0, 0, 20, 20});
  tool::DrawCoverage(all, letter, 8, 8, style);
  int left = 20, top = 20, right = 0, bottom = 0;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 20; ++x) {
      if (picture.At(x, y) == tool::kColourKey) continue;
      left = std::min(left, x), top = std::min(top, y), right = std::max(right, x + 1),
      bottom = std::max(bottom, y + 1);
    }
  }
  EXPECT_EQ(left, 6);
  EXPECT_EQ(top, 6);
  EXPECT_EQ(right, 13);
  EXPECT_EQ(bottom, 13);
}

}  // namespace

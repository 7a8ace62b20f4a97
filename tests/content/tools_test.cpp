// Every content tool as the build runs it: the same sources give the same bytes, and a
// bad input stops the build with the file (and line) at fault and nothing written.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "art.h"
#include "engine/archive.h"
#include "platform/image.h"
#include "support/content_tools.h"
#include "support/files.h"
#include "support/harness.h"

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
              (bad.empty() ? Src("content/scripts") + " --mappack mappack.dat" : fs::path(bad).parent_path().string()) +
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
                                           std::pair<std::string, std::string>("yorun", "skin")),
                         [](const auto& row) { return row.param.first + "_" + row.param.second; });

}  // namespace

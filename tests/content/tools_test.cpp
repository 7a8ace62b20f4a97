// Every content tool as the build runs it: the same sources give the same bytes, and a
// bad input stops the build with the file (and line) at fault and nothing written.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "engine/archive.h"
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
  const char* badName;  // the bad input, written as this file
  const char* badText;
  const char* message;  // what the refusal says
};

void PrintTo(const ToolCase& tool, std::ostream* out) { *out << tool.name; }

const ToolCase kTools[] = {
    {"atlas",
     [](const std::string& out, const std::string& bad) {
       return "tools/atlas/milva_atlas " + (bad.empty() ? Src("src/engine/atlas.def") : bad) + kFonts + out + "/a.png";
     },
     "bad.def", "ATLAS(kA, 0, 0, 10, 10, \"label あ\")\nATLAS(kB, 5, 5, 20, 20, \"label い\")\n",
     "bad.def:2: kB overlaps kA"},
    {"glyphs",
     [](const std::string& out, const std::string& bad) {
       return "tools/glyphs/milva_glyphs " + (bad.empty() ? Src("content/glyphs/glyphs.txt") : bad) +
              " /usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf " + out + "/g.png " + out + "/g.inc";
     },
     "glyphs.txt", "\n　\n", "glyphs.txt: 2 rows, the glyph table has 659"},
    {"textures",
     [](const std::string& out, const std::string& bad) {
       return "tools/textures/milva_textures " + (bad.empty() ? Src("content/textures/textures.txt") : bad) + " " +
              out + "/";
     },
     "textures.txt", "0 sparkle somewhere\n", "textures.txt:1: expected a new index 0 to 34 and a known style"},
    {"meshgen",
     [](const std::string& out, const std::string& bad) {
       return "tools/meshgen/meshgen --out " + out +
              (bad.empty() ? Sources("models") : Sources("models", "00_") + " " + bad);
     },
     "bad.model",
     "model 0 thing \"x\"\npaint eye #000000 front\nball eye 0 0.5 -0.2 0.1 0.1 0.1\nbox skin 0 0.5 0 1 1 1\n",
     "bad.model:4: model thing has no paint 'skin'"},
    {"wavsynth",
     [](const std::string& out, const std::string& bad) {
       return "tools/wavsynth/wavsynth --out " + out +
              (bad.empty() ? Sources("sounds") : Sources("sounds", "03_") + " " + bad);
     },
     "bad.sound", "sound 3 refuse \"x\"\nlength 0.3\nvoice sine freq=100 dur=0\n", "bad.sound:3: dur must be above 0"},
    {"pack",
     [](const std::string& out, const std::string& bad) {
       return "tools/pack/milva_pack " + (bad.empty() ? std::string("generated/data.manifest") : bad) + " " + out +
              "/data.dat";
     },
     "manifest", "0 atlas /nowhere/atlas.png\n127 mesh_000 /nowhere/mesh.x\n", "entry 127 (mesh_000)"},
    {"mapc",
     [](const std::string& out, const std::string& bad) {
       return "tools/mapc/mapc -o " + out + "/mappack.dat " + (bad.empty() ? Src("content/maps/tiles.legend") : bad) +
              " " + Src("content/maps") + "/*.map";
     },
     "tiles.legend", "tile x 256 thing\n", "tiles.legend:1: tile code '256' is not 0 to 255"},
    {"scriptc",
     [](const std::string& out, const std::string& bad) {
       return "tools/scriptc/scriptc --glyphs " + Src("content/glyphs/glyphs.txt") + " --scripts " +
              (bad.empty() ? Src("content/scripts") + " --mappack mappack.dat" : fs::path(bad).parent_path().string()) +
              " --out " + out + "/epack.dat";
     },
     "map00.txt", "#1,1,あいうえおかきくけこさしすせそたちつてとなにぬね,\n#99,\n@\n",
     "map00.txt:1: the message line has 24 characters; a line holds 23"},
};

class ToolTest : public ::testing::TestWithParam<ToolCase> {
 protected:
  void SetUp() override {
    dir_ = test::MakeTempDir();
    for (const char* sub : {"a", "b", "in"}) fs::create_directories(dir_ + "/" + sub);
  }
  void TearDown() override { fs::remove_all(dir_); }
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

TEST_P(ToolTest, TwoRunsOfTheBuildsSourcesGiveTheSameBytes) {
  for (const char* run : {"a", "b"}) {
    const test::ToolRun r = test::RunCommand(GetParam().command(dir_ + "/" + run, ""));
    ASSERT_EQ(r.status, 0) << r.output;
  }
  const auto a = Written("a");
  EXPECT_FALSE(a.empty());
  EXPECT_TRUE(a == Written("b"));
}

TEST_P(ToolTest, ABadInputStopsTheBuildWithItsPlaceAndWritesNothing) {
  const std::string bad = dir_ + "/in/" + GetParam().badName;
  const std::string text = GetParam().badText;
  ASSERT_TRUE(test::WriteFile(bad, test::Bytes(text.begin(), text.end())));
  const test::ToolRun r = test::RunCommand(GetParam().command(dir_ + "/a", bad));
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.output.find(GetParam().message), std::string::npos) << r.output;
  EXPECT_TRUE(Written("a").empty());
}

INSTANTIATE_TEST_SUITE_P(EveryTool, ToolTest, ::testing::ValuesIn(kTools),
                         [](const auto& tool) { return std::string(tool.param.name); });

}  // namespace

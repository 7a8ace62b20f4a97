// The content tools as the build runs them: the same sources give the same bytes, and
// the packer lays out data.dat and refuses missing files by name.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "content_files.h"
#include "engine/archive.h"

namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Spill(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

class ToolsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("milva_tools_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_" +
            std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "a");
    fs::create_directories(dir_ / "b");
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Src(const char* relative) const { return content_test::SourceRoot() + "/" + relative; }
  int RunTool(const std::string& command) const {
    return std::system((command + " 2>" + (dir_ / "stderr.txt").string()).c_str());
  }
  std::string Errors() const { return Slurp(dir_ / "stderr.txt"); }
  fs::path dir_;
};

TEST_F(ToolsTest, TwoRunsOfEveryPainterGiveIdenticalBytes) {
  for (const char* run : {"a", "b"}) {
    const fs::path out = dir_ / run;
    ASSERT_EQ(RunTool("tools/atlas/milva_atlas " + Src("src/engine/atlas.def") + " " + content_test::kFontProportional +
                      " " + content_test::kFontFixed + " " + (out / "atlas.png").string()),
              0);
    ASSERT_EQ(RunTool("tools/glyphs/milva_glyphs " + Src("content/glyphs/glyphs.txt") + " " +
                      content_test::kFontProportional + " " + (out / "glyphs.png").string() + " " +
                      (out / "glyph_table.inc").string()),
              0);
    ASSERT_EQ(RunTool("tools/textures/milva_textures " + Src("content/textures/textures.txt") + " " + out.string()), 0);
  }
  int compared = 0;
  for (const auto& file : fs::directory_iterator(dir_ / "a")) {
    const fs::path other = dir_ / "b" / file.path().filename();
    EXPECT_TRUE(Slurp(file.path()) == Slurp(other)) << file.path().filename();
    ++compared;
  }
  EXPECT_EQ(compared, 3 + 35);
  // The build's own atlas came from the same definition.
  EXPECT_TRUE(Slurp(dir_ / "a" / "atlas.png") == Slurp("generated/atlas.png")) << "generated/atlas.png is stale";
}

TEST_F(ToolsTest, AtlasBuilderRefusesABadDefinitionWithFileAndLine) {
  const fs::path def = dir_ / "bad.def";
  const std::string fonts = std::string(" ") + content_test::kFontProportional + " " + content_test::kFontFixed + " ";
  const std::string out = (dir_ / "a" / "x.png").string();
  Spill(def, "// one\nATLAS(kA, 0, 0, 10, 10, \"label あ\")\nATLAS(kB, 5, 5, 20, 20, \"label い\")\n");
  EXPECT_NE(RunTool("tools/atlas/milva_atlas " + def.string() + fonts + out), 0);
  EXPECT_NE(Errors().find("bad.def:3: kB overlaps kA"), std::string::npos) << Errors();
  Spill(def,
        "ATLAS(kA, 0, 0, 10, 10, \"label あ\")\nATLAS(kB, 5, 5, 20, 20, \"same\")\nATLAS(kC, 2040, 0, 2049, 5, "
        "\"cursor\")\n");
  EXPECT_NE(RunTool("tools/atlas/milva_atlas " + def.string() + fonts + out), 0);
  EXPECT_NE(Errors().find("bad.def:3: kC: rectangle"), std::string::npos) << Errors();
  Spill(def, "ATLAS(kA, 0, 0, 10, 10, \"sparkle\")\n");
  EXPECT_NE(RunTool("tools/atlas/milva_atlas " + def.string() + fonts + out), 0);
  EXPECT_NE(Errors().find("bad.def:1: kA: unknown paint kind 'sparkle'"), std::string::npos);
  EXPECT_FALSE(fs::exists(out));
}

TEST_F(ToolsTest, PackerLaysOutEntriesInTheArchiveFormat) {
  Spill(dir_ / "zero.bin", "atlas-bytes");
  Spill(dir_ / "one.bin", "glyphs");
  Spill(dir_ / "m0.bin", "first material");
  Spill(dir_ / "m1.bin", "second");
  Spill(dir_ / "materials.list", "# material textures\nm0.bin\n" + (dir_ / "m1.bin").string() + "\n");
  Spill(dir_ / "sound.wav", "RIFF....WAVE");
  Spill(dir_ / "manifest", "0 atlas " + (dir_ / "zero.bin").string() + "\n1 glyphs " + (dir_ / "one.bin").string() +
                               "\n37 material @" + (dir_ / "materials.list").string() + "\n185 music " +
                               (dir_ / "sound.wav").string() + "\n");
  const fs::path data = dir_ / "a" / "data.dat";
  ASSERT_EQ(RunTool("tools/pack/milva_pack " + (dir_ / "manifest").string() + " " + data.string()), 0) << Errors();
  const std::string image = Slurp(data);
  ASSERT_EQ(DataFileValidate(reinterpret_cast<const uint8_t*>(image.data()), image.size()), 1);
  // Entry 0 first, right after the table: its size at byte 744, its bytes at 748.
  EXPECT_EQ(image.substr(744, 4), std::string("\x0B\0\0\0", 4));
  EXPECT_EQ(image.substr(748, 11), "atlas-bytes");
  const fs::path cwd = fs::current_path();
  fs::current_path(dir_ / "a");
  ASSERT_EQ(DataFileLoad(), 1);
  auto entry = [](int i) {
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
  DataFileFree();
  fs::current_path(cwd);
}

TEST_F(ToolsTest, PackerNamesEveryMissingEntryAndWritesNothing) {
  Spill(dir_ / "zero.bin", "x");
  Spill(dir_ / "manifest", "0 atlas " + (dir_ / "zero.bin").string() + "\n127 mesh_000 " + (dir_ / "mesh.x").string() +
                               "\n37 material @" + (dir_ / "nowhere.list").string() + "\n");
  const fs::path data = dir_ / "a" / "data.dat";
  EXPECT_NE(RunTool("tools/pack/milva_pack " + (dir_ / "manifest").string() + " " + data.string()), 0);
  const std::string error = Errors();
  EXPECT_NE(error.find("entry 127 (mesh_000)"), std::string::npos) << error;
  EXPECT_NE(error.find("entry 37 (material list)"), std::string::npos) << error;
  EXPECT_FALSE(fs::exists(data));
}

}  // namespace

// The map legend and the texture list are checked against the tile roles: a line that
// says otherwise stops the build with its file and line.
TEST_F(ToolsTest, LegendAndTextureLinesThatDisagreeWithTheTileRolesStopTheBuild) {
  const std::string textures = Slurp(Src("content/textures/textures.txt"));
  // The texture list with the line of texture `index` replaced.
  auto withLine = [&](int index, const std::string& line) {
    std::string out;
    std::istringstream in(textures);
    for (std::string l; std::getline(in, l);) {
      const bool ours = !l.empty() && l[0] != '#' && std::stoi(l) == index;
      out += (ours ? line : l) + "\n";
    }
    return out;
  };
  auto lineOf = [&](int index) {
    std::istringstream in(textures);
    int n = 1;
    for (std::string l; std::getline(in, l); ++n) {
      if (!l.empty() && l[0] != '#' && std::stoi(l) == index) return n;
    }
    return 0;
  };
  const std::string legend = "# shared\ntile . 0 grass\n";
  struct Case {
    const char* name;
    bool isLegend;
    std::string text;
    int line;
    const char* says;
  };
  const Case cases[] = {
      {"a house called a tree", true, legend + "tile T 30 woods trees\n", 3, "tile code 30 is 'house-plaster'"},
      {"a code no role names", true, legend + "tile X 50 wall\n", 3, "tile code 50 has no role"},
      {"a tile line without its role", true, legend + "tile ~ 45\n", 3, "tile <character> <code> <role>"},
      {"a top the roles give another texture", false, withLine(20, "20 stone-top top:woods tops"), lineOf(20),
       "tile code 17 (woods) shows texture 31 on its top, not 20"},
      {"a side left out", false, withLine(26, "26 stone-wall side:stone-wall walls"), lineOf(26),
       "texture 26 is also battle-side:hard"},
      {"a role that does not exist", false, withLine(31, "31 canopy top:woods,top:pines,top:tree canopy"), lineOf(31),
       "no tile role is named 'tree'"},
      {"a battlefield of another texture", false, withLine(3, "3 battle-grass battle-top:hard floor"), lineOf(3),
       "uses texture 27 there, not 3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path file = dir_ / (c.isLegend ? "bad.legend" : "bad.txt");
    Spill(file, c.text);
    const std::string command =
        c.isLegend ? "tools/mapc/mapc -o " + (dir_ / "a" / "m.dat").string() + " " + file.string() + " none.map"
                   : "tools/textures/milva_textures " + file.string() + " " + (dir_ / "a").string();
    EXPECT_NE(RunTool(command), 0);
    const std::string where = file.string() + ":" + std::to_string(c.line) + ": ";
    EXPECT_NE(Errors().find(where), std::string::npos) << Errors();
    EXPECT_NE(Errors().find(c.says), std::string::npos) << Errors();
  }
  EXPECT_FALSE(fs::exists(dir_ / "a" / "m.dat"));
}

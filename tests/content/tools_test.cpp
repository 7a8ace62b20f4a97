// The content tools as the build runs them: the same sources give the same bytes, and
// the packer lays out data.dat and refuses missing files by name.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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

#include "engine/archive.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/sound.h"
#include "platform/image.h"
#include "support/files.h"
#include "support/gfx.h"
#include "support/harness.h"

namespace {

std::vector<test::Bytes> NumberedEntries() {
  std::vector<test::Bytes> entries;
  for (int i = 0; i < kArchiveEntryCount; ++i) entries.push_back({static_cast<uint8_t>(i), 0xAB});
  return entries;
}

class ArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = test::MakeTempDir();
    std::filesystem::current_path(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string dir_;
};

TEST_F(ArchiveTest, OffsetsCountFromTheEndOfTheTable) {
  test::Bytes image = test::BuildArchive(NumberedEntries());
  ASSERT_TRUE(test::WriteFile("data.dat", image));
  ASSERT_EQ(DataFileLoad(), 1);
  // Entry 0 sits at offset 0: its size at byte 744, its first byte at 748.
  EXPECT_EQ(image[744], 2);
  uint32_t size = 0;
  const uint8_t* e0 = DataFileGetEntry(0, &size);
  EXPECT_EQ(e0, g_dataFile + 748);
  EXPECT_EQ(size, 2u);
  const uint8_t* e185 = DataFileGetEntry(185, &size);
  ASSERT_NE(e185, nullptr);
  EXPECT_EQ(e185[0], 185);
  EXPECT_EQ(e185[1], 0xAB);
}

// A missing file, a table cut short, or an entry whose record or bytes lie past the end
// of the file: the archive is refused whole.
TEST_F(ArchiveTest, MissingTruncatedOrLyingArchivesAreRefused) {
  EXPECT_EQ(DataFileLoad(), 0);
  const test::Bytes good = test::BuildArchive(NumberedEntries());
  const uint32_t end = static_cast<uint32_t>(good.size() - kArchiveTableSize - 2);
  const struct {
    const char* what;
    test::Bytes image;
    size_t at;  // where `value` is written as a little-endian word, when not past the image
    uint32_t value;
  } cases[] = {
      {"a table cut short", test::Bytes(good.begin(), good.begin() + 700), SIZE_MAX, 0},
      {"the last entry cut short", test::Bytes(good.begin(), good.end() - 1), SIZE_MAX, 0},
      {"entry 0 claiming more bytes than there are", good, kArchiveTableSize, 0xFFFF},
      {"entry 7's record beyond the file", good, 7 * 4, 0x7F000000},
      {"entry 9's size straddling the end", good, 9 * 4, end},
  };
  for (const auto& c : cases) {
    test::Bytes image = c.image;
    if (c.at != SIZE_MAX) StoreU32(image.data() + c.at, c.value);
    ASSERT_TRUE(test::WriteFile("data.dat", image));
    EXPECT_EQ(DataFileLoad(), 0) << c.what;
    EXPECT_EQ(g_dataFile, nullptr) << c.what;
  }
}

// A WAVE image of mono PCM at `rate` with `bytes` bytes of samples of `bits` bits.
test::Bytes Clip(uint32_t rate, uint16_t bits, uint32_t bytes) {
  test::Bytes wave = test::MinimalWave(0);
  StoreU32(wave.data() + 4, 36 + bytes);
  StoreU32(wave.data() + 24, rate);  // the rate, then bytes a second, the frame and the bit depth
  StoreU32(wave.data() + 28, rate * bits / 8);
  wave[32] = static_cast<uint8_t>(bits / 8);
  wave[34] = static_cast<uint8_t>(bits);
  StoreU32(wave.data() + 40, bytes);
  wave.resize(wave.size() + bytes, 0x80);
  return wave;
}

// What the pictures and clips decode to, counted from their headers, and the meshes'
// bytes: at their budgets the archive loads, a pixel, a sample or a byte past them it is
// refused whole; so is a file a byte past its cap.
TEST_F(ArchiveTest, DecodedSizesAndTheFileAreHeldToTheirBudgetsAtBothEnds) {
  const plat::Image side2048 = test::SolidImage(2048, 2048, 0xFF203040);
  const test::Bytes png2048 = test::PngBytes(side2048), jpeg2048 = test::JpegBytes(side2048, 50);
  const test::Bytes pixel = test::BmpBytes(test::SolidImage(1, 1, 0xFF000000), 24, false);
  // Nothing that decodes but what each case puts in: 1-byte pictures, clips and meshes.
  const auto base = [] { return std::vector<test::Bytes>(kArchiveEntryCount, test::Bytes{1}); };
  // Pictures of 64 MiB: three PNGs and a JPEG of 2048 by 2048.
  const auto atBudget = [&] {
    std::vector<test::Bytes> e = base();
    e[0] = e[2] = e[kEntryMaterialTextureFirst + 89] = png2048;
    e[1] = jpeg2048;
    return e;
  };
  // 8-bit clips at 8 kHz grow 5.5 times in the mixer's 22,050 Hz and 16 bits: these
  // 12.2 million samples come to 64 MiB less 2 bytes, two more to 6 bytes past it.
  constexpr uint32_t kClipAtBudget = 12173943;
  const struct {
    const char* what;
    std::function<std::vector<test::Bytes>()> entries;
    uint64_t fileSize;  // 0: as built; else the file is padded or cut to this
    int loaded;
  } cases[] = {
      {"pictures at the budget", atBudget, 0, 1},
      {"a pixel more",
       [&] {
         auto e = atBudget();
         e[36] = pixel;
         return e;
       },
       0, 0},
      {"a clip at the budget",
       [&] {
         auto e = base();
         e[kEntrySoundFirst + 23] = Clip(8000, 8, kClipAtBudget);
         return e;
       },
       0, 1},
      {"two samples more",
       [&] {
         auto e = base();
         e[kEntrySoundFirst] = Clip(8000, 8, kClipAtBudget + 2);
         return e;
       },
       0, 0},
      {"the same samples at 22,050 Hz",
       [&] {
         auto e = base();
         e[kEntrySoundFirst] = Clip(22050, 8, kClipAtBudget + 2);
         return e;
       },
       0, 1},
      {"meshes at the budget",
       [&] {
         auto e = base();
         e[kEntryMeshFirst] = test::Bytes(kDataFileMeshMaxBytes - 34, ' ');
         return e;
       },
       0, 1},
      {"a mesh byte more",
       [&] {
         auto e = base();
         e[kEntryMeshFirst + 34] = test::Bytes(kDataFileMeshMaxBytes - 33, ' ');
         return e;
       },
       0, 0},
      {"a file at its cap", base, kDataFileMaxBytes, 1},
      {"a byte more", base, kDataFileMaxBytes + 1, 0},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(test::WriteFile("data.dat", test::BuildArchive(c.entries())));
    if (c.fileSize) std::filesystem::resize_file("data.dat", c.fileSize);
    EXPECT_EQ(DataFileLoad(), c.loaded) << c.what;
    EXPECT_EQ(g_dataFile != nullptr, c.loaded == 1) << c.what;
    DataFileFree();
  }
}

TEST_F(ArchiveTest, TwoTableEntriesMayShareARecord) {
  test::Bytes image = test::BuildArchive(NumberedEntries());
  // Point entry 5 at entry 3's record.
  for (int b = 0; b < 4; ++b) image[5 * 4 + b] = image[3 * 4 + b];
  ASSERT_TRUE(test::WriteFile("data.dat", image));
  ASSERT_EQ(DataFileLoad(), 1);
  uint32_t s3 = 0, s5 = 0;
  EXPECT_EQ(DataFileGetEntry(3, &s3), DataFileGetEntry(5, &s5));
  EXPECT_EQ(s3, s5);
}

TEST_F(ArchiveTest, IndexOutsideTheTableGivesNull) {
  ASSERT_TRUE(test::WriteFile("data.dat", test::BuildArchive(NumberedEntries())));
  ASSERT_EQ(DataFileLoad(), 1);
  uint32_t size = 77;
  EXPECT_EQ(DataFileGetEntry(-1, &size), nullptr);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(DataFileGetEntry(186, &size), nullptr);
}

}  // namespace

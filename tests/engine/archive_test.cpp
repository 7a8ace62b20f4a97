#include "engine/archive.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/files.h"
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

TEST_F(ArchiveTest, MissingFileFails) { EXPECT_EQ(DataFileLoad(), 0); }

TEST_F(ArchiveTest, TruncatedOrLyingArchivesAreRefused) {
  const test::Bytes good = test::BuildArchive(NumberedEntries());

  test::Bytes shortTable(good.begin(), good.begin() + 700);
  ASSERT_TRUE(test::WriteFile("data.dat", shortTable));
  EXPECT_EQ(DataFileLoad(), 0);

  test::Bytes cut(good.begin(), good.end() - 1);  // last entry's bytes run past the end
  ASSERT_TRUE(test::WriteFile("data.dat", cut));
  EXPECT_EQ(DataFileLoad(), 0);

  test::Bytes bigSize = good;
  bigSize[744] = 0xFF;  // entry 0 claims far more bytes than the file holds
  bigSize[745] = 0xFF;
  ASSERT_TRUE(test::WriteFile("data.dat", bigSize));
  EXPECT_EQ(DataFileLoad(), 0);

  test::Bytes wildOffset = good;
  wildOffset[7 * 4 + 3] = 0x7F;  // entry 7's record lies beyond the file
  ASSERT_TRUE(test::WriteFile("data.dat", wildOffset));
  EXPECT_EQ(DataFileLoad(), 0);

  test::Bytes sizeFieldCut = good;
  const uint32_t end = static_cast<uint32_t>(good.size() - kArchiveTableSize - 2);
  for (int b = 0; b < 4; ++b) sizeFieldCut[9 * 4 + b] = static_cast<uint8_t>(end >> (8 * b));
  ASSERT_TRUE(test::WriteFile("data.dat", sizeFieldCut));  // size field straddles the end
  EXPECT_EQ(DataFileLoad(), 0);
  EXPECT_EQ(g_dataFile, nullptr);
}

}  // namespace

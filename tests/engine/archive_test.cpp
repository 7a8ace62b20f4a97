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

}  // namespace

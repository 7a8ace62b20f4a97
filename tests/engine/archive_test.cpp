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

TEST_F(ArchiveTest, IndexOutsideTheTableGivesNull) {
  ASSERT_TRUE(test::WriteFile("data.dat", test::BuildArchive(NumberedEntries())));
  ASSERT_EQ(DataFileLoad(), 1);
  uint32_t size = 77;
  EXPECT_EQ(DataFileGetEntry(-1, &size), nullptr);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(DataFileGetEntry(186, &size), nullptr);
}

}  // namespace

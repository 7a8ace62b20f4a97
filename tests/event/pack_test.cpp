#include "event/pack.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "data/game_state.h"
#include "engine/util.h"
#include "event/event_test_support.h"
#include "support/files.h"
#include "support/harness.h"

namespace {

using test::Bytes;

// "イベントファイルが一時保存領域を超えました"
const char* const kBlockTooLarge = "イベントファイルが一時保存領域を超えました";
const char* const kEventTooLarge = "イベントデータは過大です";

using test::Inverted;

Bytes BuildPack(const std::vector<Bytes>& blocks) { return test::BuildEventPack(blocks); }

class EventPackTest : public test::EventTest {
 protected:
  void SetUp() override {
    EventTest::SetUp();
    dir_ = test::MakeTempDir();
    ASSERT_FALSE(dir_.empty());
  }
  void TearDown() override {
    std::filesystem::remove_all(dir_);
    EventTest::TearDown();
  }
  int Load(const Bytes& file) {
    const std::string path = dir_ + "/epack.dat";
    EXPECT_TRUE(test::WriteFile(path, file));
    return EventLoadPack(path.c_str());
  }
  static std::string Slot(int k) { return std::string(EventSlotBase(k)); }
  std::string dir_;
};

TEST(EventReadNumberTest, DigitsThenOneSeparatorWithoutSign) {
  std::vector<char> slot(kEventSlotSize, 0);
  auto read = [&slot](const char* text, std::vector<int32_t> expected) {
    std::fill(slot.begin(), slot.end(), 0);
    std::memcpy(slot.data(), text, std::strlen(text));
    int32_t position = 0;
    for (int32_t value : expected) EXPECT_EQ(EventReadNumber(&position, slot.data()), value) << text;
    return position;
  };
  // The minus sign is taken for the separator.
  EXPECT_EQ(read("-5,", {0, 5}), 3);
  EXPECT_EQ(read(",7,", {0, 7}), 3);
  EXPECT_EQ(read("999999,", {999999}), 7);
  // The seventh digit is skipped as the separator; the ',' then reads as 0.
  EXPECT_EQ(read("1234567,8,", {123456, 0, 8}), 10);
}

TEST(EventReadNumberTest, StopsAtTheEndOfTheSlot) {
  std::vector<char> slot(kEventSlotSize, '7');
  int32_t position = kEventSlotSize - 3;
  EXPECT_EQ(EventReadNumber(&position, slot.data()), 777);
  EXPECT_EQ(position, kEventSlotSize);
  EXPECT_EQ(EventReadNumber(&position, slot.data()), 0);
  EXPECT_EQ(position, kEventSlotSize);
  position = -4;
  EXPECT_EQ(EventReadNumber(&position, slot.data()), 0);
  EXPECT_EQ(position, kEventSlotSize);
}

TEST(EventReadStringTest, CutToTheBufferAndZeroFilled) {
  std::vector<char> slot(kEventSlotSize, 0);
  const char text[] = "abcdefghijklmnopqrstuvwxyz0123,next,";
  std::memcpy(slot.data(), text, sizeof text - 1);
  char label[kEventLabelBytes + 4];
  std::memset(label, 'X', sizeof label);
  int32_t position = 0;
  EventReadString(label, kEventLabelBytes, &position, slot.data());
  EXPECT_EQ(std::string(label, kEventLabelBytes), "abcdefghijklmnopqrst");
  EXPECT_EQ(label[kEventLabelBytes], 'X');  // nothing written past the buffer
  EXPECT_EQ(position, 31);
  EventReadString(label, kEventLabelBytes, &position, slot.data());
  EXPECT_STREQ(label, "next");
}

TEST(EventReadStringTest, WithoutACommaRunsToTheEndOfTheSlotOnly) {
  std::vector<char> slot(kEventSlotSize, 'q');
  char line[kEventLineBytes];
  int32_t position = kEventSlotSize - 10;
  EventReadString(line, kEventLineBytes, &position, slot.data());
  EXPECT_EQ(std::string(line, 10), "qqqqqqqqqq");
  EXPECT_EQ(line[10], 0);
  EXPECT_EQ(position, kEventSlotSize);
  EventReadString(line, kEventLineBytes, &position, slot.data());
  EXPECT_EQ(line[0], 0);
  EXPECT_EQ(position, kEventSlotSize);
}

TEST_F(EventPackTest, SplitDropsCommentsLineEndsAndSpaces) {
  Bytes block = Inverted("#1,2,abc,/ a comment, #99, even @ here\r\ndef,\n#1,1,x y z,@#99,@");
  block.resize(kEventPackBlockSize, 0xFF);
  char slot[kEventSlotSize] = {};
  int32_t index = 0;
  ASSERT_EQ(EventSplitBlock(slot, block.data(), &index), 1);
  EXPECT_STREQ(slot, "#1,2,abc,def,#1,1,xyz,");
  char second[kEventSlotSize] = {};
  ASSERT_EQ(EventSplitBlock(second, block.data(), &index), 1);
  EXPECT_STREQ(second, "#99,");
}

TEST_F(EventPackTest, SplitKeepsAtMost13999Bytes) {
  std::vector<char> slot(kEventSlotSize, 0);
  Bytes fits = Inverted(std::string(kEventScriptMaxKept, 'a') + "@");
  fits.resize(kEventPackBlockSize, 0xFF);
  int32_t index = 0;
  ASSERT_EQ(EventSplitBlock(slot.data(), fits.data(), &index), 1);
  EXPECT_EQ(slot[kEventScriptMaxKept - 1], 'a');
  EXPECT_EQ(slot[kEventScriptMaxKept], 0);

  Bytes over = Inverted(std::string(kEventScriptMaxKept + 1, 'b') + "@");
  over.resize(kEventPackBlockSize, 0xFF);
  std::fill(slot.begin(), slot.end(), 0);
  index = 0;
  EXPECT_EQ(EventSplitBlock(slot.data(), over.data(), &index), 0);
  // The slot is full to its last byte, without a terminating zero.
  EXPECT_EQ(slot[kEventSlotSize - 1], 'b');
}

TEST_F(EventPackTest, SplitNeverReadsPastTheBlock) {
  Bytes block(kEventPackBlockSize, static_cast<uint8_t>(~'/'));  // one endless comment
  char slot[kEventSlotSize] = {};
  int32_t index = 0;
  EXPECT_EQ(EventSplitBlock(slot, block.data(), &index), 0);
  EXPECT_EQ(index, kEventPackBlockSize);
  EXPECT_EQ(EventSplitBlock(slot, block.data(), &index), 0);
  EXPECT_EQ(index, kEventPackBlockSize);
  index = -1;
  EXPECT_EQ(EventSplitBlock(slot, block.data(), &index), 0);
  // The last byte of the block is never text: an '@' there does not end the event.
  Bytes edge(kEventPackBlockSize, static_cast<uint8_t>(~' '));
  edge[kEventPackBlockSize - 1] = static_cast<uint8_t>(~'@');
  index = 0;
  EXPECT_EQ(EventSplitBlock(slot, edge.data(), &index), 0);
  edge[kEventPackBlockSize - 2] = static_cast<uint8_t>(~'@');
  index = 0;
  EXPECT_EQ(EventSplitBlock(slot, edge.data(), &index), 1);
}

TEST_F(EventPackTest, LoadsTheCurrentMapsBlockIntoItsSlots) {
  g_mapNumber = 2;
  g_eventCount = 2;
  ASSERT_EQ(Load(BuildPack({Inverted("#99,@"), {}, Inverted("#5,1,\n#99,@\n#5,2,#99,@")})), 1);
  EXPECT_EQ(Slot(0), "#5,1,#99,");
  EXPECT_EQ(Slot(1), "#5,2,#99,");
  EXPECT_EQ(Slot(2), "");
  EXPECT_TRUE(world_.boxes.empty());
}

TEST_F(EventPackTest, BlockOf16000BytesAcceptedOneMoreRefused) {
  g_eventCount = 1;
  Bytes block = Inverted("#99,@");
  block.resize(kEventPackBlockSize, static_cast<uint8_t>(~' '));
  ASSERT_EQ(Load(BuildPack({block})), 1);
  EXPECT_EQ(Slot(0), "#99,");
  EXPECT_TRUE(world_.boxes.empty());

  block.push_back(static_cast<uint8_t>(~' '));
  EXPECT_EQ(Load(BuildPack({block})), 0);
  ASSERT_EQ(world_.boxes.size(), 1u);
  EXPECT_EQ(world_.boxes[0].text, kBlockTooLarge);
  EXPECT_EQ(world_.boxes[0].caption, "");
  EXPECT_EQ(Slot(0), "");
}

TEST_F(EventPackTest, MoreThanTwentyEventCellsRefused) {
  g_eventCount = kEventSlotCount + 1;
  std::string text;
  for (int i = 0; i < g_eventCount; ++i) text += "#99,@";
  EXPECT_EQ(Load(BuildPack({Inverted(text)})), 0);
  ASSERT_EQ(world_.boxes.size(), 1u);
  EXPECT_EQ(world_.boxes[0].text, kBlockTooLarge);
}

TEST_F(EventPackTest, MissingEventRunsToTheEndAndGetsItsBox) {
  g_eventCount = 3;
  ASSERT_EQ(Load(BuildPack({Inverted("#5,1,#99,@#5,2,#99,@")})), 1);
  ASSERT_EQ(world_.boxes.size(), 1u);
  EXPECT_EQ(world_.boxes[0].text, kEventTooLarge);
  EXPECT_EQ(world_.boxes[0].caption, "");
  EXPECT_EQ(Slot(1), "#5,2,#99,");
  // The third slot kept the inverted zeros after the block, up to the slot's end.
  EXPECT_EQ(static_cast<uint8_t>(EventSlotBase(2)[0]), 0xFF);
  EXPECT_EQ(static_cast<uint8_t>(EventSlotBase(2)[kEventSlotSize - 1]), 0xFF);
}

TEST_F(EventPackTest, OversizedEventDoesNotStopTheLoad) {
  g_eventCount = 3;
  // Event 2 is too long; event 3 starts where its split stopped, inside it.
  const std::string text = "#99,@" + std::string(kEventScriptMaxKept + 1, 'x') + "yy#99,@#99,@";
  ASSERT_EQ(Load(BuildPack({Inverted(text)})), 1);
  ASSERT_EQ(world_.boxes.size(), 1u);
  EXPECT_EQ(Slot(0), "#99,");
  EXPECT_EQ(Slot(2), "y#99,");
}

// Random blocks, with every kind of special byte in them: every split stays inside the
// block and its slot, and the load goes on to the end.
TEST_F(EventPackTest, HostileBlocksSplitWithinTheirBuffers) {
  const std::string special = "/@\n\r #,x";
  RandomSeed(11);
  g_eventCount = kEventSlotCount;
  for (int round = 0; round < 8; ++round) {
    std::string text(static_cast<size_t>(RandomBelow(kEventPackBlockSize + 1)), ' ');
    for (char& c : text) {
      c = round % 2 == 0 ? special[static_cast<size_t>(RandomBelow(static_cast<int>(special.size())))]
                         : static_cast<char>(RandomBelow(256));
    }
    world_.boxes.clear();
    EXPECT_EQ(Load(BuildPack({Inverted(text)})), 1);
    for (const auto& box : world_.boxes) EXPECT_EQ(box.text, kEventTooLarge);
  }
}

TEST_F(EventPackTest, FilesThatLieAreRefusedLikeAMissingOne) {
  g_eventCount = 1;
  EXPECT_EQ(EventLoadPack((dir_ + "/none.dat").c_str()), 0);
  // Shorter than the offset table.
  EXPECT_EQ(Load(Bytes(20, 0)), 0);
  // The map's offset points past the end of the file.
  Bytes pack = BuildPack({Inverted("#99,@")});
  pack[0] = 0xF0;
  pack[1] = 0xFF;
  EXPECT_EQ(Load(pack), 0);
  pack[0] = 0xFF;
  pack[1] = 0xFF;
  pack[2] = 0xFF;
  pack[3] = 0xFF;
  EXPECT_EQ(Load(pack), 0);
  // The size word promises more bytes than the file holds.
  pack = BuildPack({Inverted("#99,@")});
  pack[kEventPackTableBytes + 1] = 0x3A;  // map 0's size word: 14,853 bytes
  EXPECT_EQ(Load(pack), 0);
  // Map numbers outside the table.
  g_mapNumber = kMapCount;
  EXPECT_EQ(Load(BuildPack({})), 0);
  g_mapNumber = -1;
  EXPECT_EQ(Load(BuildPack({})), 0);
  EXPECT_TRUE(world_.boxes.empty());
}

}  // namespace

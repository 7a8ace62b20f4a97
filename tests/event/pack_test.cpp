#include "event/pack.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "event/event_test_support.h"
#include "platform/window.h"
#include "support/files.h"
#include "support/harness.h"

namespace {

using test::Bytes;
using test::Inverted;

const char* const kBlockTooLarge = "イベントファイルが一時保存領域を超えました";
const char* const kEventTooLarge = "イベントデータは過大です";

Bytes Block(const std::string& text, uint8_t fill = 0xFF) {
  Bytes block = Inverted(text);
  block.resize(kEventPackBlockSize, fill);
  return block;
}

// Numbers and strings as the script reader takes them: at most six digits, one separator
// after them, strings cut to their buffers, nothing read past the slot.
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

TEST(EventSplitTest, DropsCommentsLineEndsAndSpacesAndKeepsAtMost13999Bytes) {
  const Bytes block = Block("#1,2,abc,/ a comment, #99, even @ here\r\ndef,\n#1,1,x y z,@#99,@");
  std::vector<char> slot(kEventSlotSize, 0);
  int32_t index = 0;
  ASSERT_EQ(EventSplitBlock(slot.data(), block.data(), &index), 1);
  EXPECT_STREQ(slot.data(), "#1,2,abc,def,#1,1,xyz,");
  std::fill(slot.begin(), slot.end(), 0);
  ASSERT_EQ(EventSplitBlock(slot.data(), block.data(), &index), 1);
  EXPECT_STREQ(slot.data(), "#99,");
  for (int extra : {0, 1}) {
    std::fill(slot.begin(), slot.end(), 0);
    index = 0;
    EXPECT_EQ(EventSplitBlock(slot.data(), Block(std::string(kEventScriptMaxKept + extra, 'a') + "@").data(), &index),
              extra ? 0 : 1);
    EXPECT_EQ(slot[kEventSlotSize - 1], extra ? 'a' : 0);  // full to its last byte, never past it
  }
}

class EventPackTest : public test::EventTest {
 protected:
  void SetUp() override {
    EventTest::SetUp();
    dir_ = test::MakeTempDir();
    plat::SetMessageBoxHook(
        [this](std::string_view text, std::string_view) { boxes_.push_back(plat::SjisToUtf8(text)); });
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  int Load(const Bytes& file) {
    const std::string path = dir_ + "/epack.dat";
    EXPECT_TRUE(test::WriteFile(path, file));
    return EventLoadPack(path.c_str());
  }
  static std::string Slot(int k) { return std::string(EventSlotBase(k)); }
  std::string dir_;
  std::vector<std::string> boxes_;
};

// What the game cannot hold or read is refused like a missing file; the two that
// overflow the buffers say so.
TEST_F(EventPackTest, FilesThatLieOrOverflowAreRefused) {
  Bytes fits = Block("#99,@", static_cast<uint8_t>(~' '));
  Bytes over = fits;
  over.push_back(static_cast<uint8_t>(~' '));
  std::string twentyOne;
  for (int i = 0; i <= kEventSlotCount; ++i) twentyOne += "#99,@";
  Bytes farOffset = test::BuildEventPack({Inverted("#99,@")});
  StoreU32(farOffset.data(), 0xFFFFFFFF);
  Bytes longSize = test::BuildEventPack({Inverted("#99,@")});
  longSize[kEventPackTableBytes + 1] = 0x3A;  // map 0's size word: 14,853 bytes
  const struct {
    const char* what;
    Bytes file;
    int32_t map, events;
    int loaded;
    const char* box;
  } cases[] = {
      {"a block of 16,000 bytes", test::BuildEventPack({fits}), 0, 1, 1, nullptr},
      {"a block of 16,001 bytes", test::BuildEventPack({over}), 0, 1, 0, kBlockTooLarge},
      {"21 event cells", test::BuildEventPack({Inverted(twentyOne)}), 0, kEventSlotCount + 1, 0, kBlockTooLarge},
      {"shorter than the table", Bytes(20, 0), 0, 1, 0, nullptr},
      {"an offset past the end", farOffset, 0, 1, 0, nullptr},
      {"a size past the end", longSize, 0, 1, 0, nullptr},
      {"map 14", test::BuildEventPack({}), kMapCount, 1, 0, nullptr},
      {"map -1", test::BuildEventPack({}), -1, 1, 0, nullptr},
  };
  for (const auto& c : cases) {
    boxes_.clear();
    g_mapNumber = c.map;
    g_eventCount = c.events;
    EXPECT_EQ(Load(c.file), c.loaded) << c.what;
    EXPECT_EQ(boxes_, c.box ? std::vector<std::string>{c.box} : std::vector<std::string>{}) << c.what;
  }
  EXPECT_EQ(EventLoadPack((dir_ + "/none.dat").c_str()), 0);
}

// An event too long for its slot, or missing, gets its box and the load goes on.
TEST_F(EventPackTest, OversizedOrMissingEventsAreReportedAndTheLoadGoesOn) {
  g_eventCount = 3;
  const std::string text = "#99,@" + std::string(kEventScriptMaxKept + 1, 'x') + "yy#99,@#99,@";
  ASSERT_EQ(Load(test::BuildEventPack({Inverted(text)})), 1);
  EXPECT_EQ(boxes_, std::vector<std::string>{kEventTooLarge});
  EXPECT_EQ(Slot(0), "#99,");
  EXPECT_EQ(Slot(2), "y#99,");  // the third starts where the second's split stopped
  boxes_.clear();
  ASSERT_EQ(Load(test::BuildEventPack({Inverted("#5,1,#99,@#5,2,#99,@")})), 1);
  EXPECT_EQ(boxes_, std::vector<std::string>{kEventTooLarge});
  EXPECT_EQ(Slot(1), "#5,2,#99,");
}

}  // namespace

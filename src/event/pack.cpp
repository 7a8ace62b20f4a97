#include "event/pack.h"

#include <cstring>
#include <string>
#include <vector>

#include "data/game_state.h"
#include "platform/bytes.h"
#include "platform/files.h"
#include "platform/problem.h"
#include "platform/window.h"

uint8_t g_eventPackBuffer[kEventPackBlockSize];

namespace {

// "イベントファイルが一時保存領域を超えました"
constexpr char kBlockTooLarge[] =
    "\x83\x43\x83\x78\x83\x93\x83\x67\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x88\xea\x8e\x9e\x95\xdb\x91\xb6"
    "\x97\xcc\x88\xe6\x82\xf0\x92\xb4\x82\xa6\x82\xdc\x82\xb5\x82\xbd";
// "イベントデータは過大です"
constexpr char kEventTooLarge[] =
    "\x83\x43\x83\x78\x83\x93\x83\x67\x83\x66\x81\x5b\x83\x5e\x82\xcd\x89\xdf\x91\xe5\x82\xc5\x82\xb7";

// Where the map's block lies in the file, and how large it says it is.
enum class BlockPlace { kFound, kOutside, kTooLarge, kPastEnd };
BlockPlace LocateBlock(const std::vector<uint8_t>& file, int map, int32_t eventCount, uint64_t* start, uint32_t* size) {
  if (map < 0 || map >= kMapCount || file.size() < static_cast<size_t>(kEventPackTableBytes)) {
    return BlockPlace::kOutside;
  }
  const uint64_t sizeAt =
      kEventPackTableBytes + static_cast<uint64_t>(ReadU32(file.data() + static_cast<size_t>(map) * 4));
  if (sizeAt + 4 > file.size()) return BlockPlace::kOutside;
  *size = ReadU32(file.data() + sizeAt);
  *start = sizeAt + 4;
  // More event cells than script slots cannot be held either.
  if (*size > kEventPackBlockSize || eventCount > kEventSlotCount) return BlockPlace::kTooLarge;
  if (*start + *size > file.size()) return BlockPlace::kPastEnd;
  return BlockPlace::kFound;
}

}  // namespace

char* EventSlotBase(int slot) { return g_eventSlots + static_cast<size_t>(slot) * kEventSlotSize; }

int EventLoadPack(const char* fileName) {
  std::memset(g_eventPackBuffer, 0, sizeof g_eventPackBuffer);
  std::memset(g_eventSlots, 0, static_cast<size_t>(kEventSlotCount) * kEventSlotSize);
  std::vector<uint8_t> file;
  uint64_t start = 0;
  uint32_t size = 0;
  if (!plat::ReadWholeFile(fileName, kEventPackMaxBytes, file)) return 0;
  const std::string map = "map " + std::to_string(g_mapNumber);
  switch (LocateBlock(file, g_mapNumber, g_eventCount, &start, &size)) {
    case BlockPlace::kFound: break;
    case BlockPlace::kOutside:
      plat::NoteProblem(fileName, "the table or the block of " + map + " lies outside the file");
      return 0;
    case BlockPlace::kTooLarge:
      plat::NoteProblem(fileName, "the block of " + map + " is larger than " + std::to_string(kEventPackBlockSize) +
                                      " bytes or the map has more than " + std::to_string(kEventSlotCount) +
                                      " event cells");
      plat::MessageBox(kBlockTooLarge, "");
      return 0;
    case BlockPlace::kPastEnd:
      plat::NoteProblem(fileName, "the block of " + map + " runs past the end of the file");
      return 0;
  }
  std::memcpy(g_eventPackBuffer, file.data() + start, size);
  int32_t index = 0;
  for (int k = 0; k < g_eventCount; ++k) {
    if (!EventSplitBlock(EventSlotBase(k), g_eventPackBuffer, &index)) plat::MessageBox(kEventTooLarge, "");
  }
  return 1;
}

int EventReadScripts(const char* fileName, int map, int32_t eventCount, std::vector<char>* slots) {
  std::vector<uint8_t> file;
  uint64_t start = 0;
  uint32_t size = 0;
  if (!plat::ReadWholeFile(fileName, kEventPackMaxBytes, file) ||
      LocateBlock(file, map, eventCount, &start, &size) != BlockPlace::kFound) {
    return 0;
  }
  std::vector<uint8_t> block(kEventPackBlockSize, 0);
  std::memcpy(block.data(), file.data() + start, size);
  slots->assign(static_cast<size_t>(kEventSlotCount) * kEventSlotSize, 0);
  int32_t index = 0;
  for (int k = 0; k < eventCount; ++k)
    EventSplitBlock(slots->data() + static_cast<size_t>(k) * kEventSlotSize, block.data(), &index);
  return 1;
}

// The index is shared by all events of the block, so after a failure the next event
// starts wherever this one stopped; once it has run off the block every later event
// fails at once without reading.
int EventSplitBlock(char* slot, const uint8_t* block, int32_t* index) {
  int kept = 0;
  for (;;) {
    if (*index < 0 || *index >= kEventPackBlockSize) return 0;
    const char t = static_cast<char>(~block[(*index)++]);
    if (kept > kEventScriptMaxKept || *index > kEventPackBlockSize - 1) return 0;
    if (t == '/') {
      // A comment runs up to and including the next line feed, inside a message too.
      char c = 0;
      while (c != '\n') {
        if (*index > kEventPackBlockSize - 1) return 0;
        c = static_cast<char>(~block[(*index)++]);
      }
    } else if (t == '@') {
      return 1;
    } else if (t != '\n' && t != '\r' && t != ' ') {
      slot[kept++] = t;
    }
  }
}

int32_t EventReadNumber(int32_t* position, const char* script) {
  int32_t p = *position;
  if (p < 0 || p >= kEventSlotSize) {
    *position = kEventSlotSize;
    return 0;
  }
  int digits = 0;
  while (p + digits < kEventSlotSize && script[p + digits] >= '0' && script[p + digits] <= '9') ++digits;
  if (digits > 6) digits = 6;
  int32_t value = 0;
  for (int i = 0; i < digits; ++i) value = value * 10 + (script[p + i] - '0');
  // Past the digits and one byte more: the separator, whatever it is.
  p += digits + 1;
  *position = p < kEventSlotSize ? p : kEventSlotSize;
  return value;
}

void EventReadString(char* destination, int capacity, int32_t* position, const char* script) {
  std::memset(destination, 0, static_cast<size_t>(capacity));
  int32_t p = *position < 0 ? kEventSlotSize : *position;
  int copied = 0;
  for (; p < kEventSlotSize && script[p] != ','; ++p) {
    if (copied < capacity) destination[copied++] = script[p];
  }
  *position = p < kEventSlotSize ? p + 1 : kEventSlotSize;
}

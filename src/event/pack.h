// The current map's event scripts: the map's block read from the event pack, split into
// the numbered script slots, and the two readers every script command is built on.
#pragma once

#include <cstdint>
#include <vector>

#include "data/game_state.h"
#include "field/map.h"

constexpr char kEventPackFileName[] = "epack.dat";
constexpr int kEventPackBlockSize = 16000;  // the largest stored block of one map
constexpr int kEventPackTableBytes = kMapCount * 4;
// Every map's block at the largest size the buffer holds; a larger pack is refused unread.
constexpr size_t kEventPackMaxBytes = kEventPackTableBytes + kMapCount * (4 + kEventPackBlockSize);
constexpr int kEventScriptMaxKept = kEventSlotSize - 1;  // a split slot keeps a zero at its end
constexpr int kEventLineBytes = 46;                      // one message line: 23 two-byte characters
constexpr int kEventLabelBytes = 20;

// The block of the current map as stored in the file (every byte inverted).
extern uint8_t g_eventPackBuffer[kEventPackBlockSize];

// Reads the block of g_mapNumber from the pack and splits it into g_eventCount slots.
// 0 when the file is missing or does not hold what its table promises, and (with a box)
// when the block or the number of events is too large for the buffers. An event that
// does not split gets its own box and the load goes on.
int EventLoadPack(const char* fileName);
// The block of map `map` split into `eventCount` slots as a load splits it, for a map
// not yet loaded, without a box or a note; nothing of the current map changes. 0 when
// the pack does not hold the block as a load would take it.
int EventReadScripts(const char* fileName, int map, int32_t eventCount, std::vector<char>* slots);
// Splits the next event of the block into the slot, from the shared input index on.
// 1 at the event's '@'; 0 when it keeps too much or runs off the block.
int EventSplitBlock(char* slot, const uint8_t* block, int32_t* index);

// The readers work on one 14,000-byte slot and never read or move past its end.
//
// A number: up to six of the digits at the position (none reads 0); the position moves
// past them and one separator byte. There is no sign.
int32_t EventReadNumber(int32_t* position, const char* script);
// A string: the bytes up to the next ',' (not copied), cut to the capacity; the rest of
// the destination is zeroed. The position moves past the ','.
void EventReadString(char* destination, int capacity, int32_t* position, const char* script);

// Script slot k holds event k + 1.
char* EventSlotBase(int slot);

// The five save slots, "save0.dat" to "save4.dat" in the folder the game runs in: a
// plain little-endian dump of the game state and the party's places on the field, with
// no header, version or checksum.
//
//   offset          size        what
//   0               4           map number, 0 to 13
//   4               4           header level: the heroine's level, for the slot list
//   8               4           money
//   12              400         the 100 event flags
//   412             4           n, the party count
//   416             152 n       party rows 0 to n - 1
//   416 + 152 n     152 n       reserve rows 0 to n - 1
//   416 + 304 n     640         the 80 inventory slots: item id (9999 empty), count
//   1056 + 304 n    48          walkers 0 to 3: x, z, facing (floats)
//   1104 + 304 n    4           the camera's eye height, only when a camera existed
//
// A file is written whole beside the old one and renamed over it, so a failed write
// never loses a save; a file is checked whole before anything of the running game
// changes, so a damaged one is refused and loses nothing either.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "data/characters.h"
#include "data/game_state.h"
#include "data/items.h"
#include "field/map.h"
#include "platform/files.h"

constexpr int kSaveSlotCount = 5;
constexpr size_t kSaveRowPairSize = 2 * sizeof(CharacterRecord);  // a party row and a reserve row
constexpr size_t kSaveOffsetLevel = 4;
constexpr size_t kSaveOffsetMoney = 8;
constexpr size_t kSaveOffsetFlags = 12;
constexpr size_t kSaveOffsetPartyCount = 412;
constexpr size_t kSaveOffsetParty = 416;
constexpr size_t kSaveInventorySize = kInventorySlots * 8;
constexpr size_t kSaveWalkersSize = 4 * 3 * 4;
constexpr size_t kSaveCameraSize = 4;
static_assert(kSaveOffsetFlags + kEventFlagCount * 4 == kSaveOffsetPartyCount);

constexpr size_t SaveOffsetReserve(int32_t n) { return kSaveOffsetParty + sizeof(CharacterRecord) * n; }
constexpr size_t SaveOffsetInventory(int32_t n) { return kSaveOffsetParty + kSaveRowPairSize * n; }
constexpr size_t SaveOffsetWalkers(int32_t n) { return SaveOffsetInventory(n) + kSaveInventorySize; }
constexpr size_t SaveOffsetCamera(int32_t n) { return SaveOffsetWalkers(n) + kSaveWalkersSize; }
// The size of a file with n members, without and with the camera field.
constexpr size_t SaveFileSize(int32_t n, bool camera) { return SaveOffsetCamera(n) + (camera ? kSaveCameraSize : 0); }
constexpr size_t kSaveMaxSize = SaveFileSize(kPartyRows, true);
static_assert(SaveFileSize(0, false) == 1104 && kSaveMaxSize == 2324);

struct SaveWalker {
  float x, z, facing;
};

// Everything one file holds, read and checked.
struct SaveContents {
  int32_t mapNumber;
  int32_t headerLevel;
  int32_t money;
  int32_t eventFlags[kEventFlagCount];
  int32_t partyCount;                   // 1 to 4
  CharacterRecord party[kPartyRows];    // rows below partyCount
  CharacterRecord reserve[kPartyRows];  // rows below partyCount
  InventorySlot inventory[kInventorySlots];
  SaveWalker walkers[4];
  int32_t hasCamera;
  float cameraHeight;
};

// What the slot list shows of each file.
struct SaveSlotList {
  int32_t exists[kSaveSlotCount];  // 1: the file is one the game can load
  int32_t mapNumber[kSaveSlotCount];
  int32_t level[kSaveSlotCount];
  plat::LocalTime time[kSaveSlotCount];  // last written, local time
};

// What came of a load.
enum SaveLoadResult : int {
  kSaveLoadRefused = 0,  // no file, or one that does not hold a game: nothing changed
  kSaveLoadDone = 1,     // the saved game runs from the next frame
  kSaveLoadNoMap = 2,    // the game was replaced but its map could not be read: at the title
};

// "save%d.dat"; empty outside 0 to 4.
std::string SaveFileName(int slot);

// Checks a whole file image and reads it into `out`: the exact size for its party
// count, a count of 1 to 4, map 0 to 13, money within the purse, every inventory slot
// empty or a real item with 1 to 99 of it, the header's level the one its rows give,
// every party and reserve row empty or a member's record as play can make it (its hero
// row of the character table, grown only as level-ups grow it), and finite walker
// positions and facings. Reads nothing outside
// the buffer, whatever it holds. False for anything else; nothing else changes.
bool SaveParse(const uint8_t* bytes, size_t size, SaveContents* out);
// Whether every walker stands at the centre of a cell of the map that is no wall.
bool SaveWalkersStandOn(const SaveContents& save, const MapPackTiles& map);
// Whether a saved party may be set down on its map as the files hold it: every walker
// at rest on an open cell, the leader off every event's cell (the save screen never saves
// there, and a trigger under it would start at once), and no event of the map that would
// start by itself as it comes up under the saved flags (the party never rests while one
// waits). So a loaded party stands as the file left it until the player moves it, and
// the game can be saved again at once. `scripts`, the map's 20 script slots, may be null
// when they cannot be read: the load then fails at the map.
enum SaveMapFit : int {
  kSaveMapFits,
  kSaveMapWalkerBlocked,
  kSaveMapLeaderOnEvent,
  kSaveMapEventWaiting,
};
SaveMapFit SaveFitsMap(const SaveContents& save, const MapPackTiles& map, const std::vector<char>* scripts);
// A slot's file read and checked, its party against the map it would stand on when the
// map pack holds it (`mapReadable`). False for a file the game cannot load.
bool SaveReadFile(int slot, SaveContents* out, bool* mapReadable);

// The level of the first party member with character id 0, or 0.
int32_t SaveHeaderLevel();
// Whether slots 0 to 3 hold the four live walkers a save reads.
bool SavePartyOnField();
// The file image of the running game.
std::vector<uint8_t> SaveBuild();
void SaveWriteRecord(std::vector<uint8_t>& out, const CharacterRecord& record);
void SaveReadRecord(const uint8_t* bytes, CharacterRecord* record);
void SaveWriteInventory(std::vector<uint8_t>& out);
void SaveWriteWalkers(std::vector<uint8_t>& out);
void SaveWriteCamera(std::vector<uint8_t>& out);

// Writes the running game to slot 0 to 4. 1 once the new file is in place; 0 when the
// slot is out of range, the party is not on the field, the game would not load back,
// or the write failed, and then the slot's old file is as it was and the reason is
// noted (platform/problem.h).
int SaveWrite(int slot);
// Loads a slot and rebuilds the field: walkers, field view, camera, then the map.
SaveLoadResult SaveRead(int slot);
void SaveSlotsScan(SaveSlotList* list);
// The four walkers of a loaded game, each following the one before; 1, or 0 if one
// cannot be created.
int SaveRecreateWalkers(const float x[4], const float z[4], const float facing[4]);

#include "menu/save_file.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "data/flow.h"
#include "data/money.h"
#include "data/tasks.h"
#include "engine/camera.h"
#include "engine/graphics.h"
#include "engine/settings.h"
#include "engine/sound.h"
#include "engine/task.h"
#include "event/pack.h"
#include "event/party_commands.h"
#include "event/placement.h"
#include "field/field_view.h"
#include "field/map.h"
#include "field/walker.h"
#include "platform/bytes.h"
#include "platform/problem.h"

namespace {

constexpr int32_t kMaxStack = 99;
constexpr float kLoadedWalkerHeight = 0.25f;
constexpr float kLoadedCameraAngle = 270.0f;
// The record's four-byte words before the name: id through the name picture.
constexpr size_t kRecordWordsBeforeName = offsetof(CharacterRecord, name) / 4;
constexpr size_t kRecordWordsAfterName = (sizeof(CharacterRecord) - offsetof(CharacterRecord, experience)) / 4;
static_assert(kRecordWordsBeforeName == 25 && kRecordWordsAfterName == 3);

bool SlotValid(int slot) { return slot >= 0 && slot < kSaveSlotCount; }

// A member wears what its row starts with, nothing, or a piece of the right kind that
// its class may wear: the item menu puts on nothing else.
bool EquipmentFits(int32_t item, ItemKind kind, int32_t characterClass, int32_t start) {
  if (item == start || item == kItemEmpty) return true;
  if (!ItemIdValid(item)) return false;
  const ItemRecord& piece = g_itemTable[item];
  return piece.kind == kind && (piece.equipMask & characterClass) != 0;
}

// The values an ability can hold once level-ups have taken the row's level to `level`:
// each adds between the least and the most its class gains, and holds the ability at its
// cap. Level-ups at the highest level no longer count but still grow the abilities.
bool AbilityReachable(const CharacterRecord& row, int32_t level, Ability ability, int32_t value) {
  const int64_t start = row.*kAbilityFields[ability], cap = kAbilityCaps[ability];
  const GainRange gain = LevelUpGainRange(row.characterClass, ability);
  const int64_t ups = int64_t{level} - row.level;
  int64_t least = start, most = start;
  if (ups > 0) {
    least = std::min(cap, start + ups * gain.least);
    most = std::min(cap, start + ups * gain.most);
  }
  if (level == kLevelMax) {
    least = std::min(least, cap);
    most = std::max(most, gain.most > 0 ? cap : std::min(cap, start));
  }
  return value >= least && value <= most;
}

// A member's record as play can make it: hero row `id` of the character table as
// level-ups, battles, items and inns change it. The level runs from the row's to the
// highest, every ability within what that many level-ups reach, hit and magic points
// from 0 to their maxima, experience below a level's worth, only the two ailments'
// bits, equipment the member may wear; the rest no rule changes, so it is the row's.
bool MemberRecordValid(const CharacterRecord& r) {
  if (r.id < 0 || r.id >= kPartyRows) return false;
  const CharacterRecord& row = g_characterTable[r.id];
  const bool identity = r.side == row.side && r.characterClass == row.characterClass && r.model == row.model &&
                        r.move == row.move && r.decision == row.decision && r.money == row.money &&
                        r.spare == row.spare &&
                        std::memcmp(&r.namePicture, &row.namePicture, sizeof r.namePicture) == 0 &&
                        std::memchr(r.name, '\0', sizeof r.name) != nullptr && std::strcmp(r.name, row.name) == 0;
  if (!identity || r.level < row.level || r.level > kLevelMax) return false;
  for (int a = 0; a < kAbilityCount; ++a) {
    const auto ability = static_cast<Ability>(a);
    if (!AbilityReachable(row, r.level, ability, r.*kAbilityFields[ability])) return false;
  }
  return r.hp >= 0 && r.hp <= r.maxHp && r.mp >= 0 && r.mp <= r.maxMp && r.experience >= 0 &&
         r.experience < kExperiencePerLevel && (r.status & ~(kStatusPoison | kStatusCannotAct)) == 0 &&
         EquipmentFits(r.weapon, kItemWeapon, r.characterClass, row.weapon) &&
         EquipmentFits(r.armour, kItemArmour, r.characterClass, row.armour);
}

// A row is a member, or the all-zero record of a place a script emptied (and of the
// reserve rows nobody was set aside in).
bool RecordValid(const CharacterRecord& r) { return CharacterRecordEmpty(r) || MemberRecordValid(r); }

// The level of the first of the rows with character id 0, or 0.
int32_t HeaderLevelOf(const CharacterRecord* party, int32_t count) {
  for (int i = 0; i < count && i < kPartyRows; ++i) {
    if (party[i].id == 0) return party[i].level > 0 ? party[i].level : 0;
  }
  return 0;
}

bool InventorySlotValid(const InventorySlot& s) {
  if (s.id == kItemEmpty) return s.count == 0;
  return s.id >= 0 && s.id < kItemCount && s.count >= 1 && s.count <= kMaxStack;
}

// The record's words as a plain int32 array, for the words that are floats (the name
// picture) to travel bit for bit like the others.
void RecordWords(const CharacterRecord& r, uint32_t words[kRecordWordsBeforeName + kRecordWordsAfterName]) {
  std::memcpy(words, &r, kRecordWordsBeforeName * 4);
  std::memcpy(words + kRecordWordsBeforeName, &r.experience, kRecordWordsAfterName * 4);
}

WalkerData* WalkerInSlot(int slot) {
  TaskSlot& s = g_taskPool[slot];
  if (!s.inUse || s.id != kTaskIdWalker) return nullptr;
  return TaskData<WalkerData>(&s);
}

// The running game gives way to the saved one: every task ends, and the state the file
// holds replaces the running one. Rows the file does not hold are cleared, so nobody
// from the game left behind lingers beyond the loaded party.
void SaveApply(const SaveContents& save) {
  TaskKillAll();
  TaskPoolClear();
  g_encounterInterval = kNewGameEncounterInterval;
  g_encounterCountdown = kNewGameEncounterInterval;
  g_mapNumber = save.mapNumber;
  g_money = save.money;
  std::memcpy(g_eventFlags, save.eventFlags, sizeof g_eventFlags);
  g_partyCount = save.partyCount;
  for (int i = 0; i < kPartyRows; ++i) {
    g_party[i] = i < save.partyCount ? save.party[i] : CharacterRecord{};
    g_partyReserve[i] = i < save.partyCount ? save.reserve[i] : CharacterRecord{};
  }
  std::memcpy(g_inventory, save.inventory, sizeof g_inventory);
}

// Walkers, field view and a camera on the leader.
bool SaveRecreateField(const SaveContents& save) {
  float x[4], z[4], facing[4];
  for (int i = 0; i < 4; ++i) {
    x[i] = save.walkers[i].x;
    z[i] = save.walkers[i].z;
    facing[i] = save.walkers[i].facing;
  }
  return SaveRecreateWalkers(x, z, facing) && MapViewCreate() &&
         CameraCreate(x[0], 0.0f, z[0], kLoadedCameraAngle, kWalkerLeaderTag, CameraFollowStep);
}

}  // namespace

std::string SaveFileName(int slot) {
  if (!SlotValid(slot)) return {};
  char name[16];
  std::snprintf(name, sizeof name, "save%d.dat", slot);
  return name;
}

void SaveWriteRecord(std::vector<uint8_t>& out, const CharacterRecord& record) {
  uint32_t words[kRecordWordsBeforeName + kRecordWordsAfterName];
  RecordWords(record, words);
  for (size_t i = 0; i < kRecordWordsBeforeName; ++i) PutU32(out, words[i]);
  out.insert(out.end(), record.name, record.name + sizeof record.name);
  for (size_t i = kRecordWordsBeforeName; i < kRecordWordsBeforeName + kRecordWordsAfterName; ++i) {
    PutU32(out, words[i]);
  }
}

void SaveReadRecord(const uint8_t* bytes, CharacterRecord* record) {
  uint32_t words[kRecordWordsBeforeName + kRecordWordsAfterName];
  for (size_t i = 0; i < kRecordWordsBeforeName; ++i) words[i] = ReadU32(bytes + 4 * i);
  const uint8_t* name = bytes + 4 * kRecordWordsBeforeName;
  const uint8_t* after = name + sizeof record->name;
  for (size_t i = 0; i < kRecordWordsAfterName; ++i) words[kRecordWordsBeforeName + i] = ReadU32(after + 4 * i);
  std::memcpy(record, words, kRecordWordsBeforeName * 4);
  std::memcpy(record->name, name, sizeof record->name);
  std::memcpy(&record->experience, words + kRecordWordsBeforeName, kRecordWordsAfterName * 4);
}

void SaveWriteInventory(std::vector<uint8_t>& out) {
  for (const InventorySlot& s : g_inventory) {
    PutI32(out, s.id);
    PutI32(out, s.count);
  }
}

void SaveWriteWalkers(std::vector<uint8_t>& out) {
  for (int slot = 0; slot < kWalkerCount; ++slot) {
    const WalkerData* walker = WalkerInSlot(slot);
    PutF32(out, walker ? walker->x : 0.0f);
    PutF32(out, walker ? walker->z : 0.0f);
    PutF32(out, walker ? walker->facing : 0.0f);
  }
}

void SaveWriteCamera(std::vector<uint8_t>& out) {
  TaskSlot* camera = TaskFindById(kTaskIdCamera);
  if (camera) PutF32(out, TaskData<CameraData>(camera)->eye[1]);
}

int32_t SaveHeaderLevel() { return HeaderLevelOf(g_party, g_partyCount); }

bool SavePartyOnField() {
  if (!g_taskPool) return false;
  for (int slot = 0; slot < kWalkerCount; ++slot) {
    const WalkerData* walker = WalkerInSlot(slot);
    if (!walker || walker->live == 0) return false;
  }
  return true;
}

std::vector<uint8_t> SaveBuild() {
  const int32_t n = g_partyCount >= 0 && g_partyCount <= kPartyRows ? g_partyCount : 0;
  std::vector<uint8_t> out;
  out.reserve(kSaveMaxSize);
  PutI32(out, g_mapNumber);
  PutI32(out, SaveHeaderLevel());
  PutI32(out, g_money);
  for (int32_t flag : g_eventFlags) PutI32(out, flag);
  PutI32(out, n);
  for (int i = 0; i < n; ++i) SaveWriteRecord(out, g_party[i]);
  for (int i = 0; i < n; ++i) SaveWriteRecord(out, g_partyReserve[i]);
  SaveWriteInventory(out);
  SaveWriteWalkers(out);
  SaveWriteCamera(out);
  return out;
}

bool SaveParse(const uint8_t* bytes, size_t size, SaveContents* out) {
  if (!bytes || size < kSaveOffsetParty) return false;
  const int32_t n = ReadI32(bytes + kSaveOffsetPartyCount);
  // An empty party has nobody for the menus to show, so it is no game to load.
  if (n < 1 || n > kPartyRows) return false;
  if (size != SaveFileSize(n, false) && size != SaveFileSize(n, true)) return false;
  SaveContents save{};
  save.mapNumber = ReadI32(bytes);
  save.headerLevel = ReadI32(bytes + kSaveOffsetLevel);
  save.money = ReadI32(bytes + kSaveOffsetMoney);
  if (save.mapNumber < 0 || save.mapNumber >= kMapCount || save.money < 0 || save.money > kMoneyMax) return false;
  for (int i = 0; i < kEventFlagCount; ++i) save.eventFlags[i] = ReadI32(bytes + kSaveOffsetFlags + 4 * i);
  save.partyCount = n;
  for (int i = 0; i < n; ++i) {
    SaveReadRecord(bytes + kSaveOffsetParty + sizeof(CharacterRecord) * i, &save.party[i]);
    SaveReadRecord(bytes + SaveOffsetReserve(n) + sizeof(CharacterRecord) * i, &save.reserve[i]);
    if (!RecordValid(save.party[i]) || !RecordValid(save.reserve[i])) return false;
  }
  // The slot list shows the header's level: it is the one the rows give.
  if (save.headerLevel != HeaderLevelOf(save.party, n)) return false;
  const uint8_t* inventory = bytes + SaveOffsetInventory(n);
  for (int i = 0; i < kInventorySlots; ++i) {
    save.inventory[i] = {ReadI32(inventory + 8 * i), ReadI32(inventory + 8 * i + 4)};
    if (!InventorySlotValid(save.inventory[i])) return false;
  }
  const uint8_t* walkers = bytes + SaveOffsetWalkers(n);
  for (int i = 0; i < 4; ++i) {
    SaveWalker& w = save.walkers[i];
    w = {ReadF32(walkers + 12 * i), ReadF32(walkers + 12 * i + 4), ReadF32(walkers + 12 * i + 8)};
    if (!std::isfinite(w.x) || !std::isfinite(w.z) || !std::isfinite(w.facing)) return false;
  }
  save.hasCamera = size == SaveFileSize(n, true) ? 1 : 0;
  save.cameraHeight = save.hasCamera ? ReadF32(bytes + SaveOffsetCamera(n)) : 0.0f;
  *out = save;
  return true;
}

// Walkers at rest stand on cell centres, and never in a wall: a party loaded into one
// could never move.
bool SaveWalkersStandOn(const SaveContents& save, const MapPackTiles& map) {
  if (map.width <= 0 || map.height <= 0 || map.tiles.size() != static_cast<size_t>(map.width) * map.height) {
    return false;
  }
  for (const SaveWalker& walker : save.walkers) {
    const int cell = MapCellAtCentre(map.width, map.height, walker.x, walker.z);
    if (cell < 0 || map.tiles[static_cast<size_t>(cell)] > kTileWallAbove) return false;
  }
  return true;
}

SaveMapFit SaveFitsMap(const SaveContents& save, const MapPackTiles& map, const std::vector<char>* scripts) {
  if (!SaveWalkersStandOn(save, map)) return kSaveMapWalkerBlocked;
  const size_t cells = map.tiles.size();
  if (map.events.size() != cells) return kSaveMapWalkerBlocked;
  const int leader = MapCellAtCentre(map.width, map.height, save.walkers[0].x, save.walkers[0].z);
  if (map.events[static_cast<size_t>(leader)] > 0) return kSaveMapLeaderOnEvent;
  if (scripts && scripts->size() == static_cast<size_t>(kEventSlotCount) * kEventSlotSize &&
      EventPlacesAutoEvent(map.events.data(), cells, scripts->data(), save.eventFlags)) {
    return kSaveMapEventWaiting;
  }
  return kSaveMapFits;
}

// The walkers are checked against the map they will stand on, as its files hold it. A
// map that cannot be read at all is no fault of the save: loading it is the map load's
// failure, which goes to the title with its message as every failed map load does; so is
// an event pack that cannot be read.
bool SaveReadFile(int slot, SaveContents* out, bool* mapReadable) {
  std::vector<uint8_t> bytes;
  if (!SlotValid(slot) || !plat::ReadWholeFile(SaveFileName(slot), kSaveMaxSize, bytes) ||
      !SaveParse(bytes.data(), bytes.size(), out)) {
    return false;
  }
  MapPackTiles map;
  *mapReadable = MapPackReadTiles(kMapPackFileName, out->mapNumber, &map) != 0;
  if (!*mapReadable) return true;
  std::vector<char> scripts;
  const bool scriptsRead = EventReadScripts(kEventPackFileName, out->mapNumber,
                                            MapCountEventCellsIn(map.events.data(), map.events.size()), &scripts) != 0;
  return SaveFitsMap(*out, map, scriptsRead ? &scripts : nullptr) == kSaveMapFits;
}

namespace {

// The map the party stands on, from the files as a load reads it, or as it runs when
// they cannot be read now.
void SaveRunningMap(MapPackTiles* map, std::vector<char>* scripts) {
  if (!MapPackReadTiles(kMapPackFileName, g_mapNumber, map) && g_tileLayer && g_mapWidth > 0 && g_mapHeight > 0) {
    const size_t cells = static_cast<size_t>(g_mapWidth) * g_mapHeight;
    map->width = g_mapWidth;
    map->height = g_mapHeight;
    map->tiles.assign(g_tileLayer, g_tileLayer + cells);
    map->events.assign(g_eventLayer, g_eventLayer + cells);
  }
  if (!EventReadScripts(kEventPackFileName, g_mapNumber, MapCountEventCellsIn(map->events.data(), map->events.size()),
                        scripts) &&
      g_eventSlots) {
    scripts->assign(g_eventSlots, g_eventSlots + static_cast<size_t>(kEventSlotCount) * kEventSlotSize);
  }
  // A file that could not be read and was stood in for is no reason for what follows.
  plat::ClearProblem();
}

const char* SaveMapFitProblem(SaveMapFit fit) {
  switch (fit) {
    case kSaveMapWalkerBlocked: return "a member stands in a wall or between cells, where no load could set it down";
    case kSaveMapLeaderOnEvent: return "the leader stands on an event's cell";
    case kSaveMapEventWaiting: return "an event of the map is waiting to start";
    case kSaveMapFits: break;
  }
  return "";
}

}  // namespace

// Nothing is written that the game would refuse to load back: a save that cannot be
// restored must not replace one that can. The party is checked as a load checks it.
int SaveWrite(int slot) {
  plat::ClearProblem();
  const std::string name = SaveFileName(slot);
  if (!SlotValid(slot)) return 0;
  if (!SavePartyOnField()) {
    plat::NoteProblem(name, "the party is not on the field");
    return 0;
  }
  const std::vector<uint8_t> bytes = SaveBuild();
  SaveContents check;
  if (!SaveParse(bytes.data(), bytes.size(), &check)) {
    plat::NoteProblem(name, "the game in play holds values no load would take back");
    return 0;
  }
  MapPackTiles map;
  std::vector<char> scripts;
  SaveRunningMap(&map, &scripts);
  const SaveMapFit fit = SaveFitsMap(check, map, scripts.empty() ? nullptr : &scripts);
  if (fit != kSaveMapFits) {
    plat::NoteProblem(name, SaveMapFitProblem(fit));
    return 0;
  }
  return plat::WriteFileReplacing(name, bytes.data(), bytes.size()) ? 1 : 0;
}

SaveLoadResult SaveRead(int slot) {
  SaveContents save;
  bool mapReadable = false;
  if (!SaveReadFile(slot, &save, &mapReadable)) return kSaveLoadRefused;
  SaveApply(save);
  const bool fieldMade = mapReadable && SaveRecreateField(save);
  if (!g_flow.loadMap()) return kSaveLoadNoMap;
  if (!fieldMade) {
    g_flow.returnToTitle();  // never a field without its party
    return kSaveLoadNoMap;
  }
  g_settings.autoBattle = 0;
  MusicPlay(kMusicField);
  return kSaveLoadDone;
}

// A file the game could not load shows as an empty slot, with nothing left over from
// an earlier scan.
void SaveSlotsScan(SaveSlotList* list) {
  for (int slot = 0; slot < kSaveSlotCount; ++slot) {
    list->exists[slot] = 0;
    list->mapNumber[slot] = 0;
    list->level[slot] = 0;
    list->time[slot] = {};
    SaveContents save;
    bool mapReadable = false;
    if (!SaveReadFile(slot, &save, &mapReadable)) continue;
    list->exists[slot] = 1;
    list->mapNumber[slot] = save.mapNumber;
    list->level[slot] = save.headerLevel;
    plat::FileModifiedLocalTime(SaveFileName(slot), &list->time[slot]);
  }
}

int SaveRecreateWalkers(const float x[4], const float z[4], const float facing[4]) {
  WalkerData* leader = nullptr;
  for (int member = 0; member < kWalkerCount; ++member) {
    leader = WalkerCreate(x[member], kLoadedWalkerHeight, z[member], facing[member], member, 0, leader);
    if (!leader) return 0;
  }
  return 1;
}

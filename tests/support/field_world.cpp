#include "support/field_world.h"

#include <algorithm>
#include <filesystem>

#include "data/game_state.h"
#include "data/tasks.h"
#include "engine/task.h"
#include "field/map.h"
#include "field/walker.h"
#include "game/flow.h"
#include "support/gfx.h"

namespace test {

TestMap MapFromRows(const std::vector<std::string>& rows, uint32_t area, uint32_t interval) {
  TestMap map;
  map.height = static_cast<uint32_t>(rows.size());
  map.width = rows.empty() ? 0 : static_cast<uint32_t>(rows[0].size());
  map.area = area;
  map.interval = interval;
  for (const std::string& row : rows) {
    for (char ch : row) {
      uint8_t tile = 0, event = 0;
      switch (ch) {
        case '#': tile = 15; break;
        case '~': tile = 45; break;
        case 'H': tile = 17; break;
        case 'T': tile = 30; break;
        case '_': tile = 8; break;
        default:
          if (ch >= '1' && ch <= '9') event = static_cast<uint8_t>(ch - '0');
          break;
      }
      map.tiles.push_back(tile);
      map.events.push_back(event);
    }
  }
  return map;
}

TestMap MapFloor(uint32_t width, uint32_t height, uint32_t area, uint32_t interval) {
  return MapFromRows(std::vector<std::string>(height, std::string(width, '.')), area, interval);
}

Bytes BuildMapRecord(const TestMap& map) {
  Bytes out;
  PutU32(out, map.width);
  PutU32(out, map.height);
  PutU32(out, map.area);
  PutU32(out, map.interval);
  out.insert(out.end(), map.tiles.begin(), map.tiles.end());
  out.insert(out.end(), map.events.begin(), map.events.end());
  return out;
}

Bytes BuildMapPack(const std::vector<TestMap>& maps) {
  Bytes table, body;
  for (int i = 0; i < 14; ++i) {
    const TestMap& map = maps[std::min(static_cast<size_t>(i), maps.size() - 1)];
    PutU32(table, static_cast<uint32_t>(body.size()));
    const Bytes record = BuildMapRecord(map);
    body.insert(body.end(), record.begin(), record.end());
  }
  table.insert(table.end(), body.begin(), body.end());
  return table;
}

Bytes EmptyEventPack() { return BuildEventPack(std::vector<Bytes>(14, Inverted(std::string(20, '@')))); }

std::string MakeFieldDir(const Bytes& pack, const Bytes& epack) {
  const std::string dir = MakeTempDir();
  const std::filesystem::path built = std::filesystem::path(BuildDir()) / "data.dat";
  std::error_code ec;
  if (std::filesystem::exists(built, ec)) {
    std::filesystem::copy_file(built, std::filesystem::path(dir) / "data.dat", ec);
  } else {
    WriteFile(dir + "/data.dat", MinimalArchive());
  }
  WriteFile(dir + "/mappack.dat", pack);
  WriteFile(dir + "/epack.dat", epack.empty() ? EmptyEventPack() : epack);
  return dir;
}

FieldGame::FieldGame(const Bytes& pack, const Bytes& epack, bool realRenderer) : dir_(MakeFieldDir(pack, epack)) {
  GameHarness::Options options;
  options.workDir = dir_;
  options.realRenderer = realRenderer;
  game_ = std::make_unique<GameHarness>(options);
  started_ = game_->Start();
}

FieldGame::~FieldGame() {
  game_.reset();
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

bool FieldGame::Enter(int map, int column, int row, float angle) {
  TaskKillAll();
  g_mapNumber = map;
  if (!MapLoad()) return false;
  float x = static_cast<float>(column), z = static_cast<float>(row);
  MapCellToWorld(&x, &z);
  return PartyWalkersCreate(x, 0.2f, z, angle, 0) == 1;
}

WalkerData* Walker(int member) {
  if (!g_taskPool || member < 0 || member >= 4) return nullptr;
  TaskSlot& slot = g_taskPool[member];
  if (!slot.inUse || slot.id != kTaskIdWalker) return nullptr;
  return TaskData<WalkerData>(&slot);
}

void PlaceStandIn(int slot, int32_t id) {
  TaskSlot* s = TaskAllocAt(slot);
  if (!s) return;
  s->inUse = 1;
  s->id = id;
}

float CentreX(int column) { return static_cast<float>(2 * column - g_mapWidth + 1); }
float CentreZ(int row) { return static_cast<float>(g_mapHeight - 2 * row - 1); }
int CellAt(int column, int row) { return row * g_mapWidth + column; }

Bytes EventBlock(const std::vector<std::string>& scripts) {
  std::string text;
  for (const std::string& s : scripts) text += s + "@";
  return Inverted(text);
}

int ObjectCount() {
  int n = g_taskPool[kSlotRunOnceEvent].inUse;
  for (int s = kSlotObjectsFirst; s < kSlotObjectsEnd; ++s) n += g_taskPool[s].inUse;
  return n;
}

std::unique_ptr<FieldGame> BuiltStoryGame() {
  const std::string built = BuildDataDir();
  return std::make_unique<FieldGame>(ReadFile(built + "/mappack.dat"), ReadFile(built + "/epack.dat"));
}

}  // namespace test

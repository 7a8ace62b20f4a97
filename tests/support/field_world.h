// Maps for field tests: map records and packs built byte by byte, text grids for tile
// layers, and a working folder holding a pack beside the game's data file.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/harness.h"

struct WalkerData;

namespace test {

struct TestMap {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t area = 0;
  uint32_t interval = 0;
  std::vector<uint8_t> tiles;
  std::vector<uint8_t> events;
};

// A map from rows of characters: '.' floor (0), '#' wall (15), '~' water (45), 'H' a
// 4-high block of code 17, 'T' a 6-high block of code 30, '_' wooden floor (8); digits 1
// to 9 put that event on a floor cell.
TestMap MapFromRows(const std::vector<std::string>& rows, uint32_t area = 0, uint32_t interval = 30);
// A plain floor map.
TestMap MapFloor(uint32_t width, uint32_t height, uint32_t area = 0, uint32_t interval = 30);
// One record: the 16-byte header, then the tile and event layers.
Bytes BuildMapRecord(const TestMap& map);
// A pack of 14 maps: map i for the maps given, the last one given for the rest.
Bytes BuildMapPack(const std::vector<TestMap>& maps);

// An event pack whose maps hold 20 events without a command: nothing is placed and
// nothing runs.
Bytes EmptyEventPack();

// A fresh folder holding the game's data file (the built one, or a small archive where
// none was built), `pack` as "mappack.dat" and `epack` (empty: EmptyEventPack) as
// "epack.dat". Removed by the caller.
std::string MakeFieldDir(const Bytes& pack, const Bytes& epack = {});

// The whole game started in a folder of its own holding `pack`.
class FieldGame {
 public:
  // `realRenderer`: OpenGL on the offscreen driver instead of the recorder.
  explicit FieldGame(const Bytes& pack, const Bytes& epack = {}, bool realRenderer = false);
  ~FieldGame();
  FieldGame(const FieldGame&) = delete;
  FieldGame& operator=(const FieldGame&) = delete;

  GameHarness& Game() { return *game_; }
  int StartResult() const { return started_; }
  const std::string& Dir() const { return dir_; }
  // The title screen cleared away, map `map` loaded and the party set down on (column,
  // row) facing `angle`, everything running: the field as a finished map change leaves it.
  bool Enter(int map, int column, int row, float angle = 270.0f);

 private:
  std::string dir_;
  std::unique_ptr<GameHarness> game_;
  int started_ = 0;
};

// The game started in a folder of its own on the built map and event packs: the story's.
std::unique_ptr<FieldGame> BuiltStoryGame();

// A test on the whole game started in a folder of its own.
class FieldTest : public ::testing::Test {
 protected:
  // A fresh game on `pack` (and `epack`), at the title; `realRenderer` as FieldGame's.
  void Start(const Bytes& pack, const Bytes& epack = {}, bool realRenderer = false) {
    field_.reset();  // one game at a time
    field_ = std::make_unique<FieldGame>(pack, epack, realRenderer);
    ASSERT_EQ(field_->StartResult(), 1);
  }
  // A fresh game on the one map, the party set down on (column, row).
  void Open(const TestMap& map, int column, int row, const Bytes& epack = {}) {
    Start(BuildMapPack({map}), epack);
    ASSERT_TRUE(field_->Enter(0, column, row));
  }
  GameHarness& Game() { return field_->Game(); }
  std::unique_ptr<FieldGame> field_;
};

// The world position of a cell's centre on the loaded map, and the cell's index.
float CentreX(int column);
float CentreZ(int row);
int CellAt(int column, int row);
// An event pack block holding these scripts, event 1 first.
Bytes EventBlock(const std::vector<std::string>& scripts);
// Placed objects: slots 10 to 99 and the run-once slot.
int ObjectCount();

// The walker of member 0 to 3 (slot = member), or null when that slot holds none.
WalkerData* Walker(int member);
// A live task of kind `id` in `slot` that does nothing: a screen the field must notice.
void PlaceStandIn(int slot, int32_t id);

}  // namespace test

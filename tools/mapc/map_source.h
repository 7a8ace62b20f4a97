// The map compiler's core: readable text maps in, the game's map pack out.
//
// A legend names a tile code per character. A map file gives its pack slot, its
// encounter area and interval, the tile grid (one character a cell, row 0 first) and an
// optional event grid of the same size ('.' no event, 1 to 9, then A = 10 ... K = 20).
// Everything the pack format cannot hold is refused with the file and line.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace mapc {

constexpr int kSlotCount = 14;
constexpr int kMaxCells = 40000;
constexpr int kMaxEvents = 20;
constexpr int kMaxArea = 4;

using Legend = std::map<char, uint8_t>;

struct MapSource {
  std::string file;
  int slot = -1;
  uint32_t area = 0;
  uint32_t interval = 0;
  int width = 0;
  int height = 0;
  std::vector<uint8_t> tiles;   // row 0 first
  std::vector<uint8_t> events;  // 0 or 1 to 20
  int tilesLine = 0;            // of the "tiles" keyword: row r stands on line tilesLine + 1 + r
};

// "file:line: message" for the first fault found.
struct Error {
  std::string text;
};

// Legend lines: "tile <character> <code> <role> [what it looks like]", '#' comments. The
// code must be one of the tile roles (data/tile_roles.def) and the role its name.
bool ParseLegend(const std::string& text, const std::string& file, Legend& legend, Error& error);
// The map text; `legend` may be extended by the map's own tile lines.
bool ParseMap(const std::string& text, const std::string& file, Legend legend, MapSource& out, Error& error);
// What the field camera shows of a parsed map: no gap under a block's side beside lower
// ground, no water on the map's edge, and scenery round every cell the leader can reach
// from the map's events, as far as the camera sees from there.
bool CheckScenery(const MapSource& map, Error& error);
// Cells beyond the leader's that the field camera shows toward each edge of the map.
struct CameraReach {
  int west = 0, east = 0, north = 0, south = 0;
};
CameraReach FieldCameraReach();
// The pack: every one of the 14 slots given exactly once.
bool BuildPack(const std::vector<MapSource>& maps, std::vector<uint8_t>& pack, Error& error);

}  // namespace mapc

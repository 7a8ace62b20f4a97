#include "mapc/map_source.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <deque>
#include <set>
#include <sstream>

#include "data/tile_roles.h"
#include "engine/camera.h"
#include "platform/bytes.h"

namespace mapc {
namespace {

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  std::istringstream in(text);
  while (std::getline(in, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(line);
  std::string w;
  while (in >> w) words.push_back(w);
  return words;
}

bool Fail(Error& error, const std::string& file, int line, const std::string& message) {
  error.text = file + ":" + std::to_string(line) + ": " + message;
  return false;
}

bool ParseNumber(const std::string& s, long long low, long long high, long long& out) {
  long long v = 0;
  const char* end = s.data() + s.size();
  const auto r = std::from_chars(s.data(), end, v);
  if (r.ec != std::errc() || r.ptr != end || v < low || v > high) return false;
  out = v;
  return true;
}

bool IsComment(const std::string& line) { return line.empty() || line[0] == '#'; }

// "tile <character> <code> <role> [what it looks like]": the role must be the code's own.
bool ParseTileLine(const std::vector<std::string>& words, Legend& legend, const std::string& file, int line,
                   Error& error) {
  long long code = 0;
  if (words.size() < 4 || words[1].size() != 1) {
    return Fail(error, file, line, "a tile line is: tile <character> <code> <role> [what it looks like]");
  }
  if (!ParseNumber(words[2], 0, 255, code))
    return Fail(error, file, line, "tile code '" + words[2] + "' is not 0 to 255");
  const TileRole* role = TileRoleOf(static_cast<int>(code));
  if (!role) {
    return Fail(error, file, line,
                "tile code " + words[2] + " has no role in data/tile_roles.def, so no map may use it");
  }
  if (words[3] != role->name) {
    return Fail(error, file, line,
                "tile code " + words[2] + " is '" + role->name + "' (" + role->what + "), not '" + words[3] + "'");
  }
  legend[words[1][0]] = static_cast<uint8_t>(code);
  return true;
}

struct Grid {
  int line = 0;  // of the section's keyword
  std::vector<std::string> rows;
  bool present = false;
};

// The rows after a section keyword, up to its "end" line. Returns the index of "end".
bool ReadGrid(const std::vector<std::string>& lines, size_t& i, const std::string& file, const std::string& name,
              Grid& grid, Error& error) {
  if (grid.present) return Fail(error, file, static_cast<int>(i + 1), "a second " + name + " section");
  grid.present = true;
  grid.line = static_cast<int>(i + 1);
  for (++i; i < lines.size(); ++i) {
    if (lines[i] == "end") return true;
    grid.rows.push_back(lines[i]);
  }
  return Fail(error, file, grid.line, "the " + name + " section has no 'end' line");
}

bool CheckShape(const Grid& grid, const std::string& file, const std::string& name, int& width, Error& error) {
  if (grid.rows.empty()) return Fail(error, file, grid.line, "the " + name + " section has no rows");
  width = static_cast<int>(grid.rows[0].size());
  for (size_t r = 0; r < grid.rows.size(); ++r) {
    if (static_cast<int>(grid.rows[r].size()) != width) {
      return Fail(error, file, grid.line + 1 + static_cast<int>(r),
                  "row " + std::to_string(r) + " has " + std::to_string(grid.rows[r].size()) + " cells, row 0 has " +
                      std::to_string(width));
    }
  }
  return true;
}

bool ConvertTiles(const Grid& grid, const Legend& legend, const std::string& file, MapSource& out, Error& error) {
  int width = 0;
  if (!CheckShape(grid, file, "tiles", width, error)) return false;
  const long long cells = static_cast<long long>(width) * static_cast<long long>(grid.rows.size());
  if (width == 0) return Fail(error, file, grid.line, "the tiles section has empty rows");
  if (cells > kMaxCells) {
    return Fail(error, file, grid.line,
                "the map has " + std::to_string(width) + " x " + std::to_string(grid.rows.size()) + " = " +
                    std::to_string(cells) + " cells; a map holds at most 40000");
  }
  out.width = width;
  out.height = static_cast<int>(grid.rows.size());
  out.tilesLine = grid.line;
  for (size_t r = 0; r < grid.rows.size(); ++r) {
    for (size_t c = 0; c < grid.rows[r].size(); ++c) {
      const auto it = legend.find(grid.rows[r][c]);
      if (it == legend.end()) {
        return Fail(error, file, grid.line + 1 + static_cast<int>(r),
                    std::string("unknown tile character '") + grid.rows[r][c] + "' at column " + std::to_string(c));
      }
      out.tiles.push_back(it->second);
    }
  }
  return true;
}

// '.' no event, '1' to '9', then 'A' = 10 onward; -1 for any other mark.
int EventMark(char ch) {
  if (ch == '.') return 0;
  if (ch >= '1' && ch <= '9') return ch - '0';
  if (ch >= 'A' && ch <= 'Z') return 10 + (ch - 'A');
  return -1;
}

struct EventCell {
  int line;
  size_t column;
};

bool ConvertEvents(const Grid& grid, const std::string& file, MapSource& out, Error& error) {
  out.events.assign(out.tiles.size(), 0);
  if (!grid.present) return true;
  int width = 0;
  if (!CheckShape(grid, file, "events", width, error)) return false;
  if (width != out.width || static_cast<int>(grid.rows.size()) != out.height) {
    return Fail(error, file, grid.line, "the events grid is not the size of the tiles grid");
  }
  std::map<int, EventCell> seen;
  for (size_t r = 0; r < grid.rows.size(); ++r) {
    const int line = grid.line + 1 + static_cast<int>(r);
    for (size_t c = 0; c < grid.rows[r].size(); ++c) {
      const int n = EventMark(grid.rows[r][c]);
      if (n < 0) return Fail(error, file, line, std::string("unknown event mark '") + grid.rows[r][c] + "'");
      if (n == 0) continue;
      if (n > kMaxEvents) {
        return Fail(error, file, line,
                    "event " + std::to_string(n) + " at column " + std::to_string(c) + ": a map holds events 1 to 20");
      }
      const auto [it, fresh] = seen.emplace(n, EventCell{line, c});
      if (!fresh) {
        return Fail(error, file, line,
                    "event " + std::to_string(n) + " stands on more than one cell (also line " +
                        std::to_string(it->second.line) + ", column " + std::to_string(it->second.column) + ")");
      }
      out.events[r * static_cast<size_t>(width) + c] = static_cast<uint8_t>(n);
    }
  }
  const int highest = seen.empty() ? 0 : seen.rbegin()->first;
  for (int n = 1; n <= highest; ++n) {
    if (!seen.count(n)) {
      return Fail(error, file, grid.line,
                  "events must be numbered 1 to " + std::to_string(highest) + " without gaps: event " +
                      std::to_string(n) + " is missing");
    }
  }
  return true;
}

struct Header {
  long long slot = -1, area = -1, interval = -1;
};

bool ParseSetting(const std::vector<std::string>& words, Header& h, const std::string& file, int line, Error& error) {
  struct Field {
    const char* name;
    long long* value;
    long long high;
  };
  const Field fields[] = {
      {"slot", &h.slot, kSlotCount - 1}, {"area", &h.area, kMaxArea}, {"interval", &h.interval, 0x7FFFFFFF}};
  for (const Field& f : fields) {
    if (words[0] != f.name) continue;
    if (*f.value >= 0) return Fail(error, file, line, words[0] + " is given twice");
    if (words.size() != 2 || !ParseNumber(words[1], 0, f.high, *f.value)) {
      return Fail(error, file, line, words[0] + " takes one number from 0 to " + std::to_string(f.high));
    }
    return true;
  }
  return Fail(error, file, line, "unknown line '" + words[0] + "'");
}

constexpr float kSideDepth = 6.0f;  // a side face hangs this far below its top
constexpr float kWalkerY = 0.25f;   // the followed leader's height: the camera's look-at point

// Where the ray from the eye through a corner of the view meets the ground, for a camera
// looking at the origin the way the field camera looks at the leader.
void GroundCorner(float sx, float sy, float& x, float& z) {
  const float eye[3] = {0.0f, kCameraHeight, -kCameraDistance};
  float f[3] = {-eye[0], kWalkerY - eye[1], -eye[2]};
  const float fl = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
  for (float& v : f) v /= fl;
  // Right = up x forward, up' = forward x right (left-handed, y up).
  float r[3] = {f[2], 0.0f, -f[0]};
  const float rl = std::sqrt(r[0] * r[0] + r[2] * r[2]);
  r[0] /= rl;
  r[2] /= rl;
  const float u[3] = {f[1] * r[2], f[2] * r[0] - f[0] * r[2], -f[1] * r[0]};
  const float t = std::tan(kCameraFovY / 2.0f);
  float d[3];
  for (int i = 0; i < 3; ++i) d[i] = f[i] + sx * t * kCameraAspect * r[i] + sy * t * u[i];
  const float k = -eye[1] / d[1];
  x = eye[0] + k * d[0];
  z = eye[2] + k * d[2];
}

// The cell row and column a map error names.
bool FailAt(Error& error, const MapSource& map, int column, int row, const std::string& message) {
  return Fail(error, map.file, map.tilesLine + 1 + row, "column " + std::to_string(column) + ": " + message);
}

float TopOf(int code) {
  const TileRole* role = TileRoleOf(code);
  return role ? role->height : 0.0f;
}

const char* NameOf(int code) {
  const TileRole* role = TileRoleOf(code);
  return role ? role->name : "?";
}

// A block's side reaches kSideDepth below its top; a lower neighbour beneath that shows
// the black behind it (a house beside water).
bool CheckSeams(const MapSource& map, Error& error) {
  for (int r = 0; r < map.height; ++r) {
    for (int c = 0; c < map.width; ++c) {
      const int code = map.tiles[static_cast<size_t>(r * map.width + c)];
      const int neighbours[4][2] = {{c + 1, r}, {c - 1, r}, {c, r + 1}, {c, r - 1}};
      for (const auto& n : neighbours) {
        if (n[0] < 0 || n[0] >= map.width || n[1] < 0 || n[1] >= map.height) continue;
        const int other = map.tiles[static_cast<size_t>(n[1] * map.width + n[0])];
        if (other == code || TopOf(code) - kSideDepth <= TopOf(other)) continue;
        return FailAt(error, map, c, r,
                      std::string(NameOf(code)) + " beside " + NameOf(other) + " (column " + std::to_string(n[0]) +
                          ", row " + std::to_string(n[1]) + ") leaves a gap under its side");
      }
      const bool edge = c == 0 || r == 0 || c == map.width - 1 || r == map.height - 1;
      if (edge && TopOf(code) < 0.0f) {
        return FailAt(error, map, c, r,
                      std::string(NameOf(code)) + " on the map's edge: the camera sees past its bed into nothing");
      }
    }
  }
  return true;
}

bool Walkable(int code) { return static_cast<int8_t>(code) <= 14; }

}  // namespace

CameraReach FieldCameraReach() {
  float west = 0, east = 0, north = 0, south = 0;
  for (float sx : {-1.0f, 1.0f}) {
    for (float sy : {-1.0f, 1.0f}) {
      float x = 0, z = 0;
      GroundCorner(sx, sy, x, z);
      west = std::max(west, -x);
      east = std::max(east, x);
      north = std::max(north, z);
      south = std::max(south, -z);
    }
  }
  // The leader stands 1.0 from the edge of its own cell; each further cell is 2.0.
  const auto cells = [](float reach) { return static_cast<int>(std::ceil((reach - 1.0f) / 2.0f)); };
  return {cells(west), cells(east), cells(north), cells(south)};
}

bool CheckScenery(const MapSource& map, Error& error) {
  if (!CheckSeams(map, error)) return false;
  // The leader walks from the cells of the map's events (doors, roads, people) over
  // every walkable cell joined to them.
  const size_t cells = map.tiles.size();
  std::vector<int> from(cells, 0);
  std::deque<size_t> open;
  auto reach = [&](int c, int r, int event) {
    if (c < 0 || r < 0 || c >= map.width || r >= map.height) return;
    const size_t i = static_cast<size_t>(r * map.width + c);
    if (from[i] || !Walkable(map.tiles[i])) return;
    from[i] = event;
    open.push_back(i);
  };
  for (size_t i = 0; i < cells; ++i) {
    if (!map.events[i]) continue;
    const int c = static_cast<int>(i) % map.width, r = static_cast<int>(i) / map.width;
    for (const auto& d : {std::pair{0, 0}, {1, 0}, {-1, 0}, {0, 1}, {0, -1}})
      reach(c + d.first, r + d.second, map.events[i]);
  }
  while (!open.empty()) {
    const int i = static_cast<int>(open.front());
    open.pop_front();
    const int c = i % map.width, r = i / map.width;
    for (const auto& d : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
      reach(c + d.first, r + d.second, from[static_cast<size_t>(i)]);
  }
  const CameraReach need = FieldCameraReach();
  for (int r = 0; r < map.height; ++r) {
    for (int c = 0; c < map.width; ++c) {
      const int event = from[static_cast<size_t>(r * map.width + c)];
      if (!event) continue;
      const struct {
        const char* edge;
        int have, need;
      } sides[] = {{"west", c, need.west},
                   {"east", map.width - 1 - c, need.east},
                   {"north", r, need.north},
                   {"south", map.height - 1 - r, need.south}};
      for (const auto& s : sides) {
        if (s.have >= s.need) continue;
        return FailAt(error, map, c, r,
                      "the leader can walk here from event " + std::to_string(event) + ", " + std::to_string(s.have) +
                          " cells from the " + s.edge + " edge, but the camera shows " + std::to_string(s.need) +
                          " cells beyond the leader that way");
      }
    }
  }
  return true;
}

bool ParseLegend(const std::string& text, const std::string& file, Legend& legend, Error& error) {
  const std::vector<std::string> lines = SplitLines(text);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (IsComment(lines[i])) continue;
    const std::vector<std::string> words = Words(lines[i]);
    if (words[0] != "tile") return Fail(error, file, static_cast<int>(i + 1), "a legend holds only tile lines");
    if (!ParseTileLine(words, legend, file, static_cast<int>(i + 1), error)) return false;
  }
  return true;
}

bool ParseMap(const std::string& text, const std::string& file, Legend legend, MapSource& out, Error& error) {
  const std::vector<std::string> lines = SplitLines(text);
  Header header;
  Grid tiles, events;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (IsComment(lines[i])) continue;
    const std::vector<std::string> words = Words(lines[i]);
    const int line = static_cast<int>(i + 1);
    if (words[0] == "tile") {
      if (tiles.present) return Fail(error, file, line, "tile lines come before the tiles section");
      if (!ParseTileLine(words, legend, file, line, error)) return false;
    } else if (lines[i] == "tiles") {
      if (!ReadGrid(lines, i, file, "tiles", tiles, error)) return false;
    } else if (lines[i] == "events") {
      if (!ReadGrid(lines, i, file, "events", events, error)) return false;
    } else if (!ParseSetting(words, header, file, line, error)) {
      return false;
    }
  }
  if (header.slot < 0) return Fail(error, file, 1, "no 'slot' line");
  if (!tiles.present) return Fail(error, file, 1, "no tiles section");
  out = MapSource{};
  out.file = file;
  out.slot = static_cast<int>(header.slot);
  out.area = static_cast<uint32_t>(header.area < 0 ? 0 : header.area);
  out.interval = static_cast<uint32_t>(header.interval < 0 ? 0 : header.interval);
  return ConvertTiles(tiles, legend, file, out, error) && ConvertEvents(events, file, out, error);
}

bool BuildPack(const std::vector<MapSource>& maps, std::vector<uint8_t>& pack, Error& error) {
  const MapSource* bySlot[kSlotCount] = {};
  for (const MapSource& m : maps) {
    if (m.slot < 0 || m.slot >= kSlotCount) {
      error.text = m.file + ": slot " + std::to_string(m.slot) + " is not 0 to 13";
      return false;
    }
    if (bySlot[m.slot]) {
      error.text = m.file + ": slot " + std::to_string(m.slot) + " is already taken by " + bySlot[m.slot]->file;
      return false;
    }
    bySlot[m.slot] = &m;
  }
  std::vector<uint8_t> body;
  pack.clear();
  for (int s = 0; s < kSlotCount; ++s) {
    if (!bySlot[s]) {
      error.text = "mappack: no map for slot " + std::to_string(s) + " (all 14 slots must be filled)";
      return false;
    }
    const MapSource& m = *bySlot[s];
    PutU32(pack, static_cast<uint32_t>(body.size()));
    PutU32(body, static_cast<uint32_t>(m.width));
    PutU32(body, static_cast<uint32_t>(m.height));
    PutU32(body, m.area);
    PutU32(body, m.interval);
    body.insert(body.end(), m.tiles.begin(), m.tiles.end());
    body.insert(body.end(), m.events.begin(), m.events.end());
  }
  pack.insert(pack.end(), body.begin(), body.end());
  return true;
}

}  // namespace mapc

#include "mapc/map_source.h"

#include <charconv>
#include <set>
#include <sstream>

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

// "tile <character> <code> <description...>"
bool ParseTileLine(const std::vector<std::string>& words, Legend& legend, const std::string& file, int line,
                   Error& error) {
  long long code = 0;
  if (words.size() < 3 || words[1].size() != 1) {
    return Fail(error, file, line, "a tile line is: tile <character> <code> <description>");
  }
  if (!ParseNumber(words[2], 0, 255, code))
    return Fail(error, file, line, "tile code '" + words[2] + "' is not 0 to 255");
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

}  // namespace

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

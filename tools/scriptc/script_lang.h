// The event script language as the compiler sees it: UTF-8 sources turned into the
// Shift-JIS text the game splits, every command checked against its syntax, and the
// blocks packed into the event pack. The game reads the same text with its own readers;
// this is the one place the compiler knows the commands' arguments.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace scriptc {

constexpr int kMapCount = 14;
constexpr int kBlockMaxBytes = 16000;
constexpr int kEventMaxKept = 13999;
constexpr int kEventsMax = 20;
constexpr int kLineMaxChars = 23;
constexpr int kLabelMaxBytes = 20;
constexpr int kItemCount = 20;

struct Diagnostic {
  int line;  // 1-based line of the source; 0 when the whole file is meant
  std::string message;
};

// The two-byte Shift-JIS keys of the glyph table.
using GlyphSet = std::set<std::string>;

// The glyph list: line n + 1 holds the character of glyph row n in UTF-8 (line 1, row 0,
// is empty).
bool LoadGlyphs(const std::string& utf8, GlyphSet* glyphs, std::vector<Diagnostic>* errors);

// One event after the game's lexical rules: comments, line ends and spaces gone.
struct CleanEvent {
  std::string text;
  std::vector<int> lines;  // the source line of each byte of text
  int closeLine = 0;       // the line of its '@'
};

// A person an event places ('$1') and the portrait it speaks with: the one the event's
// first message is shown with.
struct Speaker {
  int line = 0;  // the placement's line
  int model = 0;
  int portrait = 0;
  bool spoke = false;  // a message was shown with a portrait
};

struct CompiledMap {
  std::string block;  // the Shift-JIS script text as written, stored form not applied
  std::vector<CleanEvent> events;
  std::vector<Speaker> speakers;
};

// A map's size in cells; 0 by 0 when the map is not known, and cells go unchecked.
struct MapSize {
  int columns = 0;
  int rows = 0;
};

// Converts and checks one map's script. False, with the reasons, when it is refused.
bool CompileScript(const std::string& utf8, const GlyphSet& glyphs, CompiledMap* out, std::vector<Diagnostic>* errors,
                   MapSize size = {});

// A map's events must match its event cells one for one. False, with the reason, when
// they differ.
bool MatchEventCells(const CompiledMap& map, int cells, std::vector<Diagnostic>* errors);

// The portrait a person model speaks with, over every map, and the map and line where it
// first does: a person wears one face, so a model that speaks with a second keeps it as
// its rival.
struct Voice {
  int portrait = 0;
  int map = 0;
  int line = 0;
  int rival = -1;  // another portrait the model speaks with, or -1
};
std::map<int, Voice> PersonVoices(const std::vector<CompiledMap>& maps);

// The person of the cast a portrait shows ("elder"), as the interface atlas's definition
// paints it; empty when there is no such portrait.
std::string PortraitLook(int portrait);

// Every person a script places must wear the look of the one portrait it speaks with,
// so that the field and the message window show one face: `looks` holds the look of
// each model as the model tool lists it, empty for none. False, with the reasons by map
// (`errors` holds one list a map), when a model wears another look or none, or speaks
// with two portraits.
bool CheckPersonLooks(const std::vector<CompiledMap>& maps, const std::vector<std::string>& looks,
                      std::vector<std::vector<Diagnostic>>* errors);

// The event pack file: 14 offsets, then each map's size word and inverted block.
std::vector<uint8_t> BuildPack(const std::vector<std::string>& blocks);

// The number of cells of a map whose event byte (signed) is 1 to 20, and the map's size,
// read from the map pack. False with a reason when the file does not hold that map.
bool CountEventCells(const std::vector<uint8_t>& mappack, int map, int* count, std::string* error,
                     MapSize* size = nullptr);

}  // namespace scriptc

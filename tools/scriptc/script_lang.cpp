#include "scriptc/script_lang.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>

#include "data/battle_layout.h"
#include "data/tasks.h"
#include "event/donation.h"
#include "event/placement.h"
#include "platform/bytes.h"
#include "platform/text_encoding.h"

namespace scriptc {
namespace {

// The arguments of each command, in reading order:
//   n  a number        f  an event flag, 0 to 99    e  a sound effect, 0 to 20
//   s  a party or reserve slot, 0 to 3              p  a portrait, 0 to 21, or 100 for none
//   g  a map, 0 to 13      r  a hero's row of the character table, 0 to 3
//   o  a model, 0 to 37    t  a world texture, 0 to 34
//   i  an item id, 0 to 19 k  a notice's kind: 0 money, 1 an item
//   v  money for a kind 0 before it, else an item id
//   d  a direction on the field: 0, 90, 180 or 270 degrees
//   x  a column and y a row of the map, when its size is known
//   m  a message line  l  a label jumped to
//   *  a count, between the row's limits, and [..] the group it repeats
// Codes that are not listed do nothing in the game, so a script naming one is refused.
struct Syntax {
  int code;
  const char* pattern;
  int countMin;
  int countMax;
};

// clang-format off
constexpr Syntax kRunCommands[] = {
    {0, "g*[r]", 1, 4},  // party set-up: map, count, character rows
    {1, "*[m]", 0, 3},   // message
    {2, "mmmll", 0, 0},  // choice: question, two answers, their labels
    {3, "p", 0, 0},      {4, "r", 0, 0},      {5, "f", 0, 0},
    {6, "fl", 0, 0},     {7, "n", 0, 0},      {8, "gnnnn", 0, 0},
    {9, "n", 0, 0},      {10, "*[i]", 0, 12}, {11, "e", 0, 0},
    {12, "*[nnn]", 1, 6}, {13, "", 0, 0},     {14, "*[nn]", 0, 20},
    {16, "n", 0, 0},     {17, "n", 0, 0},     {18, "xyn", 0, 0},
    {19, "n", 0, 0},     {20, "xynonn", 0, 0}, {21, "nn", 0, 0},
    {22, "*[nnn]", 0, 20}, {23, "", 0, 0},    {24, "", 0, 0},
    {25, "xyn", 0, 0},   {26, "xy", 0, 0},    {27, "n", 0, 0},
    {28, "g", 0, 0},     {29, "nn", 0, 0},    {30, "", 0, 0},
    {31, "n", 0, 0},     {32, "xy", 0, 0},    {33, "*[n]", 0, 20},
    {34, "", 0, 0},      {35, "", 0, 0},      {36, "", 0, 0},
    {37, "", 0, 0},      {38, "kvxynf", 0, 0}, {39, "n", 0, 0},
    {40, "", 0, 0},      {41, "n", 0, 0},     {42, "xy", 0, 0},
    {43, "", 0, 0},      {44, "", 0, 0},      {45, "", 0, 0},
    {46, "ns", 0, 0},    {47, "*n[n]", 0, 20}, {48, "xyn", 0, 0},
    {49, "ss", 0, 0},    {50, "n", 0, 0},     {51, "", 0, 0},
    {52, "xy", 0, 0},    {53, "", 0, 0},      {54, "xyd", 0, 0},
    {55, "xytt", 0, 0},  {56, "dn", 0, 0},    {97, "", 0, 0},
    {98, "", 0, 0},      {99, "", 0, 0},
};
// clang-format on

constexpr Syntax kPlacements[] = {
    {kPlaceAutoEvent, "", 0, 0}, {kPlacePerson, "onn", 0, 0}, {kPlaceTrigger, "", 0, 0},
    {kPlaceBlock, "tt", 0, 0},   {kPlaceExamined, "o", 0, 0}, {kPlaceFlagGuard, "f", 0, 0},
};

constexpr int kEndCode = 99;
constexpr int kChangeMapCode = 8;
constexpr int kDonationCode = 41;
constexpr int kEndingCode = 97;
constexpr int kTitleCode = 98;
constexpr int kBattleCode = 12;
constexpr int kLoadMapCode = 28;
constexpr int kKillTasksCode = 50;
constexpr int kSetFlagCode = 5;
constexpr int kTextCode = 1;
constexpr int kChoiceCode = 2;
constexpr int kPortraitCode = 3;
constexpr int kNoPortrait = 100;
constexpr int kNumberMaxDigits = 6;
constexpr int kPartyRows = 4;

bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Shift-JIS bytes back to UTF-8 for a message; a lone byte shows as itself.
std::string Show(const std::string& sjis) {
  const std::string utf8 = plat::SjisToUtf8(sjis);
  return utf8.empty() ? sjis : utf8;
}

const Syntax* FindSyntax(char kind, int code) {
  const Syntax* first = kind == '#' ? std::begin(kRunCommands) : std::begin(kPlacements);
  const Syntax* last = kind == '#' ? std::end(kRunCommands) : std::end(kPlacements);
  const Syntax* found = std::find_if(first, last, [code](const Syntax& s) { return s.code == code; });
  return found == last ? nullptr : found;
}

// Converts line by line so a refusal names its line; every byte of the result keeps the
// number of the line it came from.
bool ConvertLines(const std::string& utf8, std::string* sjis, std::vector<int>* lines,
                  std::vector<Diagnostic>* errors) {
  bool ok = true;
  size_t start = 0;
  for (int line = 1; start < utf8.size() || line == 1; ++line) {
    const size_t end = std::min(utf8.find('\n', start), utf8.size());
    const std::string body = utf8.substr(start, end - start);
    std::string converted = plat::Utf8ToSjis(body);
    if (!body.empty() && converted.empty()) {
      errors->push_back({line, "the line holds a character that Shift-JIS cannot write"});
      ok = false;
    }
    if (end < utf8.size()) converted += '\n';
    sjis->append(converted);
    lines->insert(lines->end(), converted.size(), line);
    start = end + 1;
  }
  return ok;
}

// The splitter knows nothing of Shift-JIS: a character whose second byte is '@' (the
// full-width space, ァ) would end the event in its middle.
bool CheckAtSecondBytes(const std::string& sjis, const std::vector<int>& lines, std::vector<Diagnostic>* errors) {
  bool ok = true;
  for (size_t i = 0; i + 1 < sjis.size(); ++i) {
    if (!IsLeadByte(static_cast<unsigned char>(sjis[i]))) continue;
    if (sjis[i + 1] == '@') {
      errors->push_back({lines[i], "'" + Show(sjis.substr(i, 2)) +
                                       "' cannot be used: its second Shift-JIS byte is '@', which ends an event"});
      ok = false;
    }
    ++i;
  }
  return ok;
}

// The game's splitter, byte for byte: '/' drops up to and including the next line feed,
// '@' closes the event, line ends and spaces are dropped, all else is kept.
bool SplitEvents(const std::string& sjis, const std::vector<int>& lines, std::vector<CleanEvent>* events,
                 std::vector<Diagnostic>* errors) {
  bool ok = true;
  CleanEvent open;
  for (size_t i = 0; i < sjis.size(); ++i) {
    const char c = sjis[i];
    if (c == '/') {
      while (i < sjis.size() && sjis[i] != '\n') ++i;
    } else if (c == '@') {
      open.closeLine = lines[i];
      // The block's last byte is never read as text.
      if (i > static_cast<size_t>(kBlockMaxBytes) - 2) {
        errors->push_back({lines[i], "the event ends beyond byte 15,999 of the map's block"});
        ok = false;
      }
      if (open.text.size() > static_cast<size_t>(kEventMaxKept)) {
        errors->push_back({lines[i], "the event keeps " + std::to_string(open.text.size()) +
                                         " bytes; an event holds at most 13,999"});
        ok = false;
      }
      events->push_back(std::move(open));
      open = CleanEvent{};
    } else if (c != '\n' && c != '\r' && c != ' ') {
      open.text += c;
      open.lines.push_back(lines[i]);
    }
  }
  if (!open.text.empty()) {
    errors->push_back({open.lines.front(), "the last event is not closed with '@'"});
    ok = false;
  }
  if (events->size() > static_cast<size_t>(kEventsMax)) {
    errors->push_back({0, std::to_string(events->size()) + " events; a map holds at most 20"});
    ok = false;
  }
  return ok;
}

// Reads the commands of one event in the order the game does and checks each argument.
class EventChecker {
 public:
  EventChecker(const CleanEvent& event, const GlyphSet& glyphs, MapSize size, std::vector<Diagnostic>* errors,
               std::vector<Speaker>* speakers)
      : event_(event), text_(event.text), glyphs_(glyphs), size_(size), errors_(errors), speakers_(speakers) {}

  bool Run() {
    while (pos_ < text_.size() && ok_) {
      if (text_[pos_] == '#' || text_[pos_] == '$') {
        Command();
      } else {
        const size_t start = pos_;
        pos_ = std::min(text_.find_first_of("#$", pos_), text_.size());
        freeText_.push_back({start, pos_});
      }
    }
    if (ok_) CheckJumps();
    if (ok_ && !endsWithEnd_) {
      errors_->push_back({event_.closeLine, "the event does not end with '#99,'"});
      ok_ = false;
    }
    if (ok_ && speaker_.model >= 0 && speaker_.spoke) speakers_->push_back(speaker_);
    if (ok_) CheckRunsOnce();
    return ok_ && !failedSoftly_;
  }

 private:
  struct Jump {
    std::string label;
    size_t at;    // where the label argument stands
    size_t from;  // where the search starts: the end of the jumping command
  };

  int Line(size_t pos) const {
    if (event_.lines.empty()) return event_.closeLine;
    return event_.lines[std::min(pos, event_.lines.size() - 1)];
  }
  void Error(size_t pos, const std::string& message) {
    errors_->push_back({Line(pos), message});
    ok_ = false;
  }
  void SoftError(size_t pos, const std::string& message) {
    errors_->push_back({Line(pos), message});
    failedSoftly_ = true;
  }

  void Command() {
    const char kind = text_[pos_];
    const size_t start = pos_++;
    int code = 0;
    if (!Number(&code)) return;
    const Syntax* syntax = FindSyntax(kind, code);
    if (!syntax) {
      Error(start, std::string(1, kind) + std::to_string(code) + " is no command of the script language");
      return;
    }
    const size_t firstJump = jumps_.size();
    numbers_.clear();
    if (kind == '#' && code == kBattleCode) {
      BattleArguments(*syntax);
    } else {
      Arguments(*syntax);
    }
    // A jump searches from the end of its command's own arguments.
    for (size_t i = firstJump; i < jumps_.size(); ++i) jumps_[i].from = pos_;
    if (kind == '#' && ok_) {
      Step step{start, pos_, code, code == kSetFlagCode ? numbers_[0] : -1, Ends(code, numbers_), {}};
      for (size_t i = firstJump; i < jumps_.size(); ++i) step.labels.push_back(jumps_[i].label);
      if (code == kDonationCode) step.labels.push_back(kDonationAcceptedLabel);
      steps_.push_back(std::move(step));
    }
    // Past a map load the cells the event names are another map's.
    if (kind == '#' && code == kLoadMapCode) otherMap_ = true;
    if (ok_) Speech(kind, code, start);
    if (ok_) Flags(kind, code, start);
    endsWithEnd_ = ok_ && kind == '#' && code == kEndCode && pos_ == text_.size();
  }

  // A run-once event must be left out once it has run: a guard in front of its
  // placement names a flag the event itself sets on every way through it before it
  // ends. The game is never saved while one waits to start, and a load refuses a file
  // whose map would start one, so one that could run again on the next entry would make
  // its map one where no save is possible.
  // Placement stops at the first '$0': a guard after it guards nothing.
  void Flags(char kind, int code, size_t start) {
    if (runOnceAt_ != std::string::npos) return;
    if (kind == '$' && code == kPlaceFlagGuard) guards_.insert(numbers_[0]);
    if (kind == '$' && code == kPlaceAutoEvent) runOnceAt_ = start;
  }

  // Killing the event task's own id ends the event as '#99' does.
  static bool Ends(int code, const std::vector<int>& arguments) {
    return code == kEndCode || code == kChangeMapCode || code == kLoadMapCode || code == kEndingCode ||
           code == kTitleCode || (code == kKillTasksCode && arguments.at(0) == kTaskIdEvent);
  }

  // The commands in the order the game reads them; jumps only go forward, so whether a
  // guarded flag is set on every way to a command is known once those before it are.
  void CheckRunsOnce() {
    if (runOnceAt_ == std::string::npos) return;
    const size_t n = steps_.size();
    // Per command: reached at all, and set on every way there; the last entry is the
    // script's end.
    std::vector<char> reached(n + 1, 0), set(n + 1, 1);
    const auto at = [this](size_t pos) {
      return static_cast<size_t>(
          std::lower_bound(steps_.begin(), steps_.end(), pos, [](const Step& s, size_t p) { return s.start < p; }) -
          steps_.begin());
    };
    const auto flow = [&](size_t to, bool flagSet) {
      reached[to] = 1;
      set[to] = set[to] && flagSet;
    };
    reached[0] = 1;
    set[0] = 0;
    for (size_t i = 0; i <= n; ++i) {
      if (!reached[i]) continue;
      if (i == n || steps_[i].ends) {
        if (set[i]) continue;
        SoftError(i == n ? runOnceAt_ : steps_[i].start,
                  "a run-once event ('$0') must set a flag its guard ('$99,flag,') names ('#5,flag,') on "
                  "every way through it before it ends: one that can end without it runs again and leaves "
                  "its map unsaveable");
        return;
      }
      const Step& step = steps_[i];
      const bool out = set[i] || guards_.count(step.flag) > 0;
      if (step.code != kChoiceCode) flow(at(step.end), out);
      for (const std::string& label : step.labels) {
        const size_t found = text_.find(label, step.end);
        flow(found == std::string::npos ? n : at(found + label.size()), out);
      }
    }
  }

  void Speech(char kind, int code, size_t start) {
    if (kind == '$' && code == kPlacePerson) {
      speaker_.model = numbers_[0];
      speaker_.line = Line(start);
    } else if (kind == '#' && code == kPortraitCode) {
      portrait_ = numbers_[0];
    } else if (kind == '#' && (code == kTextCode || code == kChoiceCode) && portrait_ != kNoPortrait) {
      if (!speaker_.spoke) speaker_.portrait = portrait_;
      speaker_.spoke = true;
    }
  }

  void Arguments(const Syntax& syntax) {
    int count = 0;
    for (const char* p = syntax.pattern; *p && ok_; ++p) {
      if (*p == '*') {
        const size_t at = pos_;
        if (!Number(&count)) return;
        numbers_.push_back(count);
        if (count < syntax.countMin || count > syntax.countMax) {
          Error(at, "count " + std::to_string(count) + " is outside " + std::to_string(syntax.countMin) + " to " +
                        std::to_string(syntax.countMax));
        }
      } else if (*p == '[') {
        const char* close = std::strchr(p, ']');
        for (int i = 0; i < count && ok_; ++i) {
          for (const char* q = p + 1; q < close && ok_; ++q) Argument(*q);
        }
        p = close;
      } else {
        Argument(*p);
      }
    }
  }

  // A scripted battle's enemies: each a monster of the table on open ground that no
  // party unit starts on and no earlier enemy takes.
  void BattleArguments(const Syntax& syntax) {
    int32_t columns[kBattleSideMax], rows[kBattleSideMax];
    int count = 0, placed = 0;
    const size_t countAt = pos_;
    if (!Number(&count)) return;
    if (count < syntax.countMin || count > syntax.countMax) {
      Error(countAt, "count " + std::to_string(count) + " is outside 1 to " + std::to_string(kBattleSideMax));
      return;
    }
    for (int i = 0; i < count && ok_; ++i) {
      const size_t at = pos_;
      int monster = 0, column = 0, row = 0;
      if (!Number(&monster) || !Number(&column) || !Number(&row)) return;
      const std::string cell = "cell (" + std::to_string(column) + ", " + std::to_string(row) + ")";
      if (monster > kBattleMonsterIdMax) {
        SoftError(at, "monster id " + std::to_string(monster) + " is out of range");
      } else if (!BattleCellOpen(column, row)) {
        SoftError(at, cell + " is not open ground of the battlefield");
      } else if (BattlePartyStartCell(column, row)) {
        SoftError(at, cell + " is where a party unit starts");
      } else if (!ScriptedEnemyValid(monster, column, row, columns, rows, placed)) {
        SoftError(at, cell + " is taken by an earlier enemy");
      } else {
        columns[placed] = column;
        rows[placed] = row;
        ++placed;
      }
    }
  }

  void Argument(char kind) {
    const size_t at = pos_;
    if (kind == 'm' || kind == 'l') {
      std::string s;
      if (!String(&s)) return;
      if (kind == 'm') Message(s, at);
      if (kind == 'l') Label(s, at);
      return;
    }
    int n = 0;
    if (!Number(&n)) return;
    numbers_.push_back(n);
    Range(kind, n, at);
  }

  void Range(char kind, int n, size_t at) {
    const char* what = nullptr;
    bool inside = true;
    switch (kind) {
      // clang-format off
      case 'f': what = "flag number"; inside = n <= 99; break;
      case 'e': what = "sound effect"; inside = n <= 20; break;
      case 's': what = "slot"; inside = n <= 3; break;
      case 'p': what = "portrait"; inside = n <= 21 || n == 100; break;
      case 'g': what = "map"; inside = n < kMapCount; break;
      case 'r': what = "character row"; inside = n < kPartyRows; break;  // a save keeps only heroes
      case 'o': what = "model"; inside = n <= 37; break;
      case 't': what = "texture"; inside = n <= 34; break;
      case 'i': what = "item id"; inside = n < kItemCount; break;
      case 'k': what = "notice kind"; inside = n <= 1; mode_ = n; break;
      case 'v': what = "item id"; inside = mode_ == 0 || n < kItemCount; break;
      case 'd': what = "direction"; inside = n == 0 || n == 90 || n == 180 || n == 270; break;
      case 'x': what = "column"; inside = size_.columns == 0 || otherMap_ || n < size_.columns; break;
      case 'y': what = "row"; inside = size_.rows == 0 || otherMap_ || n < size_.rows; break;
      // clang-format on
      default: break;
    }
    if (inside) return;
    const bool cell = kind == 'x' || kind == 'y';
    SoftError(at, std::string(what) + " " + std::to_string(n) + (cell ? " lies off the map, " : " is out of range") +
                      (cell ? std::to_string(size_.columns) + " by " + std::to_string(size_.rows) + " cells" : ""));
  }

  // Up to six digits and the ',' after them.
  bool Number(int* value) {
    size_t end = pos_;
    while (end < text_.size() && text_[end] >= '0' && text_[end] <= '9') ++end;
    if (end == pos_) {
      Error(pos_, "a number was expected");
      return false;
    }
    if (end - pos_ > static_cast<size_t>(kNumberMaxDigits)) {
      Error(pos_, "a number has at most six digits");
      return false;
    }
    if (end >= text_.size() || text_[end] != ',') {
      Error(end, "',' was expected after the number");
      return false;
    }
    *value = std::stoi(text_.substr(pos_, end - pos_));
    pos_ = end + 1;
    return true;
  }

  bool String(std::string* s) {
    const size_t comma = text_.find(',', pos_);
    if (comma == std::string::npos) {
      Error(pos_, "a string is not ended with ','");
      return false;
    }
    *s = text_.substr(pos_, comma - pos_);
    pos_ = comma + 1;
    return true;
  }

  void Message(const std::string& s, size_t at) {
    int characters = 0;
    std::string missing;
    int missingCount = 0;
    for (size_t i = 0; i < s.size(); ++i, ++characters) {
      const bool wide = IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size();
      const std::string key = s.substr(i, wide ? 2 : 1);
      if (wide) ++i;
      if (glyphs_.count(key)) continue;
      missing += (missingCount++ ? ", '" : "'") + Show(key) + "'";
    }
    if (missingCount > 0) {
      SoftError(at, missing + (missingCount > 1 ? " are" : " is") + " not in the glyph table");
    }
    if (characters > kLineMaxChars) {
      SoftError(at, "the message line has " + std::to_string(characters) + " characters; a line holds 23");
    }
  }

  void Label(const std::string& s, size_t at) {
    if (s.empty() || s.size() > static_cast<size_t>(kLabelMaxBytes)) {
      SoftError(at, "label '" + Show(s) + "' must be 1 to 20 bytes long");
    } else if (s.find_first_of("#$") != std::string::npos) {
      SoftError(at, "label '" + Show(s) + "' must not hold '#' or '$'");
    } else {
      jumps_.push_back({s, at, at});
    }
  }

  // A jump lands after the first occurrence of its label that follows the command; that
  // occurrence must be a label standing between commands.
  void CheckJumps() {
    for (const Jump& j : jumps_) {
      const size_t found = text_.find(j.label, j.from);
      if (found == std::string::npos) {
        SoftError(j.at, "label '" + Show(j.label) + "' does not follow the jump");
        continue;
      }
      const bool between = std::any_of(freeText_.begin(), freeText_.end(), [&](const auto& region) {
        return found >= region.first && found + j.label.size() <= region.second;
      });
      if (!between) {
        SoftError(j.at, "label '" + Show(j.label) + "' first occurs inside a command, at line " +
                            std::to_string(Line(found)));
      }
    }
  }

  const CleanEvent& event_;
  const std::string& text_;
  const GlyphSet& glyphs_;
  const MapSize size_;
  bool otherMap_ = false;  // a '#28' has loaded another map
  std::vector<Diagnostic>* errors_;
  size_t pos_ = 0;
  bool ok_ = true;             // false: the text cannot be read on
  bool failedSoftly_ = false;  // refused, though the rest could still be checked
  bool endsWithEnd_ = false;
  int mode_ = 0;  // the last notice mode read
  std::vector<std::pair<size_t, size_t>> freeText_;
  std::vector<Jump> jumps_;
  std::vector<int> numbers_;  // the numbers of the command being read, in order
  std::vector<Speaker>* speakers_;
  Speaker speaker_{0, -1, 0, false};      // model -1: the event places no person
  int portrait_ = kNoPortrait;            // the portrait shown
  size_t runOnceAt_ = std::string::npos;  // where the event places itself as a run-once event
  std::set<int> guards_;                  // the flags its placement's guards name
  // A '#' command: where it stands and its arguments end, the flag a '#5' sets, whether
  // it ends the event, and the labels it may jump to.
  struct Step {
    size_t start, end;
    int code;
    int flag;
    bool ends;
    std::vector<std::string> labels;
  };
  std::vector<Step> steps_;
};

struct AtlasName {
  const char* name;
  const char* paint;
};

constexpr AtlasName kAtlasNames[] = {
#define ATLAS(name, l, t, r, b, paint) {#name, paint},
#include "engine/atlas.def"
#undef ATLAS
};

}  // namespace

bool LoadGlyphs(const std::string& utf8, GlyphSet* glyphs, std::vector<Diagnostic>* errors) {
  std::string sjis;
  std::vector<int> lines;
  if (!ConvertLines(utf8, &sjis, &lines, errors)) return false;
  size_t start = 0;
  for (int line = 1; start < sjis.size(); ++line) {
    const size_t end = std::min(sjis.find('\n', start), sjis.size());
    const std::string key = sjis.substr(start, end - start);
    if (line > 1 && key.size() != 2) {
      errors->push_back({line, "a glyph row holds one full-width character"});
      return false;
    }
    if (line > 1) glyphs->insert(key);
    start = end + 1;
  }
  return true;
}

bool CompileScript(const std::string& utf8, const GlyphSet& glyphs, CompiledMap* out, std::vector<Diagnostic>* errors,
                   MapSize size) {
  std::vector<int> lines;
  bool ok = ConvertLines(utf8, &out->block, &lines, errors);
  ok = CheckAtSecondBytes(out->block, lines, errors) && ok;
  if (out->block.size() > static_cast<size_t>(kBlockMaxBytes)) {
    errors->push_back({0, "the script takes " + std::to_string(out->block.size()) +
                              " bytes in Shift-JIS; a map's block holds at most 16,000"});
    ok = false;
  }
  ok = SplitEvents(out->block, lines, &out->events, errors) && ok;
  for (const CleanEvent& event : out->events) {
    ok = EventChecker(event, glyphs, size, errors, &out->speakers).Run() && ok;
  }
  return ok;
}

bool MatchEventCells(const CompiledMap& map, int cells, std::vector<Diagnostic>* errors) {
  const size_t events = map.events.size();
  if (events == static_cast<size_t>(cells)) return true;
  errors->push_back({0, std::to_string(events) + " events, but the map has " + std::to_string(cells) + " event cells"});
  return false;
}

std::map<int, Voice> PersonVoices(const std::vector<CompiledMap>& maps) {
  std::map<int, Voice> voices;
  for (size_t m = 0; m < maps.size(); ++m) {
    for (const Speaker& s : maps[m].speakers) {
      Voice& v = voices.try_emplace(s.model, Voice{s.portrait, static_cast<int>(m), s.line, -1}).first->second;
      if (s.portrait != v.portrait && v.rival < 0) v.rival = s.portrait;
    }
  }
  return voices;
}

std::string PortraitLook(int portrait) {
  char name[32];
  std::snprintf(name, sizeof name, "kAtlasPortrait%02d", portrait);
  const std::string prefix = "picture portrait ";
  for (const AtlasName& a : kAtlasNames) {
    if (std::strcmp(a.name, name) == 0 && std::string(a.paint).rfind(prefix, 0) == 0) {
      return std::string(a.paint).substr(prefix.size());
    }
  }
  return "";
}

bool CheckPersonLooks(const std::vector<CompiledMap>& maps, const std::vector<std::string>& looks,
                      std::vector<std::vector<Diagnostic>>* errors) {
  errors->assign(maps.size(), {});
  bool ok = true;
  for (const auto& [model, voice] : PersonVoices(maps)) {
    const std::string face = PortraitLook(voice.portrait);
    const std::string worn = model < static_cast<int>(looks.size()) ? looks[static_cast<size_t>(model)] : "";
    const std::string who = "model " + std::to_string(model);
    std::string refusal;
    if (voice.rival >= 0) {
      refusal = who + " speaks with portrait " + std::to_string(voice.portrait) + " and with portrait " +
                std::to_string(voice.rival) + ": one person, one face";
    } else if (worn != face) {
      refusal = who + " speaks with portrait " + std::to_string(voice.portrait) + ", the face of " + face +
                ", but wears " + (worn.empty() ? "no look of the cast" : "the look of " + worn);
    }
    if (refusal.empty()) continue;
    (*errors)[static_cast<size_t>(voice.map)].push_back({voice.line, refusal});
    ok = false;
  }
  return ok;
}

std::vector<uint8_t> BuildPack(const std::vector<std::string>& blocks) {
  std::vector<uint8_t> table, body;
  for (int m = 0; m < kMapCount; ++m) {
    PutU32(table, static_cast<uint32_t>(body.size()));
    const std::string block = m < static_cast<int>(blocks.size()) ? blocks[static_cast<size_t>(m)] : std::string();
    PutU32(body, static_cast<uint32_t>(block.size()));
    for (char c : block) body.push_back(static_cast<uint8_t>(~static_cast<uint8_t>(c)));
  }
  table.insert(table.end(), body.begin(), body.end());
  return table;
}

bool CountEventCells(const std::vector<uint8_t>& mappack, int map, int* count, std::string* error, MapSize* size) {
  constexpr uint64_t kTable = kMapCount * 4;
  constexpr uint64_t kHeader = 16;
  if (map < 0 || map >= kMapCount || mappack.size() < kTable) {
    *error = "the map pack has no table for map " + std::to_string(map);
    return false;
  }
  const uint64_t record = kTable + ReadU32(mappack.data() + static_cast<size_t>(map) * 4);
  if (record + kHeader > mappack.size()) {
    *error = "the map pack's record of map " + std::to_string(map) + " lies outside the file";
    return false;
  }
  const uint32_t columns = ReadU32(mappack.data() + record), rows = ReadU32(mappack.data() + record + 4);
  const uint64_t cells = static_cast<uint64_t>(columns) * rows;
  if (cells > 40000 || record + kHeader + 2 * cells > mappack.size()) {
    *error = "the map pack's layers of map " + std::to_string(map) + " do not fit";
    return false;
  }
  if (size && cells > 0) *size = {static_cast<int>(columns), static_cast<int>(rows)};
  const uint8_t* events = mappack.data() + record + kHeader + cells;
  *count = static_cast<int>(std::count_if(events, events + cells, [](uint8_t b) {
    const auto v = static_cast<int8_t>(b);
    return v >= 1 && v <= kEventsMax;
  }));
  return true;
}

}  // namespace scriptc

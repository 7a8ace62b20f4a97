#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "data/game_state.h"
#include "engine/task.h"
#include "event/pack.h"
#include "field/map.h"
#include "platform/text_encoding.h"
#include "scriptc/script_lang.h"
#include "support/field_world.h"

namespace {

using scriptc::CompiledMap;
using scriptc::Diagnostic;

std::string SourceFile(const char* relative) { return std::string(MILVA_SOURCE_DIR) + "/" + relative; }

std::string ReadText(const std::string& path) {
  const test::Bytes bytes = test::ReadFile(path);
  return std::string(bytes.begin(), bytes.end());
}

class ScriptCompilerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<Diagnostic> errors;
    const test::Bytes glyphs = test::ReadFile(std::string(MILVA_SOURCE_DIR) + "/content/glyphs/glyphs.txt");
    ASSERT_TRUE(scriptc::LoadGlyphs(std::string(glyphs.begin(), glyphs.end()), &glyphs_, &errors));
  }
  // Compiles for a map of 10 by 6 cells; the refusals, as "line: message".
  std::vector<std::string> Refusals(const std::string& source) {
    std::vector<Diagnostic> errors;
    compiled_ = CompiledMap{};
    const bool ok = scriptc::CompileScript(source, glyphs_, &compiled_, &errors, {10, 6});
    std::vector<std::string> out;
    for (const auto& e : errors) out.push_back(std::to_string(e.line) + ": " + e.message);
    EXPECT_EQ(ok, out.empty());
    return out;
  }
  // The single refusal of a script, which must be refused on the given line.
  std::string RefusedOn(int line, const std::string& source) {
    const auto refusals = Refusals(source);
    EXPECT_EQ(refusals.size(), 1u) << source;
    if (refusals.empty()) return {};
    EXPECT_EQ(refusals[0].substr(0, refusals[0].find(':')), std::to_string(line)) << refusals[0];
    return refusals[0];
  }
  scriptc::GlyphSet glyphs_;
  CompiledMap compiled_;
};

// Every refusal names its line and what is wrong; the game never sees such a script.
TEST_F(ScriptCompilerTest, RefusalsNameTheirLineAndReason) {
  const std::string fits = "あいうえおかきくけこさしすせそたちつてとなにぬ";
  struct Case {
    int line;
    std::string source;
    const char* says;
  };
  const Case cases[] = {
      {2, "#1,1,\nこれを聞け,\n#99,@", "'聞' is not in the glyph table"},
      {3, "#1,1,あ,\n#99,\n/ ミルヴァ\n@", "'ァ'"},  // a second byte that reads as '@'
      {1, "#2,あ" + fits + ",い,う,x,y,x#99,y#99,@", "24 characters"},
      {2, "back\n#6,1,back,\n#99,@", "'back' does not follow"},
      {1, "#6,1,end,#6,2,end,end#99,@", "inside a command"},
      {1, "#6,1,end,#99,@end#99,@", "does not follow"},  // searched in its own event only
      {1, "#6,1,a#b,#99,@", "must not hold"},
      {2, "#5,1,\n@", "does not end with '#99,'"},
      {1, "#99,tail@", "does not end with"},
      {3, "#99,@\n\n#99,", "not closed with '@'"},
      {1, "#15,#99,@", "#15 is no command"},
      {1, "$5,#99,@", "$5 is no command"},
      {1, "#17,1234567,#99,@", "six digits"},
      {1, "#17,-5,#99,@", "a number was expected"},
      {1, "#1,4,あ,い,う,え,#99,@", "count 4 is outside 0 to 3"},
      {1, "#5,100,#99,@", "flag number 100"},
      {1, "#11,21,#99,@", "sound effect 21"},
      {1, "#3,22,#99,@", "portrait 22"},
      {1, "#8,14,0,1,1,0,#99,@", "map 14"},
      {1, "#0,1,2,0,17,#99,@", "character row 17"},
      {1, "#20,1,1,0,38,0,5,#99,@", "model 38"},
      {1, "$3,1,35,#99,@", "texture 35"},
      {1, "#55,1,2,28,35,#99,@", "texture 35"},
      {1, "#54,3,4,45,#99,@", "direction 45"},  // projectiles and the lift move along the four axes only
      {1, "#56,360,8,#99,@", "direction 360"},
      {1, "#26,10,0,#99,@", "column 10 lies off the map, 10 by 6"},  // sparkles, orbs, shots and the lift
      {1, "#42,0,6,#99,@", "row 6 lies off the map"},
      {1, "#52,10,0,#99,@", "column 10 lies off the map"},  // and every other command's cells
      {1, "$0,#5,3,#99,@", "run-once event"},               // it would run on every entry
      {1, "$99,3,$0,#5,4,#99,@", "run-once event"},
      {1, "$99,1,$0,#8,0,0,22,32,90,#5,1,#99,@", "run-once event"},  // it ends before the flag is set
      {1, "$99,1,$0,#6,2,on,#5,1,on#99,@", "run-once event"},        // or on one way through it
      {1, "$99,1,$0,#50,9500,#5,1,#99,@", "run-once event"},         // killing its own task ends it
      {1, "$0,$99,1,#5,1,#99,@", "run-once event"},                  // placement stops at '$0'
      {1, "#20,3,6,0,5,0,7,#99,@", "row 6 lies off the map"},
      {1, "#10,2,13,20,#99,@", "item id 20"},
      {1, "#10,13,1,1,1,1,1,1,1,1,1,1,1,1,1,#99,@", "count 13 is outside 0 to 12"},
      {1, "#38,2,13,3,4,7,12,#99,@", "notice kind 2"},
      {1, "#38,1,3,0,0,1,1,#38,0,30,0,0,1,2,#38,1,30,0,0,1,3,#99,@", "item id 30"},  // modes do not carry over
      {2, "#99,\n/ \U0001F600\n@", "Shift-JIS cannot write"},
      // A scripted battle's enemies stand on open ground, off the party's cells, one a cell.
      {1, "#12,1,13,5,5,#99,@", "monster id 13 is out of range"},
      {1, "#12,1,0,1,5,#99,@", "cell (1, 5) is not open ground"},
      {1, "#12,1,0,18,5,#99,@", "cell (18, 5) is not open ground"},
      {1, "#12,1,0,9,9,#99,@", "cell (9, 9) is where a party"},
      {1, "#12,2,0,5,5,1,5,5,#99,@", "cell (5, 5) is taken by an earlier"},
      {1, "#12,7,#99,@", "count 7 is outside 1 to 6"},
      // Cases of the same refusals the table above does not yet hold.
      {1, "#1,1,aあb,#99,@", "'a', 'b' are not in the glyph table"},
      {1, "#2,あ,い,う,one,two,one#99,@", "'two' does not follow"},
      {1, "#99,#5,1,@", "does not end with"},
      {1, "@", "does not end with"},
      {1, "#100,#99,@", "#100 is no command"},
      {1, "#,#99,@", "a number was expected"},
      {1, "#17,5#99,@", "',' was expected"},
      {1, "$99,100,#99,@", "flag number 100"},
      {1, "#28,14,#99,@", "map 14"},
      {1, "#0,14,1,0,#99,@", "map 14"},
      {1, "#4,17,#99,@", "character row 17"},
      {1, "$1,38,0,0,#99,@", "model 38"},
      {1, "$4,38,#99,@", "model 38"},
      {1, "#38,1,20,3,4,7,12,#99,@", "item id 20"},
      {1, "#38,0,500,3,4,7,100,#99,@", "flag number 100"},
      {1, "#12,1,0,5,16,#99,@", "cell (5, 16) is not open ground"},
      {1, "#12,0,#99,@", "count 0 is outside 1 to 6"},
  };
  for (const Case& c : cases) EXPECT_NE(RefusedOn(c.line, c.source).find(c.says), std::string::npos) << c.source;
  // A character whose second byte reads as '@' is refused wherever it stands.
  EXPECT_NE(Refusals("#1,1,あ\u3000い,#99,@").at(0).find("'\u3000'"), std::string::npos);
  for (const char* good :
       {"#1,1,あいうえおかきくけこさしすせそたちつてとなにぬ,#99,@", "#6,1,聞,#99,聞#99,@",
        "#6,1,end,#6,2,fin,end#5,1,fin#99,@", "#99,@\n/ trailing note\n",
        "#8,13,0,1,1,0,#0,13,1,3,#20,1,1,0,37,0,5,$3,34,0,#99,@",
        "#9,50,#10,3,1,13,19,#27,500,#38,0,999999,3,4,7,12,#41,100,#23,#30,#24,#36,#97,#99,@",
        "#0,0,4,0,1,2,3,#46,3,1,#46,2,0,#49,1,2,#46,1,1,#99,@", "#46,1,0,#46,3,3,#46,2,0,#99,@",
        "#13,#12,2,12,2,2,0,15,15,#12,1,3,7,8,#99,@", "#53,#54,3,4,270,#55,1,2,28,26,#56,90,16,#99,@",
        "#28,3,#25,10,0,1100,#48,3,6,0,#99,@", "$99,4,$99,3,$0,#7,1,#50,2400,#5,3,#99,@",
        "$99,1,$0,#2,あ,い,う,a,b,a#5,1,#99,b#41,0,#5,1,#8,0,0,1,1,0,fuse_shita#5,1,#99,@",
        "#26,9,5,#42,9,5,#54,9,5,0,#55,9,5,28,26,#99,@",
        "$99,3,$1,5,270,1,#3,100,#47,2,1,7,8,#22,1,1100,0,16,#0,1,2,0,1,#99,@", "#38,1,19,3,4,7,99,#99,@"}) {
    EXPECT_TRUE(Refusals(good).empty()) << good;
  }
}

TEST_F(ScriptCompilerTest, BlocksAndEventsKeepToTheGamesBuffers) {
  const std::string longEvent = "#99," + std::string(13996, 'x') + "@";  // 14,000 bytes kept
  EXPECT_NE(Refusals(longEvent).at(0).find("at most 13,999"), std::string::npos);
  std::string twentyOne;
  for (int i = 0; i < 21; ++i) twentyOne += "#99,@\n";
  EXPECT_NE(Refusals(twentyOne).at(0).find("at most 20"), std::string::npos);
  std::string big = "#99,@";
  big += std::string(16000 - big.size(), ' ');
  EXPECT_TRUE(Refusals(big).empty());
  big += ' ';
  EXPECT_NE(Refusals(big).at(0).find("at most 16,000"), std::string::npos);
  // The block's last byte is never read: an event closed there would not split.
  std::string edge = std::string(15995, ' ') + "#99,@";
  EXPECT_NE(Refusals(edge).at(0).find("beyond byte 15,999"), std::string::npos);
  EXPECT_TRUE(Refusals(edge.substr(1)).empty());
}

TEST_F(ScriptCompilerTest, EventCountMustMatchTheMapsEventCells) {
  test::TestMap events = test::MapFloor(7, 1);
  events.events = {0, 1, 21, 2, 0x80, 3, 0};
  const auto pack = test::BuildMapPack({events, test::MapFloor(1, 1)});
  int cells = -1;
  std::string error;
  scriptc::MapSize size;
  ASSERT_TRUE(scriptc::CountEventCells(pack, 0, &cells, &error, &size));
  EXPECT_TRUE(cells == 3 && size.columns == 7 && size.rows == 1);

  ASSERT_TRUE(Refusals("#99,@#99,@").empty());
  std::vector<Diagnostic> errors;
  EXPECT_FALSE(scriptc::MatchEventCells(compiled_, 3, &errors));
  EXPECT_EQ(errors.at(0).message, "2 events, but the map has 3 event cells");
  EXPECT_TRUE(scriptc::MatchEventCells(compiled_, 2, &errors));

  // Map packs that do not hold the map.
  EXPECT_FALSE(scriptc::CountEventCells(std::vector<uint8_t>(30, 0), 0, &cells, &error));
  auto broken = pack;
  broken[56] = 0xFF;  // map 0 claims a width of 255 cells
  EXPECT_FALSE(scriptc::CountEventCells(broken, 0, &cells, &error));
  EXPECT_FALSE(scriptc::CountEventCells(pack, 14, &cells, &error));
}

TEST_F(ScriptCompilerTest, GlyphListHoldsEveryRowButTheEmptyOne) {
  EXPECT_EQ(glyphs_.size(), 614u);  // 658 rows, some characters twice
  EXPECT_TRUE(glyphs_.count(plat::Utf8ToSjis("蛛")));
  EXPECT_FALSE(glyphs_.count(plat::Utf8ToSjis("聞")));
}

TEST_F(ScriptCompilerTest, CleanTextIsWhatTheGameSplits) {
  const std::string source =
      "/ a note\n"
      "$1,6,270,1,\n"
      "#1,2,こんにちは,  / greeting\r\n"
      "     よい天 気,\n"
      "#99,\n"
      "@\n"
      "#6,3,here,#5,4,\n"
      "here\n"
      "#99,@\n";
  ASSERT_TRUE(Refusals(source).empty());
  ASSERT_EQ(compiled_.events.size(), 2u);
  EXPECT_EQ(compiled_.events[0].text, "$1,6,270,1,#1,2," + plat::Utf8ToSjis("こんにちは,よい天気,") + "#99,");
  EXPECT_EQ(compiled_.events[0].lines.front(), 2);
  EXPECT_EQ(compiled_.events[1].text, "#6,3,here,#5,4,here#99,");
  EXPECT_EQ(compiled_.block, plat::Utf8ToSjis(source));

  // The same text, packed and loaded by the game, splits into the same slots.
  ASSERT_EQ(TaskPoolCreate(), 1);
  ASSERT_EQ(MapBuffersAlloc(), 1);
  const std::string dir = test::MakeTempDir();
  const std::string path = dir + "/epack.dat";
  ASSERT_TRUE(test::WriteFile(path, scriptc::BuildPack({"", compiled_.block})));
  g_mapNumber = 1;
  g_eventCount = 2;
  EXPECT_EQ(EventLoadPack(path.c_str()), 1);
  EXPECT_EQ(std::string(EventSlotBase(0)), compiled_.events[0].text);
  EXPECT_EQ(std::string(EventSlotBase(1)), compiled_.events[1].text);
  std::filesystem::remove_all(dir);
  MapBuffersFree();
  TaskPoolFree();
}

TEST_F(ScriptCompilerTest, PackLayoutOffsetsFromTheTableEnd) {
  const auto pack = scriptc::BuildPack({"ab", "", "c"});
  ASSERT_EQ(pack.size(), 56u + 14 * 4 + 3);
  auto u32 = [&pack](size_t at) { return pack[at] | pack[at + 1] << 8 | pack[at + 2] << 16 | pack[at + 3] << 24; };
  EXPECT_EQ(u32(0), 0);
  EXPECT_EQ(u32(4), 6);
  EXPECT_EQ(u32(8), 10);
  EXPECT_EQ(u32(56), 2);
  EXPECT_EQ(pack[60], static_cast<uint8_t>(~'a'));
  EXPECT_EQ(u32(56 + 10), 1);
  EXPECT_EQ(pack[56 + 14], static_cast<uint8_t>(~'c'));
}

// A person a script places wears the look of the portrait it speaks with most: the one
// its event's first message shows, counted in messages over every map. Model 4 speaks
// with the elder's portrait 6 in two messages, then the party's Yorun answers; model 7
// with the boy's portrait 13 in two on map 1 and the villager's 14 in one on map 0, where
// Minerva says two more.
TEST_F(ScriptCompilerTest, APersonWearsTheLookOfThePortraitItSpeaksWith) {
  std::vector<CompiledMap> maps;
  for (const char* source : {"#99,@\n$1,4,270,0,#3,6,#1,1,あ,#1,1,い,#3,1,#1,1,う,#99,@\n"
                             "$1,7,0,1,#7,1,#3,13,#1,1,あ,#3,2,#1,1,い,#1,1,う,#3,100,#99,@",
                             "$1,7,0,1,#3,13,#1,1,あ,#2,い,う,え,x,y,x#99,y#99,@"}) {
    ASSERT_TRUE(Refusals(source).empty());
    maps.push_back(compiled_);
  }
  // The refusals as "map:line: reason", for models 4 and 7 wearing these looks.
  const auto refusals = [&maps](const char* model4, const char* model7) {
    std::vector<std::vector<Diagnostic>> errors;
    const bool ok = scriptc::CheckPersonLooks(maps, {"", "", "", "", model4, "", "", model7}, &errors);
    std::string out;
    for (size_t m = 0; m < errors.size(); ++m) {
      for (const Diagnostic& e : errors[m]) out += std::to_string(m) + ":" + std::to_string(e.line) + ": " + e.message;
    }
    EXPECT_EQ(ok, out.empty());
    return out;
  };
  EXPECT_EQ(refusals("elder", "boy"), "");
  EXPECT_EQ(refusals("yorun", "boy"),
            "0:2: model 4 speaks with portrait 6, the face of elder, but wears the look of yorun");
  EXPECT_EQ(refusals("", "boy"),
            "0:2: model 4 speaks with portrait 6, the face of elder, but wears no look of the cast");
  EXPECT_EQ(refusals("elder", "villager"),
            "0:3: model 7 speaks with portrait 13, the face of boy, but wears the look of villager");
  // A second face, however few its words: whichever look the model wears, one of them
  // is not its face.
  ASSERT_TRUE(Refusals("$1,7,0,1,#3,14,#1,1,あ,#99,@").empty());
  maps.push_back(compiled_);
  EXPECT_EQ(refusals("elder", "boy"),
            "0:3: model 7 speaks with portrait 13 and with portrait 14: one person, one face");
}

// The game's own scripts compile, and the event pack the build made from them loads
// into the same slots.
TEST_F(ScriptCompilerTest, TheGamesScriptsCompileAndTheBuiltPackLoads) {
  ASSERT_EQ(TaskPoolCreate(), 1);
  ASSERT_EQ(MapBuffersAlloc(), 1);
  const std::string pack = test::BuildDataDir() + "/epack.dat";
  const test::Bytes maps = test::ReadFile(test::BuildDataDir() + "/mappack.dat");
  for (int m = 0; m < scriptc::kMapCount; ++m) {
    char name[32];
    std::snprintf(name, sizeof name, "content/scripts/map%02d.txt", m);
    const std::string path = SourceFile(name);
    int cells = 0;
    std::string error;
    scriptc::MapSize size;
    ASSERT_TRUE(scriptc::CountEventCells(maps, m, &cells, &error, &size)) << error;
    if (std::filesystem::exists(path)) {
      std::vector<Diagnostic> errors;
      compiled_ = CompiledMap{};
      EXPECT_TRUE(scriptc::CompileScript(ReadText(path), glyphs_, &compiled_, &errors, size)) << name;
    }
    g_mapNumber = m;
    g_eventCount = static_cast<int32_t>(compiled_.events.size());
    EXPECT_EQ(EventLoadPack(pack.c_str()), 1) << m;
    for (size_t k = 0; k < compiled_.events.size(); ++k) {
      EXPECT_EQ(std::string(EventSlotBase(static_cast<int>(k))), compiled_.events[k].text) << name << " " << k;
    }
    compiled_ = CompiledMap{};
  }
  MapBuffersFree();
  TaskPoolFree();
}

}  // namespace

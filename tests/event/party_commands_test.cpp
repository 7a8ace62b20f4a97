#include "event/party_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/game_state.h"
#include "event/event_test_support.h"

namespace {

// The party's character ids in member order; -1 for nobody: an emptied record, or one
// past the count.
std::vector<int> PartyIds() {
  std::vector<int> ids;
  for (int i = 0; i < 4; ++i) ids.push_back(PartyMemberPresent(i) ? g_party[i].id : -1);
  return ids;
}

std::vector<int> ReserveIds() {
  std::vector<int> ids;
  for (const CharacterRecord& r : g_partyReserve) ids.push_back(CharacterRecordEmpty(r) ? -1 : r.id);
  return ids;
}

class PartyCommandTest : public test::EventTest {
 protected:
  static void SetParty(const std::vector<int>& rows) {
    for (int i = 0; i < 4; ++i) {
      g_party[i] =
          i < static_cast<int>(rows.size()) ? g_characterTable[rows[static_cast<size_t>(i)]] : CharacterRecord{};
    }
    g_partyCount = static_cast<int32_t>(rows.size());
  }
  // Runs the script to its end; the script's last command before '#99' is '#5,9'.
  void RunAll(const std::string& script) {
    SetScript(0, script + "#5,9,#99,");
    Start(1);
    for (int i = 0; i < 100 && EventRunning(); ++i) Update();
    ASSERT_EQ(g_eventFlags[9], 1) << "the script ran on to its end";
    g_eventFlags[9] = 0;
  }
};

// Each script runs on a party of the given character rows with an empty reserve; what
// would lose someone or name what the game lacks changes nothing.
TEST_F(PartyCommandTest, ScriptsSetUpMoveAndSortTheParty) {
  const struct {
    std::vector<int> rows;
    const char* script;
    std::vector<int> party, reserve;
    int32_t count;
  } cases[] = {
      {{0, 1, 2, 3}, "#0,3,2,1,0,", {1, 0, -1, -1}, {}, 2},  // map 3, the first two rows
      {{0, 1, 2, 3}, "#0,3,2,1,17,#0,14,1,2,#0,2,5,0,1,2,3,0,#0,2,0,", {0, 1, 2, 3}, {}, 4},
      {{0, 1}, "#4,3,#4,17,", {0, 1, 3, -1}, {}, 3},
      {{0, 1, 2, 3}, "#4,8,", {0, 1, 2, 4}, {}, 4},                // four members: the last replaced
      {{0, 1, 2, 3}, "#46,1,0,#4,1,#4,2,", {0, 1, 2, 2}, {1}, 4},  // an emptied place first
      // Set aside from the middle: the last member stays counted.
      {{0, 1, 2, 3}, "#46,1,0,", {0, -1, 2, 3}, {1}, 4},
      {{0, 1, 2, 3}, "#46,1,0,#49,0,1,", {0, 1, 2, 3}, {}, 4},
      {{0, 1, 2, 3}, "#46,1,0,#46,2,0,#46,2,4,#46,7,1,#46,1,1,#49,1,1,#49,0,2,#49,4,1,#49,0,4,", {0, -1, 2, 3}, {1}, 4},
      {{2, 0, 3, 1}, "#51,", {0, 1, 2, 3}, {}, 4},
      {{3, 0, 2, 1}, "#46,3,2,#51,", {0, 1, 2, -1}, {-1, -1, 3}, 4},  // a kept member stays kept
      {{2, 0, 8, 1}, "#51,", {2, 0, 4, 1}, {}, 4},                    // row 8 is a monster whose id is 4
      {{2, 2, 0, 1}, "#51,", {2, 2, 0, 1}, {}, 4},
      // A save keeps as many party and reserve rows as the party counts: the count stays
      // high enough to hold everyone set aside.
      {{0, 1, 2, 3}, "#46,3,3,#46,3,1,#46,2,2,#46,2,0,", {0, 1, -1, -1}, {-1, -1, 2, 3}, 4},
      {{0, 1, 2, 3}, "#46,3,2,#46,1,0,", {0, -1, 2, -1}, {1, -1, 3}, 3},
      {{0, 1, 2, 3}, "#46,3,0,#46,2,1,#46,1,2,", {0, 1, -1, -1}, {3, 2}, 2},  // never past the count
      // Rows past the count are nobody: never found, set aside, sorted in or counted again.
      {{0, 1, 2, 3}, "#0,0,2,0,1,#46,1,3,#46,3,0,", {0, 1, -1, -1}, {}, 2},
      {{0, 1, 2, 3}, "#0,0,2,0,1,#46,1,1,", {0, -1, -1, -1}, {-1, 1}, 2},
      {{0, 1, 2}, "#46,2,0,#49,0,3,", {0, 1, -1, -1}, {2}, 2},
      {{0, 1, 2}, "#46,2,0,#49,0,3,#49,0,2,", {0, 1, 2, -1}, {}, 3},
      {{0, 2}, "#51,", {0, 2, -1, -1}, {}, 2},
      {{0, 1, 2, 3}, "#46,3,3,#0,0,2,0,1,", {0, 1, 2, -1}, {-1, -1, -1, 3}, 4},  // nor is anyone kept dropped
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    SetParty(c.rows);
    for (CharacterRecord& r : g_partyReserve) r = CharacterRecord{};
    g_mapNumber = 0;
    RunAll(c.script);
    std::vector<int> reserve = c.reserve;
    reserve.resize(4, -1);
    EXPECT_EQ(PartyIds(), c.party);
    EXPECT_EQ(ReserveIds(), reserve);
    EXPECT_EQ(g_partyCount, c.count);
    for (int i = g_partyCount; i < 4; ++i) EXPECT_TRUE(CharacterRecordEmpty(g_partyReserve[i])) << "a save keeps " << i;
    EXPECT_EQ(g_mapNumber, c.script == cases[0].script ? 3 : 0);
  }
}

// A record emptied by an earlier command is nobody: it is never set aside and never
// counted; a member added or set up takes its row's model.
TEST_F(PartyCommandTest, EmptiedPlacesAreNobodyAndMembersTakeTheirRowsModels) {
  SetParty({1, 2});
  g_party[0] = CharacterRecord{};  // the heroine's id is 0, like an emptied record's
  g_partyCount = 1;
  for (CharacterRecord& r : g_partyReserve) r = CharacterRecord{};
  RunAll("#46,0,0,#46,0,1,");
  EXPECT_EQ(ReserveIds(), (std::vector<int>{-1, -1, -1, -1}));
  EXPECT_EQ(g_partyCount, 1) << "the count never goes below the members there are";
  SetParty({0, 1, 2, 3});
  RunAll("#4,8,#0,3,2,1,0,");
  EXPECT_EQ(g_party[1].model, g_characterTable[0].model);
  SetParty({0, 1, 2});
  RunAll("#4,8,");
  EXPECT_EQ(g_party[3].model, g_characterTable[8].model) << "member 3 added";
}
}  // namespace

#include "event/party_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/game_state.h"
#include "event/event_test_support.h"

namespace {

// The party's character ids in member order; -1 for an emptied record.
std::vector<int> PartyIds() {
  std::vector<int> ids;
  for (const CharacterRecord& r : g_party) ids.push_back(CharacterRecordEmpty(r) ? -1 : r.id);
  return ids;
}

std::vector<int> ReserveIds() {
  std::vector<int> ids;
  for (const CharacterRecord& r : g_partyReserve) ids.push_back(CharacterRecordEmpty(r) ? -1 : r.id);
  return ids;
}

class PartyCommandTest : public test::EventTest {
 protected:
  void SetUp() override {
    EventTest::SetUp();
    SetParty({0, 1, 2, 3});
    for (CharacterRecord& r : g_partyReserve) r = CharacterRecord{};
  }
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

TEST_F(PartyCommandTest, SetupPartyTakesMapCountAndRows) {
  RunAll("#0,3,2,1,0,");
  EXPECT_EQ(g_mapNumber, 3);
  EXPECT_EQ(g_partyCount, 2);
  EXPECT_EQ(g_party[0].id, 1);
  EXPECT_EQ(g_party[1].id, 0);
  EXPECT_EQ(g_party[1].model, g_characterTable[0].model);
}

TEST_F(PartyCommandTest, SetupPartyWithAnythingTheGameLacksChangesNothing) {
  RunAll("#0,3,2,1,17,#0,14,1,2,#0,2,5,0,1,2,3,0,#0,2,0,");
  EXPECT_EQ(g_mapNumber, 0);
  EXPECT_EQ(g_partyCount, 4);
  EXPECT_EQ(PartyIds(), (std::vector<int>{0, 1, 2, 3}));
}

TEST_F(PartyCommandTest, AddMemberFillsTheNextPlaceOrReplacesTheLastOfAFullParty) {
  SetParty({0, 1});
  RunAll("#4,3,#4,17,");
  EXPECT_EQ(g_partyCount, 3);
  EXPECT_EQ(PartyIds(), (std::vector<int>{0, 1, 3, -1}));
  SetParty({0, 1, 2, 3});
  RunAll("#4,8,");
  EXPECT_EQ(g_partyCount, 4);
  EXPECT_EQ(g_party[3].model, g_characterTable[8].model) << "member 3 replaced";
}

TEST_F(PartyCommandTest, MemberLeavesForTheReserveAndComesBack) {
  RunAll("#46,1,0,");
  EXPECT_EQ(ReserveIds(), (std::vector<int>{1, -1, -1, -1}));
  EXPECT_EQ(PartyIds(), (std::vector<int>{0, -1, 2, 3})) << "the place stays, emptied";
  EXPECT_EQ(g_partyCount, 3);
  RunAll("#49,0,1,");
  EXPECT_EQ(PartyIds(), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(ReserveIds(), (std::vector<int>{-1, -1, -1, -1}));
  EXPECT_EQ(g_partyCount, 4);
}

TEST_F(PartyCommandTest, ReserveMovesThatWouldLoseSomeoneDoNothing) {
  RunAll("#46,1,0,");
  // Into a slot that keeps someone, out of the range of slots, a member not there.
  RunAll("#46,2,0,#46,2,4,#46,7,1,#46,1,1,");
  EXPECT_EQ(ReserveIds(), (std::vector<int>{1, -1, -1, -1}));
  EXPECT_EQ(PartyIds(), (std::vector<int>{0, -1, 2, 3}));
  EXPECT_EQ(g_partyCount, 3);
  // From an empty slot, onto a member, out of range.
  RunAll("#49,1,1,#49,0,2,#49,4,1,#49,0,4,");
  EXPECT_EQ(ReserveIds(), (std::vector<int>{1, -1, -1, -1}));
  EXPECT_EQ(PartyIds(), (std::vector<int>{0, -1, 2, 3}));
  EXPECT_EQ(g_partyCount, 3);
}

TEST_F(PartyCommandTest, SortPutsEachMemberAtItsIdAndKeepsTheReserve) {
  SetParty({2, 0, 3, 1});
  RunAll("#51,");
  EXPECT_EQ(PartyIds(), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(g_partyCount, 4);
  EXPECT_EQ(ReserveIds(), (std::vector<int>{-1, -1, -1, -1}));

  SetParty({3, 0, 2, 1});
  RunAll("#46,3,2,#51,");
  EXPECT_EQ(PartyIds(), (std::vector<int>{0, 1, 2, -1}));
  EXPECT_EQ(ReserveIds(), (std::vector<int>{-1, -1, 3, -1})) << "a kept member stays kept";
  EXPECT_EQ(g_partyCount, 3);
}

TEST_F(PartyCommandTest, SortThatWouldLoseSomeoneLeavesThePartyAsItIs) {
  SetParty({2, 0, 8, 1});  // row 8 is a monster whose id is 4
  RunAll("#51,");
  EXPECT_EQ(PartyIds(), (std::vector<int>{2, 0, 4, 1}));
  SetParty({2, 2, 0, 1});
  RunAll("#51,");
  EXPECT_EQ(PartyIds(), (std::vector<int>{2, 2, 0, 1}));
}

}  // namespace

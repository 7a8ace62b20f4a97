#include "event/party_effects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "event/event_test_support.h"
#include "field/walker.h"

namespace {

// Each script with `members` in the party on a 10 x 6 floor, member m's walker on cell
// (m + 1, 5) where `walkers` has bit m, and the object slots from `free` on taken: the
// most effects it shows at once (orbs circling (4, 2) from their start angles, one a
// member, each falling on its member's walker with a damage number and ending `gap`
// frames after the one before), the update on which it goes on, and the hit points it
// leaves members who had `hp` (-1: the maximum, and so the magic points; members 1 and 3
// are fighters, whose 0 of 0 stays 0).
class PartyEffectsTest : public test::EventTest {};

TEST_F(PartyEffectsTest, EffectsShowAndAreAwaitedWhileOnlyTheirCommandsChangeHitPoints) {
  const struct Case {
    const char* script;
    int members, walkers, free, made, gap, doneOn, hp, after;
    float angles[4];
  } kCases[] = {
      {"#42,4,2,", 3, 15, 90, 3, 10, 181, 5, 5, {0, 120, 240}},
      {"#42,4,2,", 4, 15, 90, 4, 10, 191, 5, 5, {0, 90, 180, 270}},
      {"#42,4,2,", 4, 15, 2, 2, 10, 171, 5, 5, {0, 90}},    // only the orbs that find a slot
      {"#26,4,2,", 4, 15, 90, 1, 0, 2, 5, 5, {}},           // the sparkle does not hold the script
      {"#26,4,2,#43,", 4, 0, 90, 1, 0, 32, 5, 5, {}},       // but a following wait waits for it
      {"#43,", 4, 0b1011, 90, 3, 0, 62, 5, 5, {}},          // no ring for the member without a walker
      {"#42,10,2,#26,4,6,", 4, 15, 90, 0, 0, 4, 5, 5, {}},  // cells off the map
      {"#45,", 4, 15, 90, 0, 0, 2, 5, 1, {}},
      {"#45,", 4, 15, 90, 0, 0, 2, 30, 20, {}},
      {"#44,", 4, 15, 90, 0, 0, 2, 5, -1, {}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.script);
    TaskKillAll();
    g_mapWidth = 10, g_mapHeight = 6, g_eventFlags[9] = 0, g_partyCount = c.members;
    for (int m = 0; m < 4; ++m) {
      g_party[m] = g_characterTable[m], g_party[m].hp = c.hp, g_party[m].mp = 0;
      if (c.walkers >> m & 1) WalkerCreate(2.0f * m - 7.0f, 0.2f, -5.0f, 90.0f, m, 0, nullptr);
    }
    for (int s = kSlotObjectsFirst + c.free; s < kSlotObjectsEnd; ++s) PlaceTask(s, 777);
    SetScript(0, c.script + std::string("#5,9,#99,"));
    Start(1);
    int made = 0, chimed = 0, ended[4] = {}, i = 1;
    for (; i < 400 && !g_eventFlags[9]; ++i) {
      Update();
      chimed += static_cast<int>(std::count(sounds_.begin(), sounds_.end(), kSoundRecover));
      int shown = 0;
      for (int m = 0; m < kSlotObjectsEnd - kSlotObjectsFirst; ++m) {
        TaskSlot& s = g_taskPool[kSlotObjectsFirst + m];
        const EffectData* e = s.inUse && s.id == kTaskIdEffect3D ? TaskData<EffectData>(&s) : nullptr;
        shown += e ? 1 : 0;
        if (m >= 4) continue;
        EXPECT_TRUE(i > 1 || !e || (e->angle == c.angles[m] && (c.gap == 0 || (e->x == -1.0f && e->z == 1.0f))));
        const bool hit = e && c.gap && e->shape == kMeshLargeSphere;
        EXPECT_TRUE(!hit || (e->x == 2 * m - 7 && e->z == -5.0f && TaskExists(kTaskIdDamageDigits))) << m;
        ended[m] = !e && !ended[m] ? i : ended[m];
      }
      made = std::max(made, shown);
    }
    EXPECT_EQ(i - 1, c.doneOn);
    EXPECT_TRUE(made == c.made && chimed == (c.after < 0 ? 1 : 0)) << made;
    for (int m = 1; m < c.made; ++m) EXPECT_EQ(ended[m] - ended[m - 1], c.gap) << m;
    for (const CharacterRecord& r : g_party) {
      EXPECT_TRUE(r.hp == (c.after < 0 ? r.maxHp : c.after) && r.mp == (c.after < 0 ? r.maxMp : 0));
    }
  }
}

}  // namespace

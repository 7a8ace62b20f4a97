// A whole battle that plays itself: the party under auto-battle against the boss, every
// decision type at work, through the real task pool to the closing lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "battle/battle_support.h"
#include "battle/messages.h"
#include "engine/settings.h"

namespace {

class AutoBattleTest : public test::BattleWorld {
 protected:
  // Everything the units, the cursor and the effects hold: a stalled battle keeps it.
  static uint64_t WorldHash() {
    uint64_t h = 1469598103934665603ull;
    for (int i = kSlotObjectsFirst; i < kSlotObjectsEnd; ++i) {
      const TaskSlot& s = g_taskPool[i];
      if (!s.inUse) continue;
      for (int b = 0; b < 256; ++b) h = (h ^ s.data[b]) * 1099511628211ull;
    }
    return h;
  }
};

// Seeded, the battle never stalls: the boss casts, heals and summons, the party's
// fighters walk and strike and its casters heal and cast, until the boss's side is gone;
// nothing stands still for 300 updates on end.
TEST_F(AutoBattleTest, ASeededAutoBattleAgainstTheBossRunsToItsEnd) {
  RandomSeed(7);
  g_settings.autoBattle = 1;
  for (CharacterRecord& r : g_party) {  // a party that lasts long enough to see it all
    r.maxHp = r.hp = 400;
    r.magicDefence = 100;
    r.level = 30;
  }
  EventBattleOrder order{1, {{test::kWitchMonsterId, 3, 2}}};  // far enough to stand alone
  ASSERT_EQ(BattleStartEvent(&order), 1);
  size_t most = 0;
  int frames = 0, still = 0, bossHp = 0;
  uint64_t last = 0;
  bool bossHealed = false;
  while (test::Battle() && still < 300) {
    const BattleStep step = test::Battle()->step;
    if (step == BattleIntroWaitKey || step == BattleOutroWaitKey) {
      TapKey(kKeyEnter, 0);
    } else {
      Updates(1);
    }
    ++frames;
    for (const UnitData* u : test::Units(1)) {
      if (u->record.id != test::kWitchMonsterId) continue;
      bossHealed = bossHealed || (bossHp > 0 && u->record.hp > bossHp);
      bossHp = u->record.hp;
    }
    most = std::max(most, test::Units().size());
    const uint64_t h = WorldHash();
    still = h == last ? still + 1 : 0;
    last = h;
  }
  EXPECT_EQ(test::Battle(), nullptr) << "stalled at update " << frames;
  EXPECT_EQ(most, 9u) << "the boss, four summons (a member stands on the fifth cell) and the party";
  EXPECT_TRUE(bossHealed);
  EXPECT_EQ(g_party[1].level, 31) << "the victory's experience";
}

}  // namespace

#include "battle/results.h"

#include <cstring>

#include "battle/messages.h"
#include "data/game_state.h"
#include "data/money.h"
#include "engine/sound.h"
#include "engine/util.h"

namespace {

constexpr char kTextMoneyAnd[] = "\x82\xcc\x82\xa8\x8b\xe0\x82\xc6";                            // のお金と
constexpr char kTextExperience[] = "\x82\xcc\x8c\x6f\x8c\xb1\x92\x6c\x82\xf0\x93\xbe\x82\xbd";  // の経験値を得た
constexpr char kTextLevelOf[] = "\x82\xcc\x83\x8c\x83\x78\x83\x8b\x82\xaa";                     // のレベルが
constexpr char kTextBecame[] = "\x82\xc9\x82\xc8\x82\xc1\x82\xbd";                              // になった

// A draw below `chance` in a hundred.
int32_t Chance(int32_t chance) { return RandomBelow(100) < chance ? 1 : 0; }

int PartyRows() { return g_partyCount < 0 ? 0 : (g_partyCount > kPartyRows ? kPartyRows : g_partyCount); }

}  // namespace

// Summed wide: the enemies' rewards together never overflow, whatever their records hold.
void BattleSumRewards(int32_t* gold, int32_t* experience) {
  int64_t goldSum = 0, experienceSum = 0;
  ForEachUnit([&](const UnitData* u) {
    if (u->record.side != 1) return;
    goldSum += u->record.money;
    experienceSum += u->record.experience;
  });
  *gold = SaturateToInt32(goldSum);
  *experience = SaturateToInt32(experienceSum);
}

void BattleAddRewards(BattleData* battle) {
  MoneyAdd(battle->gold);
  char line[kBattleLineBytes + 1] = {};
  AppendWideNumber(line, battle->gold);
  BattleTextAppend(line, kTextMoneyAnd);
  AppendWideNumber(line, battle->experience);
  BattleTextAppend(line, kTextExperience);
  BattleQueueMessage(battle, line);
  BattleGiveExperience(battle);
}

// Every party-side unit gets the whole amount; it is not shared out.
void BattleGiveExperience(BattleData* battle) {
  ForEachUnit([&](UnitData* u) {
    if (u->record.side == 0) UnitGainExperience(battle, u, battle->experience);
  });
}

// At most one level a battle: whatever lies beyond the hundred is lost.
void UnitGainExperience(BattleData* battle, UnitData* unit, int32_t amount) {
  CharacterRecord& r = unit->record;
  r.experience = SaturateToInt32(int64_t{r.experience} + amount);
  if (r.experience < kExperiencePerLevel) return;
  r.experience = 0;
  if (r.level < kLevelMax) ++r.level;
  UnitLevelUpGrowth(unit);
  SoundRequest(kSoundLevelUp, 0);
  char line[kBattleLineBytes + 1] = {};
  BattleTextAppend(line, r.name);
  BattleTextAppend(line, kTextLevelOf);
  AppendWideNumber(line, r.level);
  BattleTextAppend(line, kTextBecame);
  BattleQueueMessage(battle, line);
}

void UnitLevelUpGrowth(UnitData* unit) {
  CharacterRecord& r = unit->record;
  for (const AbilityGain& g : LevelUpGains(r.characterClass)) {
    int32_t& value = r.*kAbilityFields[g.ability];
    const int32_t gain = g.chance > 0 ? Chance(g.chance) : g.base + (g.spread > 0 ? RandomBelow(g.spread) : 0);
    // A growth never carries a value past what an int32 holds, whatever it held before.
    value = SaturateToInt32(int64_t{value} + gain);
  }
  for (int a = 0; a < kAbilityCount; ++a) {
    int32_t& value = r.*kAbilityFields[a];
    if (value > kAbilityCaps[a]) value = kAbilityCaps[a];
  }
  r.hp = r.maxHp;
  if (r.characterClass == kClassCaster) r.mp = r.maxMp;
}

void BattleStoreUnitsToParty() {
  ForEachUnit([](const UnitData* u) { UnitStoreToParty(u); });
}

// Familiars have no row of their own and are never written back.
void UnitStoreToParty(const UnitData* unit) {
  const CharacterRecord& r = unit->record;
  if (r.side != 0 || (r.characterClass != kClassFighter && r.characterClass != kClassCaster)) return;
  for (int i = 0; i < PartyRows(); ++i) {
    // An emptied place reads id 0, the heroine's: it is nobody's row.
    if (g_party[i].id != r.id || !PartyMemberPresent(i)) continue;
    std::memcpy(&g_party[i], &r, sizeof r);
    return;
  }
}

void PartyMarkFallen(const UnitData* unit) {
  for (int i = 0; i < PartyRows(); ++i) {
    if (g_party[i].id != unit->record.id || !PartyMemberPresent(i)) continue;
    g_party[i].hp = 1;
    g_party[i].mp = 0;
    g_party[i].experience = 0;
  }
}

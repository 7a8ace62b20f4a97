#include "data/game_state.h"

#include <cstring>

GameState g_game;

void GameStateReset() {
  std::memset(&g_game, 0, sizeof g_game);
  g_mapNumber = 0;
  g_money = 0;
  EventFlagsClear();
  PartyInit();
  InventoryInit();
  g_encounterArea = 0;
  g_encounterInterval = kNewGameEncounterInterval;
  g_encounterCountdown = kNewGameEncounterInterval;
}

void PartyInit() {
  g_partyCount = kPartyRows;
  g_enemyCount = 0;
  g_familiarCount = 4;
  std::memset(g_party, 0, sizeof g_party);
  std::memset(g_partyReserve, 0, sizeof g_partyReserve);
  std::memset(g_familiars, 0, sizeof g_familiars);
  for (int i = 0; i < g_partyCount; ++i) g_party[i] = g_characterTable[i];
}

bool CharacterRecordEmpty(const CharacterRecord& record) {
  static const CharacterRecord kEmpty{};
  return std::memcmp(&record, &kEmpty, sizeof record) == 0;
}

bool PartyMemberPresent(int32_t member) {
  return member >= 0 && member < g_partyCount && member < kPartyRows && !CharacterRecordEmpty(g_party[member]);
}

void EventFlagsClear() {
  for (int32_t& f : g_eventFlags) f = 0;
}

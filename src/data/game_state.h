// The one game state: everything a game in progress is, in one record with one reset.
// New game and start-up both reset it through GameStateReset, the save file is a dump
// of most of it, and the shared names the rest of the game uses (g_party, g_money...)
// are views of its fields.
#pragma once

#include <cstdint>

#include "data/characters.h"
#include "data/items.h"

constexpr int kEventFlagCount = 100;
constexpr int32_t kNewGameEncounterInterval = 30;  // steps before the first random battle

struct GameState {
  int32_t mapNumber;
  int32_t money;                        // 0 to kMoneyMax
  int32_t eventFlags[kEventFlagCount];  // set and tested by scripts
  int32_t partyCount;
  CharacterRecord party[kPartyRows];
  CharacterRecord partyReserve[kPartyRows];
  InventorySlot inventory[kInventorySlots];
  int32_t familiarCount;
  CharacterRecord familiars[kPartyRows];
  int32_t enemyCount;          // enemies of the running battle
  int32_t encounterArea;       // 0: no random battles; n: row n - 1 of the encounter table
  int32_t encounterInterval;   // steps between random battles
  int32_t encounterCountdown;  // steps left before the next one
};

extern GameState g_game;

// Map 0, no money, every flag clear, the party and inventory of a fresh game, no
// reserve, familiars or enemies, and the first encounter interval.
void GameStateReset();

inline int32_t& g_mapNumber = g_game.mapNumber;
inline int32_t& g_money = g_game.money;
inline int32_t (&g_eventFlags)[kEventFlagCount] = g_game.eventFlags;
inline int32_t& g_partyCount = g_game.partyCount;
inline CharacterRecord (&g_party)[kPartyRows] = g_game.party;
inline CharacterRecord (&g_partyReserve)[kPartyRows] = g_game.partyReserve;
inline InventorySlot (&g_inventory)[kInventorySlots] = g_game.inventory;
inline int32_t& g_familiarCount = g_game.familiarCount;
inline CharacterRecord (&g_familiars)[kPartyRows] = g_game.familiars;
inline int32_t& g_enemyCount = g_game.enemyCount;
inline int32_t& g_encounterArea = g_game.encounterArea;
inline int32_t& g_encounterInterval = g_game.encounterInterval;
inline int32_t& g_encounterCountdown = g_game.encounterCountdown;

// An emptied record: all zero. A place of the party emptied for the reserve holds one
// and is nobody: no walker, unit or write-back stands for it.
bool CharacterRecordEmpty(const CharacterRecord& record);
// A member of the party: below the party count, and not a place emptied for the reserve.
bool PartyMemberPresent(int32_t member);

// The party of a fresh game: the first four rows of the table as members, the reserve
// and the familiars empty, and no enemies.
void PartyInit();
void EventFlagsClear();

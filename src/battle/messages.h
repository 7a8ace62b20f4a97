// The battle's message window: three lines of text at the bottom of the screen, paged
// with Enter or Z, fed from a queue of ten lines filled while the battle sets up or ends.
#pragma once

#include <cstdint>

#include "battle/battle.h"

constexpr int kMonsterKinds = 13;

struct MonsterCount {
  int32_t kind;
  int32_t count;
};

// 1, or 0 when the ten queue lines are taken (the text is then dropped).
int BattleQueueMessage(BattleData* battle, const char* text);
void BattleClearMessages(BattleData* battle);
void BattleClearLines(BattleData* battle);
void BattleClearQueue(BattleData* battle);
int BattleQueueHasLines(const BattleData* battle);
void BattleShowQueuedLines(BattleData* battle);
int BattleShowLine(BattleData* battle, const char* text);
// The length of a line's text in bytes, counting at most 47.
int BattleTextLength(const char* text);
// Appends text at the destination's first NUL; nothing is written past its 46 bytes and
// no character is cut in half.
void BattleTextAppend(char* destination, const char* text);
// The full-width digits of n (0 to 99,999), within the 46 bytes.
void AppendWideNumber(char* destination, int32_t n);
void DigitToWide(char* destination, char c);

void MonsterCountsInit(MonsterCount counts[kMonsterKinds]);
void MonsterCountsAdd(MonsterCount counts[kMonsterKinds], const int32_t* ids, int count);
void BattleQueueAppearedLines(BattleData* battle, const MonsterCount counts[kMonsterKinds]);

void BattleIntroStep(BattleData* battle);
void BattleIntroWaitKey(BattleData* battle);
void BattleOutroStep(BattleData* battle);
void BattleOutroWaitKey(BattleData* battle);
void DrawBattleMessage(const BattleData* battle);

#include "battle/messages.h"

#include <cstdio>
#include <cstring>

#include "battle/cursor.h"
#include "data/characters.h"
#include "engine/atlas.h"
#include "engine/draw2d.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/sound.h"

namespace {

constexpr char kTextGa[] = "\x82\xaa";                                    // が
constexpr char kTextAppearedMany[] = "\x91\xcc\x8c\xbb\x82\xea\x82\xbd";  // 体現れた
constexpr char kTextAppeared[] = "\x8c\xbb\x82\xea\x82\xbd";              // 現れた
constexpr float kWindowY = 384.0f;
constexpr float kFirstLineY = 392.0f;
constexpr float kLinePitch = 28.0f;
constexpr float kTextInset = 16.0f;
constexpr uint32_t kWindowColour = 0x64FFFFFF;

bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

void PageStep(BattleData* battle, BattleStep wait, BattleStep done) {
  if (BattleQueueHasLines(battle)) {
    BattleShowQueuedLines(battle);
    battle->step = wait;
  } else {
    done(battle);
  }
}

void WaitKey(BattleData* battle, BattleStep back) {
  if (!KeyConfirmPressed()) return;
  BattleClearLines(battle);
  battle->step = back;
  SoundRequest(kSoundCursor, 0);
}

void IntroDone(BattleData* battle) {
  battle->step = BattleMainStep;
  PhaseBannerStart(PhaseOpeningBanner());
}

void OutroDone(BattleData* battle) {
  BattleEnd(battle);
  battle->live = 0;
}

}  // namespace

int BattleTextLength(const char* text) {
  int n = 0;
  while (n < kBattleLineBytes + 1 && text[n] != '\0') ++n;
  return n;
}

void BattleTextAppend(char* destination, const char* text) {
  int at = 0;
  while (at < kBattleLineBytes && destination[at] != '\0') ++at;
  int n = BattleTextLength(text);
  if (n > kBattleLineBytes - at) n = kBattleLineBytes - at;
  // A character's lead byte without its second byte would mislead the glyph lookup.
  int whole = 0;
  while (whole < n) {
    const int width = IsLeadByte(static_cast<unsigned char>(text[whole])) ? 2 : 1;
    if (whole + width > n) break;
    whole += width;
  }
  std::memcpy(destination + at, text, static_cast<size_t>(whole));
}

void DigitToWide(char* destination, char c) {
  if (c < '0' || c > '9') return;
  const char wide[3] = {'\x82', static_cast<char>(0x4F + (c - '0')), '\0'};
  BattleTextAppend(destination, wide);
}

void AppendWideNumber(char* destination, int32_t n) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", n);
  for (const char* p = text; *p; ++p) DigitToWide(destination, *p);
}

int BattleQueueMessage(BattleData* battle, const char* text) {
  for (char* line : battle->queue) {
    if (line[0] != '\0') continue;
    BattleTextAppend(line, text);
    return 1;
  }
  return 0;
}

void BattleClearLines(BattleData* battle) { std::memset(battle->shownLines, 0, sizeof battle->shownLines); }

void BattleClearQueue(BattleData* battle) { std::memset(battle->queue, 0, sizeof battle->queue); }

void BattleClearMessages(BattleData* battle) {
  BattleClearLines(battle);
  BattleClearQueue(battle);
}

int BattleQueueHasLines(const BattleData* battle) {
  for (const char* line : battle->queue) {
    if (line[0] != '\0') return 1;
  }
  return 0;
}

int BattleShowLine(BattleData* battle, const char* text) {
  for (int32_t* row : battle->shownLines) {
    if (row[0] != 0) continue;
    char line[kBattleLineBytes + 1] = {};
    BattleTextAppend(line, text);
    TextToGlyphs(row, line);
    return 1;
  }
  return 0;
}

// Lines that do not fit stay queued in their places for the next page.
void BattleShowQueuedLines(BattleData* battle) {
  for (char* line : battle->queue) {
    if (line[0] == '\0') continue;
    char text[kBattleLineBytes + 1] = {};
    std::memcpy(text, line, kBattleLineBytes);
    if (BattleShowLine(battle, text)) std::memset(line, 0, kBattleLineBytes);
  }
}

void MonsterCountsInit(MonsterCount counts[kMonsterKinds]) {
  for (int i = 0; i < kMonsterKinds; ++i) counts[i] = {i, 0};
}

void MonsterCountsAdd(MonsterCount counts[kMonsterKinds], const int32_t* ids, int count) {
  for (int i = 0; i < count; ++i) {
    if (ids[i] >= 0 && ids[i] < kMonsterKinds) ++counts[ids[i]].count;
  }
}

void BattleQueueAppearedLines(BattleData* battle, const MonsterCount counts[kMonsterKinds]) {
  for (int i = 0; i < kMonsterKinds; ++i) {
    if (counts[i].count <= 0) continue;
    const int kind = counts[i].kind >= 0 && counts[i].kind < kMonsterKinds ? counts[i].kind : 0;
    char line[kBattleLineBytes + 1] = {};
    BattleTextAppend(line, g_characterTable[kMonsterRowOffset + kind].name);
    BattleTextAppend(line, kTextGa);
    if (counts[i].count >= 2) {
      AppendWideNumber(line, counts[i].count);
      BattleTextAppend(line, kTextAppearedMany);
    } else {
      BattleTextAppend(line, kTextAppeared);
    }
    BattleQueueMessage(battle, line);
  }
}

void BattleIntroStep(BattleData* battle) { PageStep(battle, BattleIntroWaitKey, IntroDone); }

void BattleIntroWaitKey(BattleData* battle) { WaitKey(battle, BattleIntroStep); }

void BattleOutroStep(BattleData* battle) { PageStep(battle, BattleOutroWaitKey, OutroDone); }

void BattleOutroWaitKey(BattleData* battle) { WaitKey(battle, BattleOutroStep); }

void DrawBattleMessage(const BattleData* battle) {
  const float left = DrawWindowCentred(kWindowY, kAtlasBattleMessageWindow, kAtlasSize, kAtlasSize, kWindowColour,
                                       g_atlasTexture.get());
  for (int k = 0; k < kBattleShownLines; ++k) {
    DrawGlyphRow(left + kTextInset, kFirstLineY + kLinePitch * static_cast<float>(k), battle->shownLines[k],
                 kGlyphRowLength);
  }
}

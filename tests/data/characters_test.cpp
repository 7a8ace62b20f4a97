#include "data/characters.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "data/game_state.h"
#include "engine/atlas.h"
#include "platform/text_encoding.h"

namespace {

// Field offsets the save file depends on.
static_assert(offsetof(CharacterRecord, weapon) == 72);
static_assert(offsetof(CharacterRecord, decision) == 80);
static_assert(offsetof(CharacterRecord, money) == 144);
static_assert(offsetof(CharacterRecord, spare) == 148);

const char* const kNames[kCharacterRows] = {
    "ミルヴァ", "ヨルン", "ミネルバ",   "ジータ", "黒トラ",     "コウモリ", "ワーウルフ", "角兎", "ドラゴン",
    "大蜘蛛",   "精霊",   "パンプキン", "オーク", "エビルアイ", "デーモン", "ヴァンプ",   "魔女",
};

TEST(EncounterTableTest, RandomBattlesNeverDrawTheBoss) {
  for (const auto& area : g_encounterTable) {
    for (int32_t id : area) {
      EXPECT_GE(id, 0);
      EXPECT_LT(id, kBossMonsterId);
    }
  }
  const int32_t fourth[4] = {4, 0, 7, 2};
  EXPECT_EQ(std::memcmp(g_encounterTable[3], fourth, sizeof fourth), 0);
}

}  // namespace

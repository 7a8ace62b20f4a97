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

TEST(CharacterTableTest, NamesAreShiftJisWithinTheirFortyBytes) {
  for (int row = 0; row < kCharacterRows; ++row) {
    SCOPED_TRACE(row);
    const CharacterRecord& c = g_characterTable[row];
    const size_t length = strnlen(c.name, sizeof c.name);
    ASSERT_LT(length, sizeof c.name) << "terminated inside the field";
    const std::string name = plat::SjisToUtf8(std::string(c.name, length));
    if (row == kCharacterRows - 1) {
      EXPECT_EQ(name.rfind(kNames[row], 0), 0u) << name;
      EXPECT_GT(name.size(), std::strlen(kNames[row])) << "the witch has a name of her own";
    } else {
      EXPECT_EQ(name, kNames[row]);
    }
  }
}

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

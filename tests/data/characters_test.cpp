#include "data/characters.h"

#include <gtest/gtest.h>

namespace {

TEST(EncounterTableTest, RandomBattlesNeverDrawTheBoss) {
  for (const auto& area : g_encounterTable) {
    for (int32_t id : area) {
      EXPECT_GE(id, 0);
      EXPECT_LT(id, 12) << "the witch";
    }
  }
}

}  // namespace

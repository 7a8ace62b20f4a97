#include "data/items.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <tuple>
#include <utility>

#include "data/game_state.h"
#include "data/money.h"
#include "data/tasks.h"
#include "engine/sound.h"
#include "field/item_use.h"

namespace {

constexpr InventorySlot kEmpty = {kItemEmpty, 0};

void ExpectSlot(int slot, int32_t id, int32_t count) {
  EXPECT_EQ(std::pair(g_inventory[slot].id, g_inventory[slot].count), std::pair(id, count)) << "slot " << slot;
}

void FillInventory(int32_t id) {
  for (InventorySlot& s : g_inventory) s = {id, kStackMax};
}

bool SameInventory(const InventorySlot (&a)[kInventorySlots]) { return std::memcmp(a, g_inventory, sizeof a) == 0; }

class InventoryTest : public ::testing::Test {
 protected:
  void SetUp() override { InventoryInit(); }
};

TEST_F(InventoryTest, ItemIdsOutsideTheTableAreRefused) {
  InventorySlot before[kInventorySlots];
  std::memcpy(before, g_inventory, sizeof before);
  for (int32_t id : {-1, kItemCount, kItemEmpty, INT_MIN}) {
    EXPECT_EQ(InventoryFindSlot(id), -1);
    EXPECT_EQ(InventoryCanAdd(id, 1), 0);
    InventorySlotAddOne(4, id);
    InventoryAdd(id, 3);
    InventoryAddOne(id);
    ItemUseSpecial(id);
  }
  EXPECT_TRUE(SameInventory(before));
  CharacterRecord member{};
  member.hp = 10;
  member.maxHp = 500;
  ItemHealHp(&member, kItemCount);
  ItemHealMp(&member, -1);
  EXPECT_EQ(member.hp, 10);
  for (const SoundRequestEntry& r : g_soundRequests) EXPECT_EQ(r.requested, 0);
}

// The room left in its stack and the free slots, beyond one stack's worth too; Add then
// fills the stack before the free slot.
TEST_F(InventoryTest, CanAddCountsTheRoomLeft) {
  FillInventory(2);
  g_inventory[0] = {13, 50};
  EXPECT_EQ(InventoryCanAdd(13, 49), 1);
  EXPECT_EQ(InventoryCanAdd(13, 50), 0);
  EXPECT_EQ(InventoryCanAdd(17, 1), 0);
  g_inventory[79] = kEmpty;
  EXPECT_EQ(InventoryCanAdd(13, 148), 1);
  EXPECT_EQ(InventoryCanAdd(13, 149), 0);
  InventoryAdd(13, 148);
  ExpectSlot(0, 13, 99);
  ExpectSlot(79, 13, 99);
}

class ItemUseTest : public InventoryTest {
 protected:
  CharacterRecord Member(int32_t characterClass) {
    CharacterRecord m{};
    m.characterClass = characterClass;
    m.hp = 50;
    m.maxHp = 120;
    m.mp = 10;
    m.maxMp = 150;
    m.status = kStatusPoison | kStatusCannotAct;
    return m;
  }
  bool Requested(int id) const { return g_soundRequests[id].requested == 1; }
};

// Healing stops at the maximum, magic reaches casters only, cures clear their own bit;
// every one of them sounds, even with nothing to do. Other items do nothing.
TEST_F(ItemUseTest, EachItemWorksOnItsOwnPartOfTheMember) {
  const int32_t both = kStatusPoison | kStatusCannotAct;
  const struct {
    int32_t item, characterClass, hp, mp, status;
    bool sound;
  } cases[] = {
      {13, kClassFighter, 120, 10, both, true},         {14, kClassFighter, 120, 10, both, true},
      {15, kClassFighter, 50, 10, both, true},          {15, kClassCaster, 50, 110, both, true},
      {16, kClassCaster, 50, 150, both, true},          {17, kClassFighter, 50, 10, kStatusCannotAct, true},
      {18, kClassFighter, 50, 10, kStatusPoison, true}, {1, kClassCaster, 50, 10, both, false},
      {19, kClassCaster, 50, 10, both, false},          {kItemCount, kClassCaster, 50, 10, both, false},
      {kItemEmpty, kClassCaster, 50, 10, both, false},
  };
  for (const auto& c : cases) {
    CharacterRecord m = Member(c.characterClass);
    SoundRequestsClear();
    ItemApplyToMember(&m, c.item);
    EXPECT_EQ(std::tuple(m.hp, m.mp, m.status, Requested(kSoundRecover)), std::tuple(c.hp, c.mp, c.status, c.sound))
        << c.item;
  }
  CharacterRecord huge = Member(kClassFighter);
  huge.hp = 1;
  huge.maxHp = INT32_MAX;
  ItemHealHp(&huge, 14);
  EXPECT_EQ(huge.hp, 301);
}

TEST(MoneyTest, StaysWithinZeroAndTheCap) {
  const struct {
    int32_t start, add, spend, end;
  } cases[] = {{kMoneyMax - 1, 5, 0, kMoneyMax}, {300, INT32_MAX, 0, kMoneyMax}, {300, 0, 500, 0}, {300, 0, 300, 0},
               {300, 0, INT32_MIN, kMoneyMax},   {300, INT32_MIN, 0, 0}};
  for (const auto& c : cases) {
    g_money = c.start;
    MoneyAdd(c.add);
    MoneySpend(c.spend);
    EXPECT_EQ(g_money, c.end) << c.start << " + " << c.add << " - " << c.spend;
  }
}

}  // namespace

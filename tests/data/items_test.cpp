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
#include "engine/task.h"
#include "field/encounter.h"
#include "field/item_use.h"

namespace {

constexpr InventorySlot kEmpty = {kItemEmpty, 0};

void ExpectSlot(int slot, int32_t id, int32_t count) {
  EXPECT_EQ(std::pair(g_inventory[slot].id, g_inventory[slot].count), std::pair(id, count)) << "slot " << slot;
}

void FillInventory(int32_t id) {
  for (InventorySlot& s : g_inventory) s = {id, kStackMax};
}

void ClearInventory() {
  for (InventorySlot& s : g_inventory) s = kEmpty;
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

TEST_F(InventoryTest, NewInventoryHoldsTheStartingFour) {
  ExpectSlot(0, 13, 4);
  ExpectSlot(1, 15, 4);
  ExpectSlot(2, 1, 1);
  ExpectSlot(3, 3, 1);
  for (int i = 4; i < kInventorySlots; ++i) ExpectSlot(i, kItemEmpty, 0);
}

TEST_F(InventoryTest, ConsumingTheLastOneEmptiesTheSlotInPlace) {
  InventoryConsume(0);
  ExpectSlot(0, 13, 3);
  InventoryConsume(2);
  ExpectSlot(2, kItemEmpty, 0);
  ExpectSlot(3, 3, 1);  // nothing closes up
  ExpectSlot(1, 15, 4);
  InventoryClearSlot(1);
  ExpectSlot(1, kItemEmpty, 0);
}

TEST_F(InventoryTest, SlotIndicesOutsideTheInventoryDoNothing) {
  InventorySlot before[kInventorySlots];
  std::memcpy(before, g_inventory, sizeof before);
  for (int slot : {-1, kInventorySlots, INT_MIN, INT_MAX}) {
    InventoryConsume(slot);
    InventoryClearSlot(slot);
    InventorySlotAddOne(slot, 13);
    EXPECT_EQ(InventoryTopUpSlot(slot, 5), 5);
  }
  EXPECT_TRUE(SameInventory(before));
}

TEST_F(InventoryTest, FindSlotPrefersAStackWithRoomThenTheFirstEmptySlot) {
  g_inventory[1] = kEmpty;
  g_inventory[5] = {13, 50};
  EXPECT_EQ(InventoryFindSlot(13), 0);  // the earliest stack with room
  g_inventory[0] = {13, 99};
  EXPECT_EQ(InventoryFindSlot(13), 5);
  g_inventory[5] = {13, 99};
  EXPECT_EQ(InventoryFindSlot(13), 1);  // only full stacks: the first empty slot
  FillInventory(13);
  EXPECT_EQ(InventoryFindSlot(13), -1);
  g_inventory[70] = {13, 98};
  EXPECT_EQ(InventoryFindSlot(13), 70);
}

TEST_F(InventoryTest, AddOneToASlotOnlyWhenItFits) {
  InventorySlotAddOne(4, 17);
  ExpectSlot(4, 17, 1);
  InventorySlotAddOne(4, 17);
  ExpectSlot(4, 17, 2);
  InventorySlotAddOne(0, 17);  // another item's slot
  ExpectSlot(0, 13, 4);
  g_inventory[4].count = kStackMax;
  InventorySlotAddOne(4, 17);
  ExpectSlot(4, 17, kStackMax);

  InventoryAddOne(17);  // the full stack is passed over
  ExpectSlot(5, 17, 1);
  InventoryAddOne(13);
  ExpectSlot(0, 13, 5);
  FillInventory(2);
  InventoryAddOne(17);
  for (int i = 0; i < kInventorySlots; ++i) ExpectSlot(i, 2, kStackMax);
}

TEST_F(InventoryTest, SortOrdersByIdAndKeepsStacksApart) {
  ClearInventory();
  g_inventory[0] = {15, 3};
  g_inventory[2] = {1, 1};
  g_inventory[3] = {15, 7};
  g_inventory[79] = {0, 2};
  InventorySort();
  ExpectSlot(0, 0, 2);
  ExpectSlot(1, 1, 1);
  ExpectSlot(2, 15, 3);
  ExpectSlot(3, 15, 7);
  for (int i = 4; i < kInventorySlots; ++i) ExpectSlot(i, kItemEmpty, 0);
}

TEST_F(InventoryTest, SortCarriesTheLastSlotAllTheWayToTheFront) {
  // Reversed ids need every one of the passes.
  for (int i = 0; i < kInventorySlots; ++i) g_inventory[i] = {kInventorySlots - 1 - i, i + 1};
  InventorySort();
  for (int i = 0; i < kInventorySlots; ++i) ExpectSlot(i, i, kInventorySlots - i);
}

TEST_F(InventoryTest, AddFillsStacksToNinetyNineThenAnEmptySlot) {
  g_inventory[1] = {15, 50};
  g_inventory[6] = {15, 90};
  InventoryAdd(15, 60);
  ExpectSlot(1, 15, 99);
  ExpectSlot(6, 15, 99);
  ExpectSlot(4, 15, 2);  // 49 + 9 went into the stacks
  ExpectSlot(5, kItemEmpty, 0);
  InventoryAdd(15, 0);
  InventoryAdd(15, -3);
  ExpectSlot(4, 15, 2);
  ExpectSlot(5, kItemEmpty, 0);
}

TEST_F(InventoryTest, BuyingNinetyNineOntoAHalfStackSplitsIt) {
  ClearInventory();
  for (int i = 0; i < kInventorySlots; ++i) g_inventory[i] = {2, kStackMax};
  g_inventory[10] = {13, 50};
  g_inventory[40] = kEmpty;
  ASSERT_EQ(InventoryCanAdd(13, 99), 1);
  InventoryAdd(13, 99);
  ExpectSlot(10, 13, 99);
  ExpectSlot(40, 13, 50);
}

TEST_F(InventoryTest, AddNeverPutsMoreThanAStackInOneSlot) {
  ClearInventory();
  InventoryAdd(14, 250);
  ExpectSlot(0, 14, 99);
  ExpectSlot(1, 14, 99);
  ExpectSlot(2, 14, 52);
}

TEST_F(ItemUseTest, HealingStopsAtTheMaximumAndAlwaysSounds) {
  CharacterRecord m = Member(kClassFighter);
  ItemApplyToMember(&m, 13);
  EXPECT_EQ(m.hp, 120);
  EXPECT_TRUE(Requested(kSoundRecover));
  SoundRequestsClear();
  ItemApplyToMember(&m, 14);  // already full
  EXPECT_EQ(m.hp, 120);
  EXPECT_TRUE(Requested(kSoundRecover));
  m.hp = 1;
  m.maxHp = INT32_MAX;
  ItemHealHp(&m, 14);
  EXPECT_EQ(m.hp, 301);
}

TEST_F(ItemUseTest, MagicItemsRestoreOnlyCastersButAlwaysSound) {
  CharacterRecord fighter = Member(kClassFighter);
  ItemApplyToMember(&fighter, 15);
  EXPECT_EQ(fighter.mp, 10);
  EXPECT_TRUE(Requested(kSoundRecover));
  CharacterRecord caster = Member(kClassCaster);
  ItemApplyToMember(&caster, 15);
  EXPECT_EQ(caster.mp, 110);
  ItemApplyToMember(&caster, 16);
  EXPECT_EQ(caster.mp, 150);
  EXPECT_EQ(caster.hp, 50);
}

TEST_F(ItemUseTest, CuresClearTheirOwnStatusBit) {
  CharacterRecord m = Member(kClassFighter);
  ItemApplyToMember(&m, 17);
  EXPECT_EQ(m.status, kStatusCannotAct);
  m.status = kStatusPoison | kStatusCannotAct;
  ItemApplyToMember(&m, 18);
  EXPECT_EQ(m.status, kStatusPoison);
  m.status = 0;
  SoundRequestsClear();
  ItemApplyToMember(&m, 17);  // nothing to cure: still taken, still sounds
  EXPECT_TRUE(Requested(kSoundRecover));
}

TEST_F(ItemUseTest, OtherItemsHaveNoEffectOnAMember) {
  const CharacterRecord untouched = Member(kClassCaster);
  for (int32_t id : {0, 1, 10, 12, 19, -1, 20, kItemEmpty}) {
    CharacterRecord m = untouched;
    ItemApplyToMember(&m, id);
    EXPECT_EQ(std::memcmp(&m, &untouched, sizeof m), 0) << id;
  }
  EXPECT_FALSE(Requested(kSoundRecover));
}

TEST_F(ItemUseTest, WardItemStartsTheWardForItsPowerOnlyForItsOwnId) {
  ASSERT_EQ(TaskPoolCreate(), 1);
  ItemUseSpecial(13);
  EXPECT_FALSE(Requested(kSoundWard));
  EXPECT_FALSE(TaskSlotInUse(kSlotEncounterWard));
  ItemUseSpecial(kItemWardBell);
  EXPECT_TRUE(Requested(kSoundWard));
  ASSERT_TRUE(TaskSlotInUse(kSlotEncounterWard));
  EXPECT_EQ(TaskData<EncounterWardData>(&g_taskPool[kSlotEncounterWard])->stepsLeft, 100);
  TaskPoolFree();
}

TEST(ItemTableTest, RowsAreTheirOwnIdsAndShareDescriptions) {
  for (int i = 0; i < kItemCount; ++i) EXPECT_EQ(g_itemTable[i].id, i);
  auto sameInfo = [](int a, int b) { return std::memcmp(&g_itemTable[a].infoRect, &g_itemTable[b].infoRect, 16) == 0; };
  EXPECT_TRUE(sameInfo(1, 2));
  EXPECT_TRUE(sameInfo(10, 11));
  EXPECT_TRUE(sameInfo(7, 8));
  EXPECT_TRUE(sameInfo(8, 9));
  EXPECT_FALSE(sameInfo(2, 3));
  EXPECT_FALSE(sameInfo(13, 14));
  for (int i = 4; i <= 6; ++i) {
    EXPECT_EQ(RectWidth(g_itemTable[i].nameRect), 0.0f);
    EXPECT_EQ(RectWidth(g_itemTable[i].infoRect), 0.0f);
  }
  for (int i : {1, 3, 7, 10, 12, 13, 19}) {
    EXPECT_GT(RectWidth(g_itemTable[i].nameRect), 0.0f);
    EXPECT_GT(RectWidth(g_itemTable[i].infoRect), 0.0f);
  }
}

}  // namespace

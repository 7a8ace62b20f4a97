// A loaded save is one the game could have made: every value of every party and reserve
// row within what play gives a member, and the walkers at rest on open cells of their
// map. Anything else is refused as a damaged file, and nothing of the running game
// changes; every file the game writes, and every file laid out as the save format says,
// still loads.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "data/flow.h"
#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/sound.h"
#include "field/walker.h"
#include "menu/save_file.h"
#include "menu/save_screen.h"
#include "menu/save_support.h"
#include "menu/title.h"
#include "platform/recording/audio_recording.h"
#include "support/field_world.h"
#include "support/sprites.h"

namespace {

using test::Bytes;
using Edit = std::function<void(Bytes&)>;

constexpr int kPartyCount = 4;
constexpr int kFighter = 1;  // Yorun's row
constexpr int kCaster = 0;   // Milva's row: she leads, so the header shows her level

// Row `row` of the records: the party's rows, then the reserve's.
size_t RowAt(int row) { return kSaveOffsetParty + sizeof(CharacterRecord) * static_cast<size_t>(row); }

// A record as a faithful writer stores it: its 152 bytes in field order, little-endian.
Bytes RecordBytes(const CharacterRecord& r) {
  static_assert(std::endian::native == std::endian::little);
  Bytes out(sizeof r);
  std::memcpy(out.data(), &r, sizeof r);
  return out;
}

CharacterRecord RecordIn(const Bytes& file, int row) {
  CharacterRecord r;
  std::memcpy(&r, file.data() + RowAt(row), sizeof r);
  return r;
}

// Row `row` edited; the header keeps the heroine's level, as the game writes it.
Edit Row(int row, std::function<void(CharacterRecord&)> change) {
  return [row, change](Bytes& file) {
    CharacterRecord r = RecordIn(file, row);
    change(r);
    const Bytes bytes = RecordBytes(r);
    std::copy(bytes.begin(), bytes.end(), file.begin() + static_cast<std::ptrdiff_t>(RowAt(row)));
    StoreU32(&file[kSaveOffsetLevel], static_cast<uint32_t>(RecordIn(file, 0).level));
  };
}

// The member as its table row has it at `level`, its abilities as given (the rest the
// row's), its hit and magic points full.
struct Grown {
  int32_t level, maxHp, maxMp, attack, defence, magic, magicDefence, hitTerm, growth1, growth2;
};
void Become(CharacterRecord& r, const Grown& g) {
  r.level = g.level;
  r.maxHp = r.hp = g.maxHp;
  r.maxMp = r.mp = g.maxMp;
  r.attack = g.attack, r.defence = g.defence, r.magic = g.magic, r.magicDefence = g.magicDefence;
  r.hitTerm = g.hitTerm, r.growth1 = g.growth1, r.growth2 = g.growth2;
}

// The least that one level-up gives Yorun (a fighter: attack +1 to 3, magic and defence
// +1, magic defence +0 or 1, hit points +1 to 5, hit term and growth stats +0 or 1), and
// the most. Milva and Yorun after so many level-ups that every ability stands at its cap
// (hit points and magic points 400, attack and magic 150, defences 100, hit term 20,
// growth stats 5); a fighter never gains magic points.
constexpr Grown kYorunOnceLeast = {21, 201, 0, 101, 31, 21, 15, 10, 0, 0};
constexpr Grown kYorunOnceMost = {21, 205, 0, 103, 31, 21, 16, 11, 1, 1};
constexpr Grown kMilvaCapped = {1000, 400, 400, 150, 100, 150, 100, 20, 5, 5};
constexpr Grown kYorunAtTheTop = {kLevelMax, 400, 0, 150, 100, 150, 15, 10, 0, 0};

Edit Member(int row, Grown g, std::function<void(CharacterRecord&)> then = nullptr) {
  return Row(row, [g, then](CharacterRecord& r) {
    Become(r, g);
    if (then) then(r);
  });
}

struct RecordCase {
  const char* what;
  Edit edit;
  bool loads;
};

// A 9 by 7 room, map 3, walled all round; the party stands on column 2, row 5.
class SaveRecordsTest : public test::FieldTest {
 protected:
  void SetUp() override {
    const std::vector<std::string> rows = {"#########", "#.......#", "#.......#", "###.....#",
                                           "#.......#", "#.......#", "#########"};
    Start(test::BuildMapPack({test::MapFromRows(rows, 0, 17)}));
    ASSERT_TRUE(field_->Enter(3, 2, 5));
    Game().Frames(1);
  }
  std::string File(int slot) { return field_->Dir() + "/" + SaveFileName(slot); }

  // Loads `file` from slot 1: true when it loaded and the game holds what it held.
  // A refusal must leave the game and the pool exactly as they were.
  bool Loads(const Bytes& file, const std::string& what) {
    EXPECT_TRUE(test::WriteFile(File(1), file));
    Bytes before(sizeof g_game);
    std::memcpy(before.data(), &g_game, sizeof g_game);
    const Bytes pool(reinterpret_cast<const uint8_t*>(g_taskPool),
                     reinterpret_cast<const uint8_t*>(g_taskPool + kTaskSlotCount));
    const SaveLoadResult result = SaveRead(1);
    if (result == kSaveLoadRefused) {
      EXPECT_EQ(std::memcmp(before.data(), &g_game, sizeof g_game), 0) << what << ": the game changed";
      EXPECT_EQ(std::memcmp(pool.data(), g_taskPool, pool.size()), 0) << what << ": the pool changed";
      EXPECT_EQ(test::SlotListed(1), 0) << what;
      return false;
    }
    EXPECT_EQ(result, kSaveLoadDone) << what;
    const int32_t n = ReadI32(&file[kSaveOffsetPartyCount]);
    EXPECT_EQ(g_partyCount, n) << what;
    for (int i = 0; i < n; ++i) {
      EXPECT_EQ(std::memcmp(&g_party[i], &file[RowAt(i)], sizeof(CharacterRecord)), 0) << what << i;
      EXPECT_EQ(std::memcmp(&g_partyReserve[i], &file[RowAt(n + i)], sizeof(CharacterRecord)), 0) << what << i;
    }
    EXPECT_EQ(test::SlotListed(1), 1) << what;
    return true;
  }
};

// Each value pushed one past what play can give it, and values at both ends of what it
// can give, through the loader.
TEST_F(SaveRecordsTest, EveryValueOfARowIsWithinWhatPlayGivesAMember) {
  const int milva = kCaster, yorun = kFighter, reserve1 = kPartyCount + 1;
  auto set = [](int row, std::function<void(CharacterRecord&)> change) { return Row(row, std::move(change)); };
  const RecordCase cases[] = {
      {"the game's own file", [](Bytes&) {}, true},
      // Level: from the row's (20) to the highest, the abilities within that many level-ups.
      {"level below the row's", set(milva, [](CharacterRecord& r) { r.level = 19; }), false},
      {"a level gained, nothing grown", set(yorun, [](CharacterRecord& r) { r.level = 21; }), false},
      {"a level with the least growth", Member(yorun, kYorunOnceLeast), true},
      {"a level with the most growth", Member(yorun, kYorunOnceMost), true},
      {"attack grown past a level's most", Member(yorun, kYorunOnceMost, [](CharacterRecord& r) { r.attack = 104; }),
       false},
      {"hit points grown past a level's most", Member(yorun, kYorunOnceMost, [](auto& r) { r.maxHp = r.hp = 206; }),
       false},
      {"magic defence grown by two", Member(yorun, kYorunOnceMost, [](auto& r) { r.magicDefence = 17; }), false},
      {"hit term grown by two", Member(yorun, kYorunOnceMost, [](auto& r) { r.hitTerm = 12; }), false},
      {"growth stat grown by two", Member(yorun, kYorunOnceMost, [](auto& r) { r.growth2 = 2; }), false},
      {"defence not grown with a level", Member(yorun, kYorunOnceLeast, [](auto& r) { r.defence = 30; }), false},
      {"a fighter with magic points", Member(yorun, kYorunAtTheTop, [](auto& r) { r.maxMp = r.mp = 1; }), false},
      {"every ability at its cap", Member(milva, kMilvaCapped), true},
      {"magic points past their cap", Member(milva, kMilvaCapped, [](auto& r) { r.maxMp = r.mp = 401; }), false},
      {"magic points short of the cap so many levels reach",
       Member(milva, kMilvaCapped, [](auto& r) { r.maxMp = r.mp = 399; }), false},
      {"hit term past its cap", Member(milva, kMilvaCapped, [](auto& r) { r.hitTerm = 21; }), false},
      {"the highest level", Member(yorun, kYorunAtTheTop), true},
      {"past the highest level", Member(yorun, kYorunAtTheTop, [](auto& r) { r.level = kLevelMax + 1; }), false},
      // Hit and magic points, experience, ailments.
      {"no hit points left", set(yorun, [](auto& r) { r.hp = 0; }), true},
      {"hit points below 0", set(yorun, [](auto& r) { r.hp = -1; }), false},
      {"hit points past the maximum", set(yorun, [](auto& r) { r.hp = r.maxHp + 1; }), false},
      {"no magic points left", set(milva, [](auto& r) { r.mp = 0; }), true},
      {"magic points below 0", set(milva, [](auto& r) { r.mp = -1; }), false},
      {"magic points past the maximum", set(milva, [](auto& r) { r.mp = r.maxMp + 1; }), false},
      {"experience a point short of a level", set(yorun, [](auto& r) { r.experience = 99; }), true},
      {"experience of a whole level", set(yorun, [](auto& r) { r.experience = 100; }), false},
      {"experience below 0", set(yorun, [](auto& r) { r.experience = -1; }), false},
      {"poisoned and unable to act", set(milva, [](auto& r) { r.status = kStatusPoison | kStatusCannotAct; }), true},
      {"an ailment no rule sets", set(milva, [](auto& r) { r.status = 4; }), false},
      // What no rule changes: the row's own.
      {"move one more", set(yorun, [](auto& r) { r.move = 6; }), false},
      {"move one less", set(yorun, [](auto& r) { r.move = 4; }), false},
      {"a familiar's class", set(yorun, [](auto& r) { r.characterClass = kClassFamiliar; }), false},
      {"a fighter turned caster", set(yorun, [](auto& r) { r.characterClass = kClassCaster; }), false},
      {"an id past the heroes", set(yorun, [](auto& r) { r.id = kPartyRows; }), false},
      {"an id below 0", set(yorun, [](auto& r) { r.id = -1; }), false},
      {"another hero's model", set(milva, [](auto& r) { r.model = g_characterTable[1].model; }), false},
      {"a model past the table", set(milva, [](auto& r) { r.model = kMeshCount; }), false},
      {"the enemy's side", set(yorun, [](auto& r) { r.side = 1; }), false},
      {"another way of deciding", set(yorun, [](auto& r) { r.decision = kDecisionBoss; }), false},
      {"a monster's money", set(yorun, [](auto& r) { r.money = 1; }), false},
      {"another spare number", set(milva, [](auto& r) { r.spare = 1; }), false},
      {"the name picture a pixel off", set(milva, [](auto& r) { r.namePicture.left += 1.0f; }), false},
      {"another hero's name", set(milva, [](auto& r) { std::memcpy(r.name, g_characterTable[2].name, 40); }), false},
      {"a name without its end", set(milva, [](auto& r) { std::memset(r.name, 'a', sizeof r.name); }), false},
      // Equipment: the row's, nothing, or what the class may wear.
      {"the better sword", set(yorun, [](auto& r) { r.weapon = 2; }), true},
      {"no weapon", set(yorun, [](auto& r) { r.weapon = kItemEmpty; }), true},
      {"a caster's staff on a fighter", set(yorun, [](auto& r) { r.weapon = 3; }), false},
      {"armour in the weapon's place", set(yorun, [](auto& r) { r.weapon = 10; }), false},
      {"a weapon past the table", set(yorun, [](auto& r) { r.weapon = kItemCount; }), false},
      {"a weapon below the table", set(yorun, [](auto& r) { r.weapon = -1; }), false},
      {"the better mail", set(yorun, [](auto& r) { r.armour = 11; }), true},
      {"a fighter's mail on a caster", set(milva, [](auto& r) { r.armour = 10; }), false},
      {"the empty item as armour", set(yorun, [](auto& r) { r.armour = 0; }), false},
      // Reserve rows and emptied places.
      {"a hero kept in the reserve", set(reserve1, [](auto& r) { r = g_characterTable[2]; }), true},
      {"a reserve hero with an unknown ailment", set(reserve1, [](auto& r) { r = g_characterTable[2], r.status = 8; }),
       false},
      {"a reserve row neither empty nor a hero", set(reserve1, [](auto& r) { r.spare = 5; }), false},
      {"a place a script emptied", set(2, [](auto& r) { r = CharacterRecord{}; }), true},
      // The header shows the heroine's level.
      {"a header level she does not have", [](Bytes& f) { StoreU32(&f[kSaveOffsetLevel], 21); }, false},
  };
  const Bytes good = SaveBuild();
  ASSERT_EQ(good.size(), SaveFileSize(kPartyCount, true));
  for (const RecordCase& c : cases) {
    Bytes file = good;
    c.edit(file);
    EXPECT_EQ(Loads(file, c.what), c.loads) << c.what;
  }
}

// Every word of every row with its top bit flipped, and the first byte of every name:
// the party rows are the game's own, the reserve rows empty.
TEST_F(SaveRecordsTest, AFlippedBitAnywhereInTheRowsIsRefused) {
  const Bytes good = SaveBuild();
  SaveContents save;
  ASSERT_TRUE(SaveParse(good.data(), good.size(), &save));
  int refused = 0, tried = 0;
  for (int row = 0; row < 2 * kPartyCount; ++row) {
    for (size_t at = 0; at < sizeof(CharacterRecord); at += 4) {
      const bool inName = at >= offsetof(CharacterRecord, name) && at < offsetof(CharacterRecord, experience);
      if (inName && at != offsetof(CharacterRecord, name)) continue;  // the bytes past a name's end are never read
      Bytes bad = good;
      bad[RowAt(row) + at + (inName ? 0 : 3)] ^= 0x80;
      ++tried;
      refused += SaveParse(bad.data(), bad.size(), &save) ? 0 : 1;
      EXPECT_FALSE(SaveParse(bad.data(), bad.size(), &save)) << "row " << row << " byte " << at;
    }
  }
  EXPECT_EQ(refused, tried);
}

// Files laid out exactly as the format says, by a writer of their own: one to four
// members, with and without the camera's word, load with what they hold.
TEST_F(SaveRecordsTest, FilesLaidOutAsTheFormatSaysLoad) {
  for (int32_t n = 1; n <= kPartyCount; ++n) {
    for (bool camera : {false, true}) {
      Bytes file;
      PutI32(file, 3);  // map
      PutI32(file, 20);
      PutI32(file, 1234);
      for (int flag = 0; flag < kEventFlagCount; ++flag) PutI32(file, flag * 7 - 50);
      PutI32(file, n);
      for (int i = 0; i < n; ++i) {
        CharacterRecord r = g_characterTable[i];
        r.hp -= 10 * i;
        const Bytes bytes = RecordBytes(r);
        file.insert(file.end(), bytes.begin(), bytes.end());
      }
      for (int i = 0; i < n; ++i) {
        const Bytes bytes = RecordBytes(CharacterRecord{});
        file.insert(file.end(), bytes.begin(), bytes.end());
      }
      for (int slot = 0; slot < kInventorySlots; ++slot) {
        PutI32(file, slot < 3 ? 13 + slot : kItemEmpty);
        PutI32(file, slot < 3 ? 9 : 0);
      }
      for (int w = 0; w < 4; ++w) {  // columns 2 to 5 of row 4
        PutF32(file, static_cast<float>(2 * (2 + w) - 9 + 1));
        PutF32(file, static_cast<float>(7 - 2 * 4 - 1));
        PutF32(file, 90.0f);
      }
      if (camera) PutF32(file, 60.0f);
      ASSERT_EQ(file.size(), static_cast<size_t>(1104 + 304 * n + (camera ? 4 : 0)));
      const std::string what = std::to_string(n) + (camera ? " with camera" : " without camera");
      ASSERT_TRUE(Loads(file, what));
      EXPECT_EQ(g_money, 1234) << what;
      EXPECT_EQ(g_eventFlags[99], 99 * 7 - 50) << what;
      EXPECT_EQ(g_inventory[2].id, 15) << what;
      EXPECT_EQ(test::Walker(3)->x, test::CentreX(5)) << what;
      EXPECT_EQ(test::Walker(3)->z, test::CentreZ(4)) << what;
    }
  }
}

// The walkers stand at rest at cell centres on open ground of the saved map.
TEST_F(SaveRecordsTest, WalkersInAWallOrBetweenCellsAreRefused) {
  struct WalkerCase {
    const char* what;
    int walker;
    int column, row;
    float dx, dz;  // off the centre
    bool loads;
  };
  const WalkerCase cases[] = {
      {"a follower on the next open cell", 2, 3, 5, 0, 0, true},
      {"the leader on the far open corner", 0, 7, 1, 0, 0, true},
      {"the leader in the wall mass", 0, 1, 3, 0, 0, false},
      {"a follower in the outer wall", 3, 0, 5, 0, 0, false},
      {"a follower a quarter step off its centre", 1, 2, 5, 0.25f, 0, false},
      {"the leader half a cell up", 0, 2, 5, 0, 1.0f, false},
      {"a follower on the row past the bottom", 3, 2, 7, 0, 0, false},
      {"a follower on the column past the right", 2, 9, 4, 0, 0, false},
      {"a follower on the column before the left", 2, -1, 4, 0, 0, false},
  };
  const Bytes good = SaveBuild();
  for (const WalkerCase& c : cases) {
    Bytes file = good;
    const size_t at = SaveOffsetWalkers(kPartyCount) + 12 * static_cast<size_t>(c.walker);
    const float x = static_cast<float>(2 * c.column - 9 + 1) + c.dx, z = static_cast<float>(7 - 2 * c.row - 1) + c.dz;
    std::memcpy(&file[at], &x, 4);
    std::memcpy(&file[at + 4], &z, 4);
    EXPECT_EQ(Loads(file, c.what), c.loads) << c.what;
  }
}

// From the title by keys: a damaged slot shows as one without a game, and choosing it
// says "no data" with the refusing sound and changes nothing; the good slot beside it
// loads.
TEST_F(SaveRecordsTest, ADamagedSlotIsRefusedThroughTheLoadScreen) {
  ASSERT_EQ(SaveWrite(0), 1);
  Bytes bad = SaveBuild();
  // The heroine unable to act and with an ailment no rule sets, and 40 bytes of the
  // file's middle flipped.
  Row(kCaster, [](CharacterRecord& r) { r.status = 6; })(bad);
  for (size_t i = 0; i < 40; ++i) bad[1000 + i] ^= 0xFF;
  ASSERT_TRUE(test::WriteFile(File(1), bad));
  const GameState saved = g_game;

  g_flow.returnToTitle();
  Game().Frames(2);
  Game().Tap(kKeyRight);
  Game().Tap(kKeyDown);  // load
  Game().Tap(kKeyZ);
  auto screen = []() -> SaveScreenData* {
    TaskSlot& s = g_taskPool[kSlotSaveLoad];
    return s.inUse && s.id == kTaskIdSaveLoad ? TaskData<SaveScreenData>(&s) : nullptr;
  };
  ASSERT_NE(screen(), nullptr);
  ASSERT_EQ(screen()->mode, kSaveModeLoad);
  EXPECT_TRUE(screen()->slots.exists[0] == 1 && screen()->slots.exists[1] == 0) << "listed as no game";
  g_money = 4321;  // whatever the title left, a refused load keeps
  const GameState before = g_game;
  const size_t mark = test::AudioMark();
  for (int key : {kKeyDown, kKeyEnter, kKeyDown, kKeyEnter}) Game().Tap(key);
  EXPECT_EQ(screen()->step, SaveScreenNoDataWait);
  EXPECT_EQ(test::Plays(kSoundRefuse, mark), 1);
  EXPECT_TRUE(test::Has(test::ScreenSprites(plat::CurrentRecordingDevice()->lastFrame), kAtlasSaveNoData));
  EXPECT_EQ(std::memcmp(&before, &g_game, sizeof g_game), 0);

  for (int key : {kKeyEnter, kKeyUp, kKeyEnter, kKeyDown, kKeyEnter}) Game().Tap(key);
  EXPECT_EQ(screen(), nullptr);
  ASSERT_NE(test::Walker(0), nullptr) << "the good slot loads";
  EXPECT_EQ(std::memcmp(&saved.party, &g_game.party, sizeof saved.party), 0);
  EXPECT_EQ(g_mapNumber, 3);
}

}  // namespace

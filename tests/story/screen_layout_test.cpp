// What a player sees of the pictures the screens put at fixed places, with the built
// data files, reached by keys: nothing is cut by the screen's edges, jammed into a
// window's frame, pressed against the cursor or covered by a box drawn over it, and the
// opening's narration on black is balanced across the screen. Where a picture shows is read from the atlas: the texels
// the colour key leaves visible.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "battle/battle.h"
#include "battle/cursor.h"
#include "data/game_state.h"
#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/draw2d.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "event/event.h"
#include "event/shop.h"
#include "event/text_window.h"
#include "field/map.h"
#include "menu/gallery.h"
#include "menu/item_menu.h"
#include "menu/title.h"
#include "support/field_world.h"
#include "support/sprites.h"

namespace {

template <class T>
T* Live(int slot) {
  return g_taskPool && g_taskPool[slot].inUse ? TaskData<T>(&g_taskPool[slot]) : nullptr;
}

std::string Name(const test::Sprite& s) {
  return "the picture at atlas (" + std::to_string(static_cast<int>(s.srcLeft)) + ", " +
         std::to_string(static_cast<int>(s.srcTop)) + ") drawn at (" + std::to_string(static_cast<int>(s.x)) + ", " +
         std::to_string(static_cast<int>(s.y)) + ")";
}

bool FromFont(const test::Sprite& s, const AtlasRect* font) {
  return std::any_of(font, font + 10, [&](const AtlasRect& r) { return s.srcLeft == r.left && s.srcTop == r.top; });
}
const AtlasRect kTiny[10] = {kAtlasDigitTiny0, kAtlasDigitTiny1, kAtlasDigitTiny2, kAtlasDigitTiny3, kAtlasDigitTiny4,
                             kAtlasDigitTiny5, kAtlasDigitTiny6, kAtlasDigitTiny7, kAtlasDigitTiny8, kAtlasDigitTiny9};
const AtlasRect kSmall[10] = {kAtlasDigitSmall0, kAtlasDigitSmall1, kAtlasDigitSmall2, kAtlasDigitSmall3,
                              kAtlasDigitSmall4, kAtlasDigitSmall5, kAtlasDigitSmall6, kAtlasDigitSmall7,
                              kAtlasDigitSmall8, kAtlasDigitSmall9};

// One frame's atlas sprites in draw order, with their ink.
struct Shot {
  std::string where;
  std::vector<test::Sprite> sprites;
  std::vector<test::InkBox> ink;
};

// Failures found in one shot; empty when it is as a player should see it.
using Check = std::function<std::vector<std::string>(const Shot&)>;

// Every picture shows whole on the screen.
std::vector<std::string> WholeOnScreen(const Shot& shot) {
  std::vector<std::string> faults;
  for (size_t i = 0; i < shot.sprites.size(); ++i) {
    const test::InkBox& k = shot.ink[i];
    if (!k.Empty() && (k.left < 0 || k.top < 0 || k.right > 640 || k.bottom > 480)) {
      faults.push_back(Name(shot.sprites[i]) + " runs off the screen");
    }
  }
  return faults;
}

// The pictures `which` picks among those drawn over the window keep `clear` pixels
// between their ink and its 2-pixel frame on the left and on top; how many it picked.
int ClearOfTheFrame(const Shot& shot, const AtlasRect& window, float clear,
                    const std::function<bool(const test::Sprite&)>& which, std::vector<std::string>* faults) {
  const auto panel = std::find_if(shot.sprites.begin(), shot.sprites.end(), [&](const test::Sprite& s) {
    return s.srcLeft == window.left && s.srcTop == window.top && s.w == RectWidth(window);
  });
  if (panel == shot.sprites.end()) {
    faults->push_back("no window");
    return 0;
  }
  const float left = panel->x + 2 + clear, top = panel->y + 2 + clear;
  int picked = 0;
  for (size_t i = static_cast<size_t>(panel - shot.sprites.begin()) + 1; i < shot.sprites.size(); ++i) {
    const test::InkBox& k = shot.ink[i];
    if (k.Empty() || !which(shot.sprites[i])) continue;
    ++picked;
    if (k.left < left || k.top < top) faults->push_back(Name(shot.sprites[i]) + " crowds the window's frame");
  }
  return picked;
}

// The page counter (tiny digits and their slash) keeps two pixels clear inside the
// frame of the list window it stands in.
std::vector<std::string> CounterInsideItsWindow(const Shot& shot, const AtlasRect& window) {
  std::vector<std::string> faults;
  const auto counter = [](const test::Sprite& s) {
    return (s.srcLeft == kAtlasSlashTiny.left && s.srcTop == kAtlasSlashTiny.top) || FromFont(s, kTiny);
  };
  if (ClearOfTheFrame(shot, window, 2, counter, &faults) < 3) faults.push_back("no page counter");
  return faults;
}

// No price of the buy list (small digits from x 200 on its rows) is covered by anything
// drawn after it.
std::vector<std::string> PricesUncovered(const Shot& shot) {
  std::vector<std::string> faults;
  int prices = 0;
  for (size_t i = 0; i < shot.sprites.size(); ++i) {
    const test::Sprite& s = shot.sprites[i];
    if (!FromFont(s, kSmall) || s.x < 200 || s.x >= 260 || s.y < 130 || static_cast<int>(s.y - 130) % 25 != 0) continue;
    ++prices;
    for (size_t j = i + 1; j < shot.sprites.size(); ++j) {
      if (test::Overlap(shot.ink[i], shot.ink[j])) {
        faults.push_back("the price digit " + Name(s) + " is covered by " + Name(shot.sprites[j]));
      }
    }
  }
  if (prices == 0) faults.push_back("no prices");
  return faults;
}

// The lettering on the bottom bar (the labels and digits drawn on its last 16 rows)
// keeps a row clear above the screen's bottom edge and two pixels from its left edge.
std::vector<std::string> BarLetteringClear(const Shot& shot) {
  std::vector<std::string> faults;
  int labels = 0;
  for (size_t i = 0; i < shot.sprites.size(); ++i) {
    const test::Sprite& s = shot.sprites[i];
    if (s.y < 464 || s.w >= 600 || shot.ink[i].Empty()) continue;
    ++labels;
    if (shot.ink[i].bottom > 479 || shot.ink[i].left < 2) faults.push_back(Name(s) + " touches the screen's edge");
  }
  if (labels < 3) faults.push_back("no bar");
  return faults;
}

// The menu cursor's point keeps two pixels clear of the number or name beside it.
std::vector<std::string> CursorClearOfItsRow(const Shot& shot) {
  std::vector<std::string> faults;
  int cursors = 0;
  for (size_t i = 0; i < shot.sprites.size(); ++i) {
    const test::Sprite& c = shot.sprites[i];
    if (c.srcLeft != kAtlasMenuCursor.left || c.srcTop != kAtlasMenuCursor.top) continue;
    ++cursors;
    for (size_t j = 0; j < shot.sprites.size(); ++j) {
      const test::InkBox& k = shot.ink[j];
      const bool beside = j != i && !k.Empty() && k.left >= shot.ink[i].left && k.left < shot.ink[i].right + 8 &&
                          k.top < shot.ink[i].bottom && shot.ink[i].top < k.bottom;
      if (beside && k.left < shot.ink[i].right + 2) {
        faults.push_back("the cursor at (" + std::to_string(static_cast<int>(c.x)) + ", " +
                         std::to_string(static_cast<int>(c.y)) + ") touches " + Name(shot.sprites[j]));
      }
    }
  }
  if (cursors == 0) faults.push_back("no cursor");
  return faults;
}

// What stands on the black of the narration (everything but the black fill) leaves as
// much room on its left as on its right.
std::vector<std::string> Balanced(const Shot& shot) {
  float left = 640, right = 0;
  for (size_t i = 0; i < shot.sprites.size(); ++i) {
    const test::Sprite& s = shot.sprites[i];
    if ((s.srcLeft == kAtlasFadePatch.left && s.srcTop == kAtlasFadePatch.top) || shot.ink[i].Empty()) continue;
    left = std::min(left, std::max(shot.ink[i].left, 0.0f));
    right = std::max(right, std::min(shot.ink[i].right, 640.0f));
  }
  if (right <= left) return {"nothing on the black"};
  if (std::abs(left - (640 - right)) > 8) {
    return {"the pictures leave " + std::to_string(static_cast<int>(left)) + " pixels on the left and " +
            std::to_string(static_cast<int>(640 - right)) + " on the right"};
  }
  return {};
}

class ScreenLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    field_ = test::BuiltStoryGame();
    ASSERT_EQ(field_->StartResult(), 1);
    ink_ = std::make_unique<test::AtlasInk>();
    ASSERT_TRUE(ink_->Loaded());
  }
  test::GameHarness& Game() { return field_->Game(); }
  void Tap(int key) { Game().Tap(key); }

  Shot Take(const std::string& where) {
    Shot shot{where, test::ScreenSprites(Game().Recorder()->lastFrame, g_atlasTexture.get()), {}};
    for (const test::Sprite& s : shot.sprites) shot.ink.push_back(ink_->Of(s));
    return shot;
  }
  void Expect(const Shot& shot, const Check& check) {
    for (const std::string& fault : check(shot)) ADD_FAILURE() << shot.where << ": " << fault;
  }

  // The title waiting for its keys.
  bool AtTitle() {
    return Game().RunUntil(
        [] { return Live<TitleData>(kSlotTitle) && Live<TitleData>(kSlotTitle)->step == TitleMenuInput; }, 300);
  }
  // A random battle met where the party stands, played by Enter to the party's first
  // free turn.
  bool PartysFirstTurn() {
    if (BattleStartRandom() != 1) return false;
    const auto ready = [] {
      const BattleData* battle = Live<BattleData>(kSlotBattle);
      const CursorData* cursor = CursorFind();
      return battle && battle->step == BattleMainStep && g_phaseSide == 0 && cursor && cursor->state == CursorStateFree;
    };
    for (int taps = 0; taps < 40 && !ready(); ++taps) Game().Tap(kKeyEnter, 30);
    return ready();
  }
  // An event of a map started with the party standing there, played by Enter until the
  // shop is open.
  bool OpenShop(int map, int column, int row, int event) {
    if (!field_->Enter(map, column, row) || EventStart(event) != 1) return false;
    for (int taps = 0; taps < 20 && !Live<ShopData>(kSlotShop); ++taps) Game().Tap(kKeyEnter, 4);
    return Live<ShopData>(kSlotShop) != nullptr;
  }

  std::unique_ptr<test::FieldGame> field_;
  std::unique_ptr<test::AtlasInk> ink_;
};

TEST_F(ScreenLayoutTest, TheGallerysCounterShowsWholeAboveTheScreensBottomEdge) {
  ASSERT_TRUE(AtTitle());
  for (int key : {kKeyDown, kKeyDown, kKeyEnter}) Tap(key);
  ASSERT_TRUE(Live<GalleryData>(kSlotGallery));
  Game().Frames(2);
  const Shot shot = Take("the gallery");
  EXPECT_TRUE(test::Has(shot.sprites, kAtlasSlashLarge));
  Expect(shot, WholeOnScreen);
}

TEST_F(ScreenLayoutTest, TheItemMenusPageCounterStandsClearOfTheListsFrameOnEveryPage) {
  ASSERT_TRUE(field_->Enter(2, 57, 14, 90.0f));
  Game().Frames(2);
  for (int key : {kKeyShift, kKeyDown, kKeyEnter, kKeyRight, kKeyDown, kKeyEnter, kKeyEnter}) Tap(key);
  const ItemMenuData* menu = Live<ItemMenuData>(kSlotItemMenu);
  ASSERT_TRUE(menu && menu->step == ItemMenuPickItem);
  for (int page = 0; page < menu->pageCount; ++page) {
    ASSERT_EQ(menu->page, page);
    Expect(Take("page " + std::to_string(page + 1)),
           [](const Shot& shot) { return CounterInsideItsWindow(shot, kAtlasWidePanel); });
    Tap(kKeyRight);
    Tap(kKeyRight);
  }
}

// At both shops, every row of the buy list: choosing how many, answering the question,
// and the message that the money is short (a new game's party has none).
TEST_F(ScreenLayoutTest, NoBoxCoversAPriceWhileBuying) {
  struct Shop {
    const char* name;
    int map, column, row, event;
  };
  for (const Shop& at : {Shop{"the village", 2, 57, 14, 6}, Shop{"the port", 5, 23, 11, 3}}) {
    ASSERT_TRUE(OpenShop(at.map, at.column, at.row, at.event)) << at.name;
    const ShopData* shop = Live<ShopData>(kSlotShop);
    g_money = 0;
    Tap(kKeyDown);
    Tap(kKeyEnter);
    for (int row = 0; row < shop->itemCount; ++row) {
      const std::string where = std::string(at.name) + ", row " + std::to_string(row + 1);
      ASSERT_EQ(shop->listCursor, row);
      Tap(kKeyEnter);
      ASSERT_EQ(shop->step, ShopBuyQuantity);
      Expect(Take(where + ", how many"), PricesUncovered);
      Tap(kKeyEnter);
      Expect(Take(where + ", the question"), PricesUncovered);
      Tap(kKeyDown);
      Tap(kKeyEnter);
      ASSERT_EQ(shop->step, ShopMessageWait);
      Expect(Take(where + ", the money is short"), PricesUncovered);
      Tap(kKeyEnter);
      ASSERT_EQ(shop->step, ShopBuyList);
      Tap(kKeyDown);
    }
    for (int key : {kKeyEscape, kKeyEscape}) Tap(key);
    EXPECT_FALSE(Live<ShopData>(kSlotShop));
  }
}

// The field's bar, and the battle's key bar in the party's first phase of a battle met
// on the plain.
TEST_F(ScreenLayoutTest, TheBottomBarsLetteringKeepsClearOfTheScreensEdges) {
  ASSERT_TRUE(field_->Enter(1, 40, 23, 180.0f));
  Game().Frames(2);
  Expect(Take("the field"), BarLetteringClear);
  ASSERT_TRUE(PartysFirstTurn());
  Expect(Take("the battle"), BarLetteringClear);
}

// A battle on the plain: the party stands on four neighbouring cells by the marker, an
// enemy beside them, and each gauge frame keeps a clear column from the next one along
// its row.
TEST_F(ScreenLayoutTest, GaugesOfUnitsOnNeighbouringCellsStandApart) {
  ASSERT_TRUE(field_->Enter(1, 40, 23, 180.0f));
  ASSERT_TRUE(PartysFirstTurn());
  const Shot shot = Take("the battle");
  std::vector<test::InkBox> gauges;
  for (size_t i = 0; i < shot.sprites.size(); ++i) {
    if (shot.sprites[i].srcLeft == kAtlasGaugeFrame.left && shot.sprites[i].srcTop == kAtlasGaugeFrame.top) {
      gauges.push_back(shot.ink[i]);
    }
  }
  std::sort(gauges.begin(), gauges.end(), [](const test::InkBox& a, const test::InkBox& b) {
    return a.top != b.top ? a.top < b.top : a.left < b.left;
  });
  int neighbours = 0;
  for (size_t i = 1; i < gauges.size(); ++i) {
    if (gauges[i].top != gauges[i - 1].top || gauges[i].left - gauges[i - 1].left > 45) continue;
    ++neighbours;
    EXPECT_GT(gauges[i].left, gauges[i - 1].right) << "the gauges at x " << gauges[i - 1].left << " and "
                                                   << gauges[i].left << " on y " << gauges[i].top << " run together";
  }
  EXPECT_GE(neighbours, 2);
}

// The labels and values of the status screen's window below the face, the left column
// drawn at the window's very edge, read with room between them and its frame.
TEST_F(ScreenLayoutTest, TheStatusScreensValuesKeepClearOfTheirWindowsFrame) {
  ASSERT_TRUE(field_->Enter(2, 57, 14, 90.0f));
  Game().Frames(2);
  for (int key : {kKeyShift, kKeyDown, kKeyEnter, kKeyRight, kKeyEnter}) Tap(key);
  ASSERT_TRUE(TaskSlotInUse(kSlotStatus));
  Expect(Take("the status screen"), [](const Shot& shot) {
    std::vector<std::string> faults;
    const auto inside = [](const test::Sprite& s) { return s.w < RectWidth(kAtlasWidePanel); };
    if (ClearOfTheFrame(shot, kAtlasWidePanel, 8, inside, &faults) < 17) faults.push_back("no values");
    return faults;
  });
}

// The party order screen: the cursor on each member of the current party in turn.
TEST_F(ScreenLayoutTest, TheCursorKeepsClearOfTheNumberBesideIt) {
  ASSERT_TRUE(field_->Enter(2, 57, 14, 90.0f));
  Game().Frames(2);
  for (int key : {kKeyShift, kKeyDown, kKeyEnter, kKeyDown, kKeyDown, kKeyEnter}) Tap(key);
  ASSERT_TRUE(TaskSlotInUse(kSlotPartyOrder));
  for (int member = 0; member < g_partyCount; ++member) {
    Expect(Take("member " + std::to_string(member + 1)), CursorClearOfItsRow);
    Tap(kKeyDown);
  }
}

TEST_F(ScreenLayoutTest, TheOpeningsNarrationOnBlackIsBalancedAcrossTheScreen) {
  ASSERT_TRUE(AtTitle());
  for (int key : {kKeyEnter, kKeyDown, kKeyEnter}) Tap(key);  // a new game, yes
  int messages = 0;
  for (int frame = 0; frame < 2000 && messages < 2; ++frame) {
    const EventContext* event = Live<EventContext>(kSlotEvent);
    if (event && event->step == TextWindowStep && event->typingLine == kEventLineCount) {
      if (!event->blackout) break;
      Expect(Take("narration " + std::to_string(++messages)), Balanced);
      Tap(kKeyEnter);
    } else {
      Game().Frames(1);
    }
  }
  EXPECT_EQ(messages, 2);
}

}  // namespace

#include "field/field_view.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <glm/mat4x4.hpp>
#include <utility>

#include "data/game_state.h"
#include "data/money.h"
#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/camera.h"
#include "engine/draw.h"
#include "engine/draw2d.h"
#include "engine/graphics.h"
#include "engine/settings.h"
#include "engine/shell.h"
#include "field/map.h"

namespace {

constexpr uint32_t kColourBar = 0x64FFFFFF;  // white at alpha 100
constexpr float kHudY = 464.0f;

// The water rises from -2.0 to -1.0 in tenths and falls back, each level held four
// frames: -1.0 is held eight frames at the top and -2.0 eight across the wrap.
constexpr std::array<float, kWaterCycleFrames> BuildWaterLevels() {
  std::array<float, kWaterCycleFrames> levels{};
  for (int i = 0; i < kWaterCycleFrames; ++i) {
    const int k = i / 4;                      // 0 to 21
    const int tenths = k <= 10 ? k : 21 - k;  // 0 .. 10 .. 0
    levels[static_cast<size_t>(i)] = static_cast<float>(-2.0 + tenths / 10.0);
  }
  return levels;
}
constexpr std::array<float, kWaterCycleFrames> kWaterLevels = BuildWaterLevels();

const plat::Texture* WorldTexture(int n) { return n >= 0 && n < kTextureCount ? g_textures[n].get() : nullptr; }

// Every face is one quad, white, the whole texture once.
void DrawFace(const float corners[4][3], int texture) {
  static constexpr float kUv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  Vertex3D v[4];
  for (int i = 0; i < 4; ++i) SetVertex3D(&v[i], corners[i][0], corners[i][1], corners[i][2], kUv[i][0], kUv[i][1]);
  DrawQuad3D(v, 0xFFFFFFFF, WorldTexture(texture));
}

void DrawFlat(float x, float y, float z, int texture) {
  const float c[4][3] = {{x, y, z}, {x + 2, y, z}, {x + 2, y, z - 2}, {x, y, z - 2}};
  DrawFace(c, texture);
}

void DrawFourSides(float x, float h, float z, int texture) {
  DrawSideFaceZ(x + 2, h, z, texture);
  DrawSideFaceZ(x, h, z, texture);
  DrawSideFaceX(x, h, z, texture);
  DrawSideFaceX(x, h, z - 2, texture);
}

float CornerX(int column) { return static_cast<float>(2 * column - g_mapWidth); }
float CornerZ(int row) { return static_cast<float>(g_mapHeight - 2 * row); }

// Maps 0 and 2 are one place, and so are 8 and 9.
const AtlasRect* const kPlaceNames[kMapCount] = {
    &kAtlasPlaceLuna,  &kAtlasPlaceMirte, &kAtlasPlaceLuna,        &kAtlasPlaceWhisperWood, &kAtlasPlaceWindCave,
    &kAtlasPlaceSeres, &kAtlasPlaceRuins, &kAtlasPlaceMist,        &kAtlasPlaceCastle,      &kAtlasPlaceCastle,
    &kAtlasPlaceTower, &kAtlasPlaceMarsh, &kAtlasPlaceStoneGarden, &kAtlasPlaceShrine,
};

constexpr TileTop TopStyle(int code) {
  switch (code) {
    case 4: return {12, 0.0f};
    case 5: return {14, 0.0f};
    case 8: return {21, 0.0f};
    case 9: return {25, 0.0f};
    case 10: return {22, 0.0f};
    case 11: return {23, 0.0f};
    case 12: return {24, 0.0f};
    case 13: return {30, 0.0f};
    case 14: return {29, 0.0f};
    case 15: return {1, 4.0f};
    case 16: return {20, 4.0f};
    case 17:
    case 18: return {31, 4.0f};
    case 30:
    case 31:
    case 32:
    case 33: return {15, 6.0f};
    case kTileWater: return {kTextureWater, -2.0f};
    default: return {0, 0.0f};
  }
}

constexpr int SideStyle(int code) {
  switch (code) {
    case 16: return 26;
    case 17: return 32;
    case 18: return 33;
    case 30: return 16;
    case 31: return 17;
    case 32: return 18;
    case 33: return 19;
    default: return 2;
  }
}

// Every tile role the maps and textures are made for is what these tables draw.
#define TILE_ROLE(kCode, kName, kHeight, kTop, kSide, kWhat)                                      \
  static_assert((kCode) >= 0 && (kCode) <= kTileDrawnLast && TopStyle(kCode).texture == (kTop) && \
                    TopStyle(kCode).height == (kHeight) && SideStyle(kCode) == (kSide),           \
                "tile role " #kCode " (" kName ") is not what the field view draws for that code");
#define BATTLE_FLOOR(terrain, top, side, where)
#include "data/tile_roles.def"
#undef TILE_ROLE
#undef BATTLE_FLOOR

// Culling spheres are centred 2 below a face; these are the lowest and highest such
// centres any drawn cell or water surface has.
constexpr float kCentreBelowFace = 2.0f;
constexpr std::pair<float, float> FaceHeights() {
  float low = kWaterLevels[0], high = kWaterLevels[0];
  for (float level : kWaterLevels) {
    low = std::min(low, level);
    high = std::max(high, level);
  }
  for (int code = 0; code <= kTileDrawnLast; ++code) {
    low = std::min(low, TopStyle(code).height);
    high = std::max(high, TopStyle(code).height);
  }
  return {low, high};
}
constexpr float kLowestCentre = FaceHeights().first - kCentreBelowFace;
constexpr float kHighestCentre = FaceHeights().second - kCentreBelowFace;

// Columns [c0, c1) and rows [r0, r1).
struct CellSpan {
  int c0, c1, r0, r1;
};

// The cells whose culling spheres the camera can reach, with a hundredth of a unit to
// spare against rounding; the whole map while no camera has set the planes. Each cell
// in the span is still tested on its own, so the faces drawn are those a test of every
// cell gives, and the work follows what the camera sees rather than the map's size.
CellSpan CellsInReach() {
  FrustumBounds reach{};
  if (!FrustumReach(kLowestCentre, kHighestCentre, kCullRadius, &reach)) return {0, g_mapWidth, 0, g_mapHeight};
  constexpr float kSpare = 0.01f;
  const auto w = static_cast<float>(g_mapWidth), h = static_cast<float>(g_mapHeight);
  // A centre's x is 2 c - W + 1 and its z is H - 2 r - 1; far bounds are held to the map.
  const auto first = [](float v, float limit) { return static_cast<int>(std::ceil(std::clamp(v, -1.0f, limit))); };
  const auto last = [](float v, float limit) { return static_cast<int>(std::floor(std::clamp(v, -1.0f, limit))); };
  const int c0 = first((reach.xMin - kSpare + w - 1.0f) / 2.0f, w);
  const int c1 = last((reach.xMax + kSpare + w - 1.0f) / 2.0f, w) + 1;
  const int r0 = first((h - 1.0f - reach.zMax - kSpare) / 2.0f, h);
  const int r1 = last((h - 1.0f - reach.zMin + kSpare) / 2.0f, h) + 1;
  return {std::max(c0, 0), std::min(c1, g_mapWidth), std::max(r0, 0), std::min(r1, g_mapHeight)};
}

}  // namespace

int MapViewCreate() {
  if (TaskExists(kTaskIdFieldView)) return 0;
  TaskSlot* slot = TaskAllocAtForce(kSlotFieldView);
  if (!slot) return 0;
  TaskStart(slot, kTaskIdFieldView, 0, MapViewUpdate, MapViewDraw);
  MapViewData* view = TaskDataInit<MapViewData>(slot);
  view->live = 1;
  view->waterIndex = 0;
  view->waterLevel = WaterLevelNext(view);
  return 1;
}

void MapViewUpdate(TaskSlot* slot) {
  MapViewData* view = TaskData<MapViewData>(slot);
  view->waterLevel = WaterLevelNext(view);
}

void MapViewDraw(TaskSlot* slot) {
  const MapViewData* view = TaskData<MapViewData>(slot);
  if (g_device) g_device->SetTransform(plat::TransformKind::World, glm::mat4(1.0f));
  DrawFieldMap(view->waterLevel);
  DrawPlaceName(4.0f, 2.0f, g_mapNumber);
  DrawFieldHud();
}

float WaterLevelNext(MapViewData* view) {
  view->waterIndex = view->waterIndex + 1 >= kWaterCycleFrames ? 0 : view->waterIndex + 1;
  return WaterLevelAt(view->waterIndex);
}

float WaterLevelAt(int index) {
  return index >= 0 && index < kWaterCycleFrames ? kWaterLevels[static_cast<size_t>(index)] : kWaterLevels[0];
}

TileTop TileTopStyle(int code) { return TopStyle(code); }

int TileSideStyle(int code) { return SideStyle(code); }

// Water surfaces first, then every drawn cell's top and sides, row by row, of the cells
// the camera can reach.
void DrawFieldMap(float waterLevel) {
  const CellSpan span = CellsInReach();
  for (int r = span.r0; r < span.r1; ++r) {
    for (int c = span.c0; c < span.c1; ++c) {
      if (g_tileLayer[r * g_mapWidth + c] == kTileWater) DrawWaterCell(CornerX(c), waterLevel, CornerZ(r));
    }
  }
  for (int r = span.r0; r < span.r1; ++r) {
    for (int c = span.c0; c < span.c1; ++c) {
      const int code = g_tileLayer[r * g_mapWidth + c];
      if (code >= 0 && code <= kTileDrawnLast) DrawTile(c, r, CornerX(c), CornerZ(r));
    }
  }
}

void DrawWaterCell(float x, float y, float z) {
  if (SphereInFrustum(x + 1.0f, y - 2.0f, z - 1.0f, kCullRadius)) DrawWaterQuad(x, y, z);
}

void DrawWaterQuad(float x, float y, float z) { DrawFlat(x, y, z, kTextureWater); }

void DrawTile(int column, int row, float x, float z) {
  const int cell = row * g_mapWidth + column;
  const int code = g_tileLayer[cell];
  const TileTop top = TileTopStyle(code);
  if (!SphereInFrustum(x + 1.0f, top.height - 2.0f, z - 1.0f, kCullRadius)) return;
  DrawTileTop(x, top.height, z, top.texture);
  DrawTileSides(x, top.height, z, code, cell);
}

void DrawTileTop(float x, float h, float z, int texture) { DrawFlat(x, h, z, texture); }

// Faces only toward neighbours inside the map whose code differs (two floors of one
// height get a face too; it hangs below the ground).
void DrawTileSides(float x, float h, float z, int code, int cell) {
  const int s = TileSideStyle(code);
  const int w = g_mapWidth;
  const int column = cell % w, row = cell / w;
  if (column + 1 < w && g_tileLayer[cell + 1] != code) DrawSideFaceZ(x + 2, h, z, s);
  if (column > 0 && g_tileLayer[cell - 1] != code) DrawSideFaceZ(x, h, z, s);
  if (row > 0 && g_tileLayer[cell - w] != code) DrawSideFaceX(x, h, z, s);
  if (row + 1 < g_mapHeight && g_tileLayer[cell + w] != code) DrawSideFaceX(x, h, z - 2, s);
}

void DrawSideFaceZ(float x, float y, float z, int texture) {
  const float c[4][3] = {{x, y, z}, {x, y, z - 2}, {x, y - kSideFaceDepth, z - 2}, {x, y - kSideFaceDepth, z}};
  DrawFace(c, texture);
}

void DrawSideFaceX(float x, float y, float z, int texture) {
  const float c[4][3] = {{x, y, z}, {x + 2, y, z}, {x + 2, y - kSideFaceDepth, z}, {x, y - kSideFaceDepth, z}};
  DrawFace(c, texture);
}

void DrawTexturedBlock(float x, float z, float topHeight, int topTexture, int sideTexture) {
  if (g_device) g_device->SetTransform(plat::TransformKind::World, glm::mat4(1.0f));
  const float x0 = x - 1.0f, z0 = z + 1.0f;
  DrawTileTop(x0, topHeight, z0, topTexture);
  DrawFourSides(x0, topHeight, z0, sideTexture);
}

void DrawFieldHud() {
  if (TaskExists(kTaskIdInn) || TaskExists(kTaskIdShop) || TaskExists(kTaskIdEvent)) return;
  DrawAtlas(0.0f, kHudY, kAtlasFieldBar, kColourBar);
  DrawAtlas(0.0f, kHudY, kAtlasHudMenuKey);
  DrawAtlas(160.0f, kHudY, kAtlasHudAutoKey);
  DrawAtlas(480.0f, kHudY, kAtlasHudMoney);
  DrawNumberTiny(540.0f, 465.0f, g_money);
  DrawAtlas(300.0f, kHudY, g_settings.autoBattle ? kAtlasHudAutoOn : kAtlasHudAutoOff);
}

void DrawPlaceName(float x, float y, int mapNumber) {
  if (mapNumber < 0 || mapNumber >= kMapCount) return;
  DrawAtlas(x, y, *kPlaceNames[mapNumber]);
}

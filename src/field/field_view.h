// The field view: one task in slot 6 that draws the current map in 3D (tile tops at
// their heights, side faces where neighbouring codes differ, animated water), then the
// place name and the bar at the bottom of the screen.
#pragma once

#include <cstdint>

#include "engine/task.h"

struct MapViewData {
  int32_t live;
  float waterLevel;    // world y of the water surface
  int32_t waterIndex;  // 0 to 87
};

constexpr int kWaterCycleFrames = 88;
constexpr int kTileWater = 45;
constexpr int kTileDrawnLast = 46;  // codes above this (and negative ones) are not drawn
constexpr int kTextureWater = 34;
constexpr float kSideFaceDepth = 6.0f;
constexpr float kCullRadius = 4.0f;

struct TileTop {
  int texture;
  float height;
};

// Refused (0) while a view exists; else slot 6 is taken by force.
int MapViewCreate();
void MapViewUpdate(TaskSlot* slot);
void MapViewDraw(TaskSlot* slot);
float WaterLevelNext(MapViewData* view);
float WaterLevelAt(int index);

TileTop TileTopStyle(int code);
int TileSideStyle(int code);

void DrawFieldMap(float waterLevel);
// (x, z) is the -x, +z corner of the cell.
void DrawWaterCell(float x, float y, float z);
void DrawWaterQuad(float x, float y, float z);
void DrawTile(int column, int row, float x, float z);
void DrawTileTop(float x, float h, float z, int texture);
void DrawTileSides(float x, float h, float z, int code, int cell);
// A face across z at x, and a face across x at z, hanging from y.
void DrawSideFaceZ(float x, float y, float z, int texture);
void DrawSideFaceX(float x, float y, float z, int texture);
// A free-standing cell-sized block centred on (x, z), its top at `topHeight`.
void DrawTexturedBlock(float x, float z, float topHeight, int topTexture, int sideTexture);

// Hidden while an inn, a shop or an event is open.
void DrawFieldHud();
// The place-name picture of a map at its own size; nothing outside 0 to 13.
void DrawPlaceName(float x, float y, int mapNumber);

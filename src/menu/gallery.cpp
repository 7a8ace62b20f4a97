#include "menu/gallery.h"

#include <cmath>

#include "data/tasks.h"
#include "engine/atlas.h"
#include "engine/camera.h"
#include "engine/draw.h"
#include "engine/draw2d.h"
#include "engine/graphics.h"
#include "engine/keys.h"
#include "engine/sound.h"
#include "engine/util.h"
#include "menu/title.h"

namespace {

constexpr float kEye[3] = {0.0f, 5.0f, -40.0f};
constexpr float kAt[3] = {0.0f, 0.0f, 0.0f};
constexpr float kFullCircle = 360.0f;

// Screen places of the heading, the arrows and the counter.
constexpr float kArrowY = 448.0f;
constexpr float kArrowLeftX = 32.0f;
constexpr float kArrowRightX = 576.0f;
constexpr float kCounterY = 460.0f;
constexpr float kCounterChosenX = 276.0f;
constexpr float kCounterSlashX = 310.0f;
constexpr float kCounterSlashY = 459.0f;
constexpr float kCounterTotalX = 325.0f;

// The picture screen's illustration in the glyph texture, drawn over the whole screen.
constexpr AtlasRect kPictureSource = {0.0f, 542.0f, 640.0f, 1022.0f};
constexpr AtlasRect kPictureScreen = {0.0f, 0.0f, 640.0f, 480.0f};

// A turn starts from whole degrees, so the ring's places stay whole while it turns.
void RoundAngles(GalleryData* gallery) {
  for (float& a : gallery->angles) a = RoundToNearest(a);
}

void StartTurn(GalleryData* gallery, int32_t delta, GalleryStep turn) {
  gallery->selection += delta;
  if (gallery->selection < 0) gallery->selection = gallery->count - 1;
  if (gallery->selection > gallery->count - 1) gallery->selection = 0;
  RoundAngles(gallery);
  gallery->idle = 0;
  gallery->spin = kGalleryFront;
  gallery->state = turn;
  SoundRequest(kSoundCursor, 0);
}

// Only the chosen model snaps to the front; the others keep their rounded places.
void EndTurnNearFront(GalleryData* gallery) {
  float& chosen = gallery->angles[gallery->selection];
  if (std::fabs(chosen - kGalleryFront) < gallery->speed) {
    chosen = kGalleryFront;
    gallery->state = GalleryInput;
  }
}

void Leave(GalleryData* gallery) {
  gallery->live = 0;
  TitleReturn();
  SoundRequest(kSoundCursor, 0);
}

}  // namespace

int GalleryOpen() {
  TaskSlot* slot = TaskStart(TaskAllocAt(kSlotGallery), kTaskIdGallery, 0, GalleryTaskUpdate, GalleryDraw);
  if (!slot) return 0;
  GalleryData* gallery = TaskDataInit<GalleryData>(slot);
  gallery->live = 1;
  gallery->count = kGalleryModelCount;
  gallery->selection = 0;
  gallery->idle = kGalleryIdleStart;
  gallery->step = RoundToNearest(static_cast<float>(360 / gallery->count));
  gallery->speed = RoundToNearest(static_cast<float>(gallery->idle) / gallery->step);
  gallery->spin = kGalleryFront;
  // Model 0 in front, the rest following round the ring, summed one after another.
  const float spacing = kFullCircle / static_cast<float>(gallery->count);
  float angle = kGalleryFront;
  for (int32_t i = 0; i < gallery->count; ++i) {
    gallery->angles[i] = angle;
    gallery->distances[i] = kGalleryNear;
    angle += spacing;
    if (angle >= kFullCircle) angle -= kFullCircle;
  }
  gallery->state = GalleryStepBegin;
  return 1;
}

void GalleryTaskUpdate(TaskSlot* slot) {
  GalleryData* gallery = TaskData<GalleryData>(slot);
  if (gallery->state) gallery->state(gallery);
  GalleryUpdateDistances(gallery);
  CameraSetView(kAt, kEye);
  if (gallery->live == 0) slot->inUse = 0;
}

// The frame that opens the gallery reads no keys.
void GalleryStepBegin(GalleryData* gallery) { gallery->state = GalleryInput; }

void GalleryInput(GalleryData* gallery) {
  if (KeyPressed(kKeyEscape)) {
    Leave(gallery);
  } else if (KeyPressed(kKeyLeft)) {
    StartTurn(gallery, -1, GalleryTurnLeft);
  } else if (KeyPressed(kKeyRight)) {
    StartTurn(gallery, 1, GalleryTurnRight);
  } else if (KeyPressed(kKeyEnter) || KeyPressed(kKeyZ)) {
    Leave(gallery);
  } else if (++gallery->idle >= kGalleryIdleSpin) {
    // Left alone, the chosen model turns on the spot, a degree a frame.
    gallery->idle = kGalleryIdleSpin - 1;
    gallery->spin += 1.0f;
    if (gallery->spin > kFullCircle) gallery->spin -= kFullCircle;
  }
}

void GalleryTurnLeft(GalleryData* gallery) {
  for (float& a : gallery->angles) {
    a += gallery->speed;
    if (a >= kFullCircle) a -= kFullCircle;
    a = RoundToNearest(a);
  }
  EndTurnNearFront(gallery);
}

void GalleryTurnRight(GalleryData* gallery) {
  for (float& a : gallery->angles) {
    a -= gallery->speed;
    if (a < 0.0f) a += kFullCircle;
    a = RoundToNearest(a);
  }
  EndTurnNearFront(gallery);
}

void GalleryUpdateDistances(GalleryData* gallery) {
  for (int32_t i = 0; i < gallery->count; ++i) {
    float& d = gallery->distances[i];
    d = i == gallery->selection ? std::fmin(d + 1.0f, kGalleryFar) : std::fmax(d - 1.0f, kGalleryNear);
  }
}

void DrawPatternNoDepth() {
  SetZEnable(0);
  const AtlasRect& tile = kAtlasMenuTile;
  FillScreenPattern(tile.left, tile.top, tile.right, tile.bottom);
  SetZEnable(1);
}

void GalleryDraw(TaskSlot* slot) {
  const GalleryData* gallery = TaskData<GalleryData>(slot);
  DrawPatternNoDepth();
  GalleryDrawModels(gallery);
  DrawGalleryArrows();
  DrawNumberLarge(kCounterChosenX, kCounterY, gallery->selection + 1);
  DrawAtlas(kCounterSlashX, kCounterSlashY, kAtlasSlashLarge);
  DrawNumberLarge(kCounterTotalX, kCounterY, gallery->count);
}

// Every model faces the camera but the chosen one, which takes its own heading.
void GalleryDrawModels(const GalleryData* gallery) {
  for (int32_t i = 0; i < gallery->count && i < kMeshCount; ++i) {
    float x = 0.0f, z = 0.0f;
    PolarOffset(&x, &z, 0.0f, 0.0f, gallery->angles[i], gallery->distances[i]);
    float heading = i == gallery->selection ? gallery->spin : kGalleryFront;
    glm::mat4 world;
    BuildWorldYaw(&world, x, 0.0f, z, &heading);
    DrawMesh(g_meshes[i], world);
  }
  DrawAtlas(0.0f, 0.0f, kAtlasGalleryHeading);
}

void DrawGalleryArrows() {
  DrawAtlas(kArrowLeftX, kArrowY, kAtlasPointerArrowLeft);
  DrawAtlas(kArrowRightX, kArrowY, kAtlasPointerArrow);
}

// ---- picture screen ------------------------------------------------------------------

int PictureScreenOpen() { return PictureScreenCreate(); }

int PictureScreenCreate() {
  TaskSlot* slot = TaskStart(TaskAllocAt(kSlotPicture), kTaskIdPicture, 0, PictureScreenTaskUpdate, PictureScreenDraw);
  if (!slot) return 0;
  PictureData* picture = TaskDataInit<PictureData>(slot);
  picture->live = 1;
  picture->step = PictureScreenStepBegin;
  return 1;
}

// The title opens once the slot is free; nothing else lives by then.
void PictureScreenTaskUpdate(TaskSlot* slot) {
  TaskRunStep<PictureData>(slot);
  if (!slot->inUse) TitleOpen();
}

// The frame that opens the screen reads no keys.
void PictureScreenStepBegin(PictureData* picture) { picture->step = PictureScreenWaitKey; }

// Only Enter or Z leave, without a sound.
void PictureScreenWaitKey(PictureData* picture) {
  if (KeyPressed(kKeyEnter) || KeyPressed(kKeyZ)) picture->live = 0;
}

void PictureScreenDraw(TaskSlot*) {
  DrawQuad2D(kPictureScreen, kPictureSource, kGlyphTextureSize, kGlyphTextureSize, kColourOpaque, g_fontTexture.get());
}

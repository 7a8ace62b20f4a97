// The two screens the title opens besides the options: the gallery, a ring of the
// game's models turned with Left and Right, and the picture screen, one full-screen
// illustration. Both go back to the title.
#pragma once

#include <cstdint>

#include "engine/task.h"

constexpr int32_t kGalleryModelCount = 33;  // meshes 0 to 32

struct GalleryData;
using GalleryStep = void (*)(GalleryData* gallery);

struct GalleryData {
  int32_t live;
  int32_t count;                        // models on the ring
  int32_t selection;                    // the chosen model
  int32_t idle;                         // frames without a key since the last turn
  float speed;                          // degrees the ring turns a frame
  float step;                           // degrees between neighbours, in whole degrees
  float spin;                           // the chosen model's own heading
  float angles[kGalleryModelCount];     // each model's place on the ring, degrees
  float distances[kGalleryModelCount];  // each model's distance from the centre
  GalleryStep state;
};

// Where things stand, in world units and degrees.
constexpr float kGalleryFront = 270.0f;  // the side of the ring toward the camera
constexpr float kGalleryNear = 10.0f;
constexpr float kGalleryFar = 25.0f;
constexpr int32_t kGalleryIdleStart = 18;
constexpr int32_t kGalleryIdleSpin = 101;  // frames without a key before the chosen model turns

// 1, or 0 when the gallery's slot is busy.
int GalleryOpen();
void GalleryTaskUpdate(TaskSlot* slot);
void GalleryStepBegin(GalleryData* gallery);
void GalleryInput(GalleryData* gallery);
void GalleryTurnLeft(GalleryData* gallery);
void GalleryTurnRight(GalleryData* gallery);
// The chosen model slides out to the far distance, the others back in, 1.0 a frame.
void GalleryUpdateDistances(GalleryData* gallery);
void GalleryDraw(TaskSlot* slot);
void GalleryDrawModels(const GalleryData* gallery);
void DrawGalleryArrows();
// The menu background with the depth test off, so nothing drawn later is hidden by it.
void DrawPatternNoDepth();

struct PictureData;
using PictureStep = void (*)(PictureData* picture);

struct PictureData {
  int32_t live;
  PictureStep step;
};

// 1, or 0 when the picture screen's slot is busy.
int PictureScreenOpen();
int PictureScreenCreate();
void PictureScreenTaskUpdate(TaskSlot* slot);
void PictureScreenStepBegin(PictureData* picture);
void PictureScreenWaitKey(PictureData* picture);
void PictureScreenDraw(TaskSlot* slot);

// TEMPORARY: the renderer's first view, which lands with the renderer branch. Only what
// a new game needs is here; the lead removes this file at merge.
#include "engine/camera.h"
#include "engine/graphics.h"

void GraphicsSetupCamera() {
  const float at[3] = {0.0f, 100.0f, 0.0f};
  const float eye[3] = {0.0f, 100.0f, 0.1f};
  CameraSetView(at, eye);
}

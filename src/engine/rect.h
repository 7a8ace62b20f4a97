// A rectangle in pixels: of the screen, or of the texture it is cut from.
#pragma once

struct AtlasRect {
  float left, top, right, bottom;
};

inline float RectWidth(const AtlasRect& r) { return r.right - r.left; }
inline float RectHeight(const AtlasRect& r) { return r.bottom - r.top; }

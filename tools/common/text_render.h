// Japanese text rendered with FreeType into coverage maps, and drawn onto surfaces with
// an outline so that it reads on any background.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "canvas.h"

namespace tool {

// Coverage 0 to 1 a pixel. The box is the text's advance wide and its em box high, so
// texts of one size share their baseline.
struct Coverage {
  int width = 0;
  int height = 0;
  std::vector<float> values;
  float At(int x, int y) const;
};

std::u32string DecodeUtf8(const std::string& utf8);

class Font {
 public:
  ~Font();
  // Null with a message when the file cannot be opened as a font.
  static std::unique_ptr<Font> Open(const std::string& path, std::string* error);
  Coverage Render(const std::u32string& text, int pixelSize, bool bold) const;
  bool HasGlyph(char32_t c) const;

 private:
  struct Impl;
  explicit Font(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

// Coverage grown by radius pixels (a round brush): the outline behind the letters.
Coverage Dilate(const Coverage& c, float radius);
// Scales coverage into a w by h box with area averaging (used to fit digits exactly).
Coverage Resample(const Coverage& c, int x0, int y0, int x1, int y1, int w, int h);
// The smallest box holding ink: x0, y0 inclusive, x1, y1 exclusive; empty gives zeros.
void InkBounds(const Coverage& c, int* x0, int* y0, int* x1, int* y1);

struct TextStyle {
  Colour top = {1, 1, 1, 1};     // letter colour at the top of the em box
  Colour bottom = {1, 1, 1, 1};  // and at its bottom (a gentle gradient)
  Colour outline = {0.05f, 0.05f, 0.12f, 1};
  float outlineRadius = 1.2f;
  Colour shadow = {0, 0, 0, 0.0f};  // drop shadow one pixel down and right; alpha 0: none
};

// Draws coverage at (x, y) with its outline, shadow and gradient.
void DrawCoverage(Surface& s, const Coverage& c, int x, int y, const TextStyle& style);

}  // namespace tool

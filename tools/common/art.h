// Shared painting for the interface pictures, the glyph texture and the previews: the
// game's look (window frames, lettering, people, scenes) in one place.
#pragma once

#include <cstdint>
#include <string>

#include "canvas.h"
#include "paint.h"
#include "text_render.h"

namespace tool {

struct Fonts {
  const Font* proportional = nullptr;  // labels and messages
  const Font* fixed = nullptr;         // digits
};

// Lettering styles of the interface.
TextStyle PlainText();
TextStyle GoldText();
TextStyle RedText();
TextStyle GreenText();

// The largest size at which the text fits w by h with its outline, from `largest` down.
int FitTextSize(const Font& font, const std::u32string& text, int w, int h, int largest, bool bold);
// Text fitted to the surface; align 0 left, 1 centre. Bold is used for headings.
void DrawText(Surface& s, const Font& font, const std::string& utf8, int align, const TextStyle& style, bool bold,
              int largest = 22);

// Window art: the 2-pixel frame and its inside. Styles: blue, red, green, dark, gold.
void DrawWindowArt(Surface& s, const std::string& style);
// A rounded plate with a thin gold edge, for messages drawn over the scene.
void DrawPlate(Surface& s, const Colour& fill);

// People. Who: a name from the cast (milva, yorun, minerva, zita, ...). Framing: the
// bust (transparent around), a framed face close-up, or a large framed half-figure.
enum class Framing { kBust, kFace, kLarge };
bool DrawPerson(Surface& s, const std::string& who, Framing framing);
bool KnownPerson(const std::string& who);
// One colour of a person's look, 0xRRGGBB: `part` is skin, hair, eyes, cloth, trim or
// headwear (false for a bare head). The models of the heroes and of everyone who speaks
// with a portrait take their colours from here too, so a face and its model agree.
bool CastColour(const std::string& who, const std::string& part, uint32_t* rgb);

// Scenes: the title's sky and garden, its foreground banners, the finished illustration.
bool DrawScene(Surface& s, const std::string& name, const Fonts& fonts);

}  // namespace tool

// Procedural pictures painted onto flat faces (wood, stone, runes, a sign's letters)
// and the shading ramp every paint is drawn with.
#pragma once

#include "model_desc.h"

namespace meshgen {

// Colour of a decal at (u, v), both 0..1 across the face, v downward.
void DecalColour(DecalKind kind, double u, double v, const double base[3], const double accent[3], double out[3]);

// A paint's colour at a light level 0 (deep shade) to 1 (full light): shade leans
// toward a cool dark, light toward a soft highlight.
void ShadeColour(const double base[3], double light, double out[3]);

// Light level of a surface with this normal at this height on a model this tall.
double LightLevel(Vec3 normal, double y, double height);

}  // namespace meshgen

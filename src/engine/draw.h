// The drawing primitives every picture goes through: screen quads, world quads,
// meshes with their materials, the built shapes, and world matrices with the game's
// heading convention.
#pragma once

#include <cstdint>
#include <glm/mat4x4.hpp>

#include "engine/graphics.h"
#include "engine/rect.h"
#include "platform/gpu.h"

using Vertex2D = plat::ScreenVertex;
using Vertex3D = plat::WorldVertex;

// Row-vector matrix helpers (v * a * b applies a first).
glm::mat4 MatMultiply(const glm::mat4& a, const glm::mat4& b);
glm::mat4 MatTranslation(float x, float y, float z);
glm::mat4 MatRotationX(float radians);
glm::mat4 MatRotationY(float radians);
glm::mat4 MatRotationZ(float radians);
glm::mat4 MatLookAtLH(const glm::vec3& eye, const glm::vec3& at, const glm::vec3& up);
glm::mat4 MatPerspectiveFovLH(float fovY, float aspect, float zNear, float zFar);
// Projects a world point to the screen through the given transforms and viewport.
glm::vec3 Vec3Project(const glm::vec3& point, const plat::Viewport& viewport, const glm::mat4& projection,
                      const glm::mat4& view, const glm::mat4& world);

void DrawQuad2D(const AtlasRect& dest, const AtlasRect& src, float texW, float texH, uint32_t colour,
                const plat::Texture* texture);
void DrawQuad2DCorners(const float corners[8], const float texCorners[8], float texW, float texH, uint32_t colour,
                       const plat::Texture* texture);
void SetVertex3D(Vertex3D* v, float x, float y, float z, float u, float w);
void DrawQuad3D(const Vertex3D vertices[4], uint32_t colour, const plat::Texture* texture);
void DrawMesh(const MeshRecord& record, const glm::mat4& world);
// A built shape in its vertex colours, as it was made.
void DrawShapeAt(const MeshRecord& record, float x, float y, float z);
void DrawShapeAtRotY(const MeshRecord& record, float x, float y, float z, float degrees);
// A built shape as a spell's or a scene's light: it glows in its colour, and what it
// holds over shows through it. It writes no depth, so whatever the scene drew after it
// would cover it even from behind: between DrawGlowsHold and DrawGlowsHeld it waits
// and is drawn by the second, after everything else of the scene; outside them it is
// drawn at once.
void DrawGlowAt(const MeshRecord& record, float x, float y, float z);
void DrawGlowAtRotY(const MeshRecord& record, float x, float y, float z, float degrees);
void DrawGlowsHold();
void DrawGlowsHeld();
// The heading is normalised in place (below 0: +360 once; above 360: -360 once).
void BuildWorldYaw(glm::mat4* out, float x, float y, float z, float* heading);
void BuildWorldYawRollPitch(glm::mat4* out, float x, float y, float z, float* heading, float pitch, float roll);

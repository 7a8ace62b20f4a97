#include "engine/util.h"

#include <cmath>

namespace {
uint32_t g_randomState = 1;
RandomSource g_randomSource = nullptr;
}  // namespace

void RandomSeed(uint32_t seed) { g_randomState = seed; }

void RandomSetSource(RandomSource source) { g_randomSource = source; }

int RandomNext() {
  if (g_randomSource) return g_randomSource();
  g_randomState = g_randomState * 214013u + 2531011u;
  return static_cast<int>((g_randomState >> 16) & 0x7FFF);
}

int RandomBelow(int n) {
  if (n <= 0) return 0;
  return RandomNext() % n;
}

void PolarOffset(float* outX, float* outZ, float centreX, float centreZ, float angle, float radius) {
  const float a = static_cast<float>(static_cast<double>(angle) * 3.14 / 180.0);
  // The runtime computes the cosine and sine in double precision from the float angle.
  const double ad = static_cast<double>(a);
  *outX = static_cast<float>(static_cast<double>(centreX) + std::cos(ad) * static_cast<double>(radius));
  *outZ = static_cast<float>(static_cast<double>(centreZ) + std::sin(ad) * static_cast<double>(radius));
}

// Random draws and points on a circle, shared by every subsystem.
#pragma once

#include <cstdint>

// The run's one generator: a 15-bit linear congruential generator (largest value 32767).
void RandomSeed(uint32_t seed);
int RandomNext();
// Tests replace the generator with a scripted sequence of raw values; null restores it.
using RandomSource = int (*)();
void RandomSetSource(RandomSource source);
// A value in 0 to n - 1, by remainder. n of 0 or less gives 0.
int RandomBelow(int n);

// out = centre + (cos a, sin a) x radius with a = angle x 3.14 / 180 (not pi: positions
// across the game follow from this rounding).
void PolarOffset(float* outX, float* outZ, float centreX, float centreZ, float angle, float radius);

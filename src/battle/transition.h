// The encounter transition: four large pictures swing in from the four sides of the
// screen, turning as they come, until they meet over the centre; then the random battle
// begins. Scripts play the same wipe alone as the lead-in to their battles.
#pragma once

#include <cstdint>

#include "engine/task.h"

struct TransitionQuad {
  float centreX, centreY;
  float corners[8];  // four x, y pairs in fan order
  float angle;       // degrees
  float radius;      // distance of the centre from the screen's centre
};

struct BattleTransitionData;
using TransitionStep = void (*)(BattleTransitionData* transition);

struct BattleTransitionData {
  int32_t live;
  int32_t noBattle;  // 1: no battle follows
  float centreX, centreY;
  TransitionQuad quads[4];
  TransitionStep step;
};

constexpr float kTransitionStartRadius = 640.0f;
constexpr float kTransitionEndRadius = 32.0f;
constexpr float kTransitionSpeed = 32.0f;
constexpr float kTransitionCornerRadius = 452.0f;

// 1, or 0 when the transition's slot is busy.
int BattleTransitionStart(int32_t noBattle);
// The wipe alone, for a script: 1, or 0 when refused.
int BattleTransitionStartForEvent();
// Each call turns the quad 40 degrees: its corners are taken 10 degrees apart, which
// gives each quad a slight skew.
void TransitionQuadCorners(TransitionQuad* quad);
void BattleTransitionStep(BattleTransitionData* transition);
void BattleTransitionUpdate(TaskSlot* slot);
void BattleTransitionDraw(TaskSlot* slot);

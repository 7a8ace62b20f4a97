// What stays with the battle's units on screen: a small gauge over each unit with its
// hit points (and a party caster's magic points), icons for its ailments and guard
// boosts, and the status panel of the party unit giving orders.
#pragma once

#include <cstdint>

#include "battle/unit.h"
#include "data/characters.h"
#include "menu/party_panels.h"  // the ailment icons the status windows share

constexpr float kGaugeWidth = 36.0f;

// The width of a gauge bar: the share of the maximum, rounded, within the gauge; 0 for
// a maximum of 0 or less.
int32_t GaugeWidth(int32_t value, int32_t maximum);
void DrawUnitGauges(const UnitData* unit);
void DrawStatusIcons(float x, float y, int32_t status);
void DrawBoostIcons(const UnitData* unit, float x, float y);
void DrawStatusPanel(float x, float y, const CharacterRecord& record);

// The party's panels, shared by the party menu, the status screen, the item, skill and
// order screens and the battle's status windows: member rows and tables, faces, the
// ailment icons and words, and the status screen's pages. All of them read g_party for
// the members in use; numbers are in the small digits unless said.
#pragma once

#include <cstdint>

#include "data/characters.h"
#include "engine/rect.h"

// Faces by party character id (0 to 3): 120 by 90, and the status screen's large ones.
extern const AtlasRect g_faceRects[kPartyRows];
extern const AtlasRect g_faceLargeRects[kPartyRows];

// The power an equipped piece adds; nothing equipped (9999) or an id outside the item
// table adds 0.
int32_t EquipPower(int32_t item);

// The panel under the party menu: one 24-pixel row a member with its HP, MP and level.
void DrawPartyPanel(float x, float y);
// The member rows of the status screen and the item menu; `highlight` outside the party
// highlights no row.
void DrawPartyRows(float x, float y, const CharacterRecord* records, int32_t highlight);
// The skill menu's member table, with the highlighted member's face at the right.
void DrawPartyStatusTable(float x, float y, int32_t highlight);
// The right half of the status screen: level, class, equipment, ailments, experience
// still missing, and the large face.
void DrawStatusPage(int32_t member);
// The values window of the status screen, equipment added to attack and defence.
void DrawStatusStats(float x, float y, int32_t member);
// Status 0: the normal icon; else the poison icon and the cannot-act icon side by side.
void DrawAilmentIcons(float x, float y, int32_t status);
// Status 0: the word for normal; else the poison word and the cannot-act word, 8 apart.
void DrawStatusText(float x, float y, int32_t status);
// The small arrow on row `index` of a list whose rows are `step` apart.
void DrawListArrow(float x, float y, float step, int32_t index);
// A party character's face; any other id draws nothing.
void DrawFace(float x, float y, int32_t id);

// Placement: when a map has loaded, each event cell runs the '$' commands of its script
// once, which put at most one object for that event on the cell. Flag guards in front of
// a placement leave the object out once a story flag is set.
#pragma once

#include <cstddef>
#include <cstdint>

// Placement codes of the script language.
enum PlacementCode : int32_t {
  kPlaceAutoEvent = 0,   // a run-once event that starts by itself
  kPlacePerson = 1,      // model, angle, mover
  kPlaceTrigger = 2,     // started by the idle leader on the cell
  kPlaceBlock = 3,       // top texture, side texture
  kPlaceExamined = 4,    // model
  kPlaceFlagGuard = 99,  // flag: the placement stops when it is set (or not a flag)
  kPlaceNothing = -1,    // the placement puts nothing on the cell
};

// Every event cell of the map, row by row from the +z edge and each row from the -x
// edge, runs its event's placement.
void EventPlaceAll();
// Reads '$' commands of the script from *position until one places an object or stops
// the placement.
void EventRunPlacement(float x, float z, int32_t event, int32_t* position, const char* script);
// Reads '$' commands from *position, passing the flag guards that `flags` let through,
// up to the code of the object they place (its arguments not read), or kPlaceNothing.
int32_t EventPlacementCode(int32_t* position, const char* script, const int32_t* flags);
// The guard's body: true when the placement may go on to the next '$'.
bool EventPlacementFlagGuard(int32_t* position, const char* script, const int32_t* flags);
// Whether a map's placements would put a run-once event on it under `flags`: its event
// layer of `cells` cells, and its scripts split into the 20 slots.
bool EventPlacesAutoEvent(const int8_t* events, size_t cells, const char* slots, const int32_t* flags);

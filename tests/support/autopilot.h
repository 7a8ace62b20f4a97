// A player for whole-game tests: it drives the real program by keys alone, walking the
// leader by the shortest open way a whole step at a time, confirming messages, giving
// answers to choices and letting battles play under auto-battle. It reads the game's
// state to choose its keys, as a player reads the screen.
#pragma once

#include <functional>
#include <string>

#include "support/harness.h"

namespace test {

// The first cell on a shortest way from `from` to a cell for which `goal` holds, over
// the cells the field lets the leader enter; event cells other than goals are walked
// round where there is another way. `from` when it is a goal; -1 when none is reached.
int PathStep(int from, const std::function<bool(int cell)>& goal);

// The leader at rest on the field, taking keys, with no screen, event or battle running.
bool FieldAtRest();

class Autopilot {
 public:
  explicit Autopilot(GameHarness& game) : game_(game) {}

  // Frames with keys a player would give, until `done` holds: messages, notices, battle
  // messages and the ending's last picture confirmed, choices given `answer`. False
  // when `limit` frames passed first.
  bool PlayUntil(const std::function<bool()>& done, int answer = 0, int limit = 20000);
  // Walks to a cell for which `goal` holds, planning again after every step and after
  // any battle on the way; auto-battle is switched on first. False when stalled.
  bool WalkTo(const std::function<bool(int cell)>& goal);
  // Event `event` of the map: a touch trigger is walked onto; a person or an object is
  // walked up to and confirmed. Then plays until the field is at rest again or the
  // title is back.
  bool Trigger(int event, int answer = 0);
  // Through the field menu: save in `slot` (0 to 4), and back to the title.
  bool SaveAndQuit(int slot);
  // From the title: a new game, played through its opening; or the load of `slot`.
  bool NewGame();
  bool Load(int slot);

  // Holds A through every step, which keeps random battles away.
  bool calm = false;
  bool endingRollSeen = false;

 private:
  bool Tap(int key);
  bool Pick(int (*at)(), int want);
  GameHarness& game_;
};

// What a stalled run was doing: frame, map, leader's cell, live tasks.
std::string AutopilotReport(const GameHarness& game);

}  // namespace test

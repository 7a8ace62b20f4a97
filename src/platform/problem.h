// Why the file or device a failure is about was refused. Every failure that ends in a
// message box also writes one line to standard error, "milva: <what>: <why>", so that a
// machine with no window manager to show the box, or a script, still learns which file
// or device was wrong and how.
#pragma once

#include <string_view>

namespace plat {

// Keeps `why` about `what` (a file's name or a device) as the reason of the failure under
// way; a later note replaces it, so the deepest code that knows the reason notes it last.
void NoteProblem(std::string_view what, std::string_view why);
// The same with the system's own message for the error number.
void NoteSystemProblem(std::string_view what, int error);
// Whether a reason is kept.
bool ProblemNoted();
void ClearProblem();
// Writes the one line of a failure: the noted reason, or `what: why` when none was noted
// since the last clear; then forgets the note.
void ReportProblem(std::string_view what, std::string_view why);

}  // namespace plat

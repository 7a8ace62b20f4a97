#include "platform/problem.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace plat {
namespace {

std::string g_problem;

}  // namespace

void NoteProblem(std::string_view what, std::string_view why) {
  g_problem.assign(what);
  g_problem += ": ";
  g_problem += why;
}

void NoteSystemProblem(std::string_view what, int error) { NoteProblem(what, std::strerror(error)); }

bool ProblemNoted() { return !g_problem.empty(); }

void ClearProblem() { g_problem.clear(); }

void ReportProblem(std::string_view what, std::string_view why) {
  if (g_problem.empty()) NoteProblem(what, why);
  // One write, so the line cannot be split by anything else the process prints.
  const std::string line = "milva: " + g_problem + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
  g_problem.clear();
}

}  // namespace plat

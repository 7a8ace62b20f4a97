#include "support/content_tools.h"

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "support/files.h"
#include "support/harness.h"

namespace test {

std::string GeneratedPath(const std::string& sub) {
  return (std::filesystem::path(BuildDir()) / "generated" / sub).string();
}

std::vector<std::string> BuildSources(const std::string& sub) {
  std::ifstream in(GeneratedPath(sub + "/sources.list"));
  std::vector<std::string> files;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty()) files.push_back(line);
  }
  return files;
}

ToolRun RunCommand(const std::string& command) {
  ToolRun run;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, got);
  const int status = ::pclose(pipe);
  if (status != -1 && WIFEXITED(status)) run.status = WEXITSTATUS(status);
  return run;
}

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

}  // namespace test

// Helpers for the tests of the content tools: where the sources and the built files
// are, running a tool and comparing what two runs wrote.
#pragma once

#include <string>
#include <vector>

namespace test {

// The source files the build fed to a content tool, as listed in
// generated/<sub>/sources.list (sub is "models" or "sounds").
std::vector<std::string> BuildSources(const std::string& sub);
// A file or folder under the build tree's generated/ folder.
std::string GeneratedPath(const std::string& sub);

struct ToolRun {
  int status = -1;     // exit status, -1 when the tool did not run to an exit
  std::string output;  // standard output and error together
};
// Runs a command line through the shell.
ToolRun RunCommand(const std::string& command);

// Quotes a path for the shell.
std::string ShellQuote(const std::string& text);

}  // namespace test

// Helpers for the tests of the content tools: where the sources and the built files
// are, running a tool and comparing what two runs wrote.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace test {

// The source files the build fed to a content tool, as listed in
// generated/<sub>/sources.list (sub is "models" or "sounds").
std::vector<std::string> BuildSources(const std::string& sub);
// A file or folder under the build tree's generated/ folder.
std::string GeneratedPath(const std::string& sub);
// A built tool, e.g. "meshgen".
std::string ToolPath(const std::string& name);

struct ToolRun {
  int status = -1;     // exit status, -1 when the tool did not run to an exit
  std::string output;  // standard output and error together
};
// Runs a command line through the shell.
ToolRun RunCommand(const std::string& command);

// Quotes a path for the shell.
std::string ShellQuote(const std::string& text);

// A test of a content tool (`tool`, fed from generated/<sub>/sources.list), with a
// fresh folder that is removed afterwards.
class ContentToolTest : public ::testing::Test {
 protected:
  ContentToolTest(std::string tool, std::string sub) : tool_(std::move(tool)), sub_(std::move(sub)) {}
  void SetUp() override;
  void TearDown() override;
  // Runs the tool: `tool --out <out> <inputs...>`.
  ToolRun Run(const std::string& out, const std::vector<std::string>& inputs) const;
  // Writes a file into the folder and returns its path.
  std::string WriteText(const std::string& name, const std::string& text) const;
  // The build's sources without those whose file name starts with `prefix`, then
  // `extra` if given.
  std::vector<std::string> Without(const std::string& prefix, const std::string& extra) const;

  std::string dir_;
  std::vector<std::string> sources_;

 private:
  std::string tool_, sub_;
};

}  // namespace test

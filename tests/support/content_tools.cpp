#include "support/content_tools.h"

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "support/files.h"
#include "support/harness.h"

namespace test {

std::string GeneratedPath(const std::string& sub) {
  return (std::filesystem::path(BuildDataDir()) / "generated" / sub).string();
}

std::string ToolPath(const std::string& name) {
  return (std::filesystem::path(BuildDataDir()) / "tools" / name / name).string();
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

void ContentToolTest::SetUp() {
  dir_ = MakeTempDir();
  ASSERT_FALSE(dir_.empty());
  sources_ = BuildSources(sub_);
  ASSERT_FALSE(sources_.empty());
}

void ContentToolTest::TearDown() {
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

ToolRun ContentToolTest::Run(const std::string& out, const std::vector<std::string>& inputs) const {
  std::string command = ShellQuote(ToolPath(tool_)) + " --out " + ShellQuote(out);
  for (const std::string& in : inputs) command += " " + ShellQuote(in);
  return RunCommand(command);
}

std::string ContentToolTest::WriteText(const std::string& name, const std::string& text) const {
  const std::string path = dir_ + "/" + name;
  WriteFile(path, Bytes(text.begin(), text.end()));
  return path;
}

std::vector<std::string> ContentToolTest::Without(const std::string& prefix, const std::string& extra) const {
  std::vector<std::string> kept;
  for (const std::string& s : sources_) {
    if (std::filesystem::path(s).filename().string().rfind(prefix, 0) != 0) kept.push_back(s);
  }
  if (!extra.empty()) kept.push_back(extra);
  return kept;
}

}  // namespace test

#include "shell_run.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace zelkor::test {

namespace {

std::string shell_quoted(const std::string& word) {
  std::string out = "'";
  for (char c : word) {
    out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return out + "'";
}

std::set<std::string> lines(const std::string& text) {
  std::set<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) {
      out.insert(line);
    }
  }
  return out;
}

} // namespace

ScratchFile::ScratchFile(const std::string& name, const std::string& text)
    : path_(testing::TempDir() + std::to_string(getpid()) + "-" + name) {
  std::ofstream(path_) << text;
}

ScratchFile::~ScratchFile() {
  std::filesystem::remove(path_);
}

Run run(const std::vector<std::string>& argv) {
  std::string command;
  for (const auto& word : argv) {
    command += shell_quoted(word) + " ";
  }
  command += "2>/dev/null";
  Run result{-1, {}};
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    return result;
  }
  char buffer[4096];
  while (auto n = fread(buffer, 1, sizeof buffer, pipe)) {
    result.out.append(buffer, n);
  }
  int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::set<std::string> offered(const std::string& shell, const std::string& script,
                              const std::string& line) {
  auto driver = std::string(COMPLETION_DRIVERS) + "/" + shell + "_complete.";
  if (shell == "zsh") {
    return lines(run({"zsh", driver + "zsh", script, line, ZSH_COMPLETION_DUMP}).out);
  }
  return lines(run({driver + "sh", script, line}).out);
}

} // namespace zelkor::test

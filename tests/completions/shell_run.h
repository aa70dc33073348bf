#pragma once
// Running shells and the completion drivers beside this file as child processes.

#include <set>
#include <string>
#include <vector>

namespace zelkor::test {

struct Run {
  int status;
  std::string out;
};

// Runs `argv` (standard error discarded) and collects its standard output.
Run run(const std::vector<std::string>& argv);

// A file in the tests' temporary folder, its name made this process's own, removed with this.
class ScratchFile {
public:
  ScratchFile(const std::string& name, const std::string& text);
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  ~ScratchFile();
  [[nodiscard]] const std::string& path() const { return path_; }

private:
  std::string path_;
};

// What `shell` offers for `line` with the completion script at `script` loaded.
std::set<std::string> offered(const std::string& shell, const std::string& script,
                              const std::string& line);

} // namespace zelkor::test

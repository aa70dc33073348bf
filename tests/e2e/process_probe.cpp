#include "process_probe.h"

#include <csignal>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>

namespace zelkor::e2e {

bool eventually(const std::function<bool()>& done, std::chrono::milliseconds max) {
  const auto deadline = std::chrono::steady_clock::now() + max;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

bool catches_sigint(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  if (!std::getline(status, line) || line != "Name:\tzelkor") {
    return false;
  }
  while (std::getline(status, line)) {
    if (line.starts_with("SigCgt:")) {
      const unsigned long long caught = std::stoull(line.substr(7), nullptr, 16);
      return (caught & (1ULL << (SIGINT - 1))) != 0;
    }
  }
  return false;
}

long cpu_ticks(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  // The command name may hold spaces and parentheses; the fields after it do not.
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  long utime = 0;
  long stime = 0;
  // From the state (field 3) on: utime is field 14, stime field 15.
  for (int number = 3; number <= 15 && fields >> field; ++number) {
    if (number == 14) {
      utime = std::stol(field);
    } else if (number == 15) {
      stime = std::stol(field);
    }
  }
  return utime + stime;
}

} // namespace zelkor::e2e

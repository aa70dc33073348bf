// zelkor-sim: runs a program against a simulated board with the default firmware.
//   zelkor-sim [--topology NAME] [--extra-ttys N] [--slow MS] [--chunks N] [--silent]
//              [--pour N] -- PROGRAM [ARGS...]
// With --pour the CAN port sends nothing on its own; each SIGUSR1 to zelkor-sim then pours N
// numbered frames on it as fast as the program reads them (a throughput benchmark's source).
// Exits with the program's status; stdin, stdout and stderr are the program's own.

#include "board.h"

#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <getopt.h>
#include <optional>
#include <poll.h>
#include <string_view>
#include <sys/signalfd.h>
#include <unistd.h>
#include <utility>

namespace {

using zelkor::sim::Topology;

constexpr std::array<std::pair<std::string_view, Topology>, 7> topologies{{
    {"two_ports", Topology::two_ports},
    {"none", Topology::none},
    {"one_port", Topology::one_port},
    {"three_ports", Topology::three_ports},
    {"foreign_vendor", Topology::foreign_vendor},
    {"non_usb", Topology::non_usb},
    {"bad_vendor_id", Topology::bad_vendor_id},
}};

constexpr std::string_view usage =
    "usage: zelkor-sim [--topology NAME] [--extra-ttys N] [--slow MS] [--chunks N] [--silent]\n"
    "                  [--pour N] -- PROGRAM [ARGS...]\n"
    "topologies: two_ports none one_port three_ports foreign_vendor non_usb bad_vendor_id\n";

struct Options {
  zelkor::sim::BoardOptions board{.default_firmware = true};
  bool silent = false;
  int pour = 0; // frames per SIGUSR1; 0: no pouring
  std::vector<std::string> program;
};

std::optional<Topology> topology_named(std::string_view name) {
  for (const auto& [text, topology] : topologies) {
    if (text == name) {
      return topology;
    }
  }
  return std::nullopt;
}

std::optional<int> number(const char* text) {
  char* end = nullptr;
  long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < 0 || value > 100000) {
    return std::nullopt;
  }
  return static_cast<int>(value);
}

std::optional<Options> parse(int argc, char** argv) {
  static const std::array<option, 8> long_options{{
      {"topology", required_argument, nullptr, 't'},
      {"extra-ttys", required_argument, nullptr, 'x'},
      {"slow", required_argument, nullptr, 's'},
      {"chunks", required_argument, nullptr, 'c'},
      {"silent", no_argument, nullptr, 'q'},
      {"pour", required_argument, nullptr, 'p'},
      {"help", no_argument, nullptr, 'h'},
      {nullptr, 0, nullptr, 0},
  }};
  Options options;
  int opt = 0;
  while ((opt = getopt_long(argc, argv, "+", long_options.data(), nullptr)) != -1) {
    std::optional<int> value;
    switch (opt) {
    case 't': {
      auto topology = topology_named(optarg);
      if (!topology) {
        return std::nullopt;
      }
      options.board.topology = *topology;
      continue;
    }
    case 'q':
      options.silent = true;
      continue;
    case 'x':
    case 's':
    case 'c':
    case 'p':
      value = number(optarg);
      break;
    default:
      return std::nullopt;
    }
    if (!value) {
      return std::nullopt;
    }
    if (opt == 'x') {
      options.board.extra_ttys = *value;
    } else if (opt == 'p') {
      options.pour = *value;
    } else if (opt == 's') {
      options.board.style.pause = std::chrono::milliseconds(*value);
    } else {
      options.board.style.chunks = *value;
    }
  }
  options.program.assign(argv + optind, argv + argc);
  if (options.program.empty()) {
    return std::nullopt;
  }
  return options;
}

// Passes signals on until the program ends (SIGUSR1 pours frames instead); returns its status.
int run_to_end(zelkor::sim::Board& board, int pour, zelkor::sim::Child& child, int signals) {
  while (!child.wait_exit(std::chrono::milliseconds(0))) {
    pollfd ready{signals, POLLIN, 0};
    poll(&ready, 1, 50);
    signalfd_siginfo info{};
    while (read(signals, &info, sizeof info) == sizeof info) {
      if (info.ssi_signo == SIGUSR1) {
        board.pour(zelkor::sim::PortId::can, static_cast<std::size_t>(pour));
        continue;
      }
      // The terminal already sent Ctrl-C and its kin to the program itself.
      if (info.ssi_code != SI_KERNEL) {
        child.signal(static_cast<int>(info.ssi_signo));
      }
    }
  }
  return child.wait(std::chrono::milliseconds(0)).status;
}

int run(const Options& options, int signals) {
  try {
    zelkor::sim::Board board(options.board);
    if (options.silent) {
      board.set_silent(zelkor::sim::PortId::can, true);
      board.set_silent(zelkor::sim::PortId::terminal, true);
    }
    if (options.pour > 0) {
      board.stream(zelkor::sim::PortId::can, {}, std::chrono::milliseconds(0));
    }
    auto child = board.spawn(options.program, false);
    return run_to_end(board, options.pour, child, signals);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "zelkor-sim: %s\n", error.what());
    return 127;
  }
}

} // namespace

int main(int argc, char** argv) {
  auto options = parse(argc, argv);
  if (!options) {
    std::fputs(usage.data(), stderr);
    return 2;
  }
  // Signals for the program arrive here as data, on no thread of the board; blocked before the
  // board starts its threads so that none of them inherits a default disposition.
  sigset_t forwarded;
  sigemptyset(&forwarded);
  for (int number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
    sigaddset(&forwarded, number);
  }
  if (options->pour > 0) {
    sigaddset(&forwarded, SIGUSR1);
  }
  pthread_sigmask(SIG_BLOCK, &forwarded, nullptr);
  int signals = signalfd(-1, &forwarded, SFD_CLOEXEC | SFD_NONBLOCK);
  int status = run(*options, signals);
  close(signals);
  return status;
}

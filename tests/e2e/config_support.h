#pragma once
// `zelkor config` against a board: one run, or a run that expects exact output and may be
// repeated when the firmware thread was starved.

#include "support.h"

#include <functional>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

namespace zelkor::e2e {

// `zelkor config ARGS...` under `board`.
inline Board::Result run_config(Board& board, Args args) {
  args.insert(args.begin(), "config");
  return zelkor(board, std::move(args));
}

// Runs `zelkor config ARGS...` against a fresh board set up by `script` until it prints
// `printed`, at most three times, and returns the last run with what crossed the terminal port
// (waiting for `sent`). The emulated firmware is a thread of this test process and its answer
// windows are 25 ms: on a loaded machine it can be starved now and then, which a fault in zelkor
// does not depend on. A repeated run says so on standard error.
inline Exchange config_exchange(const std::function<void(Board&)>& script, const Args& args,
                                const std::string& printed, const std::string& sent,
                                sim::BoardOptions options = {}) {
  Exchange last;
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (attempt > 0) {
      std::cerr << "[ retry    ] config " << joined(args) << ": attempt " << attempt
                << " printed \"" << last.result.out << "\"\n";
    }
    Board board(options);
    script(board);
    last.result = run_config(board, args);
    last.traffic = terminal_traffic(board, sent);
    if (last.result.out == printed) {
      break;
    }
  }
  return last;
}

// `zelkor config ARGS...` on `board` until it prints `printed`, at most three times, for a run
// that the board answers the same way every time (a read, a repeated set). Why it may be
// repeated: as for config_exchange.
inline Board::Result config_until(Board& board, const Args& args, const std::string& printed) {
  Board::Result result;
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (attempt > 0) {
      std::cerr << "[ retry    ] config " << joined(args) << ": attempt " << attempt
                << " printed \"" << result.out << "\"\n";
    }
    result = run_config(board, args);
    if (result.out == printed) {
      break;
    }
  }
  return result;
}

// One answer per exact command.
using Script = std::vector<std::pair<std::string, Reply>>;

inline std::function<void(Board&)> answering(Script script) {
  return [script = std::move(script)](Board& board) {
    for (const auto& [command, reply] : script) {
      board.answer(PortId::terminal, command, reply);
    }
  };
}

} // namespace zelkor::e2e

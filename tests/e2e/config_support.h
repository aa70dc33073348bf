#pragma once
// Boards that answer `config`'s exact commands.

#include "support.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace zelkor::e2e {

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

#include "cmds/config_import.h"

#include <unistd.h>

#include <string_view>
#include <vector>

#include <fmt/format.h>

#include "cmds/config.h"
#include "cmds/config_json.h"
#include "cmds/config_text.h"
#include "utils/chunk.h"
#include "utils/file.h"
#include "utils/zlkr.h"

namespace zelkor::cmds::config {
namespace {

constexpr std::string_view terminal = "terminal";
constexpr std::string_view standard_input = "-";
constexpr std::uint64_t listing_truncate = 1; // the listing's last line break

std::expected<std::string, std::error_code> read_capped(const std::string& file) {
  if (file == standard_input) {
    return utils::file::read_capped(STDIN_FILENO, max_document_bytes);
  }
  auto fd = utils::file::open_for_reading(file);
  if (!fd) {
    return std::unexpected(fd.error());
  }
  return utils::file::read_capped(fd->get(), max_document_bytes);
}

// The document, at most one byte past the size limit (which parse_document refuses).
std::expected<std::string, std::string> read_document(const std::string& file) {
  auto text = read_capped(file);
  if (!text) {
    const auto name =
        file == standard_input ? std::string("standard input") : utils::chunk::to_printable(file);
    return std::unexpected(fmt::format("Could not read {}: {}", name, text.error().message()));
  }
  return std::move(*text);
}

struct Change {
  const Wanted* wanted;
  std::string before;
};

// The values that differ from `listing`, or the line that names one the listing lacks: a
// value that cannot be read can be neither compared nor checked afterwards.
std::expected<std::vector<Change>, std::string> changes_from(const std::vector<Wanted>& wanted,
                                                             std::string_view listing) {
  std::vector<Change> changes;
  for (const Wanted& one : wanted) {
    auto current = listed_text(*one.info, listing);
    if (!current) {
      return std::unexpected(fmt::format("{}: {}", one.info->name, not_found));
    }
    if (*current != one.text) {
      changes.push_back({&one, std::move(*current)});
    }
  }
  return changes;
}

// Sends the changes in order, printing each; stops at the first that fails, saying which went
// before it.
bool send(utils::serial::Port& port, const std::vector<Change>& changes, bool save,
          utils::output::Sink& out) {
  std::vector<std::string_view> done;
  for (const Change& change : changes) {
    const ParameterInfo& info = *change.wanted->info;
    const auto answer =
        utils::zlkr::talk(port, set_command(info.key, change.wanted->text), set_truncate);
    if (!answer) {
      out.print("{}: {}\n", info.name, utils::zlkr::message(answer.error()));
      out.line(set_before_line(done, save));
      return false;
    }
    out.line(change_line(info.name, change.before, change.wanted->text));
    done.push_back(info.name);
  }
  return true;
}

// Every imported value against the listing read again; prints each that did not take.
bool all_took(const std::vector<Wanted>& wanted, std::string_view listing,
              utils::output::Sink& out) {
  bool took = true;
  for (const Wanted& one : wanted) {
    const auto now = listed_text(*one.info, listing);
    if (now != one.text) {
      out.line(mismatch_line(one.info->name, one.text, now));
      took = false;
    }
  }
  return took;
}

std::uint8_t apply(utils::serial::Port& port, const std::vector<Wanted>& wanted, bool save,
                   utils::output::Sink& out) {
  const auto listing = utils::zlkr::talk(port, listing_command, listing_truncate);
  if (!listing) {
    out.line(utils::zlkr::message(listing.error()));
    return 1;
  }
  const auto changes = changes_from(wanted, *listing);
  if (!changes) {
    out.line(changes.error());
    return 1;
  }
  if (!send(port, *changes, save, out)) {
    return 1;
  }
  // Its answer is read so that it cannot run into the listing read after it.
  const bool saving = save && !changes->empty();
  if (saving) {
    if (const auto saved = utils::zlkr::talk(port, save_command, listing_truncate); !saved) {
      out.print("Not saved: {}\n", utils::zlkr::message(saved.error()));
      return 1;
    }
  }
  const auto after = utils::zlkr::talk(port, listing_command, listing_truncate);
  if (!after) {
    out.line(utils::zlkr::message(after.error()));
    return 1;
  }
  const bool took = all_took(wanted, *after, out);
  out.line(summary_line(changes->size(), wanted.size() - changes->size(), saving));
  return took ? 0 : 1;
}

} // namespace

std::uint8_t import_document(const std::string& file, std::optional<std::uint8_t> number, bool save,
                             utils::output::Sink& out) {
  const auto document = read_document(file);
  if (!document) {
    out.line(document.error());
    return 1;
  }
  const auto wanted = parse_document(*document);
  if (!wanted) {
    out.line(wanted.error());
    return 1;
  }
  if (number) {
    if (const auto selected = select(*number); !selected) {
      out.line(selected.error());
      return 1;
    }
  }
  // One claim for the rest: nothing else can change the configuration between the first
  // listing and the last.
  auto port = utils::zlkr::claim_kind(terminal, listing_timeout_ms);
  if (!port) {
    out.line(utils::zlkr::message(port.error()));
    return 1;
  }
  return apply(*port, *wanted, save, out);
}

} // namespace zelkor::cmds::config

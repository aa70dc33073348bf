#include "cli/agreement.h"

#include <algorithm>
#include <variant>
#include <vector>

#include <fmt/format.h>

#include "cli/scan.h"

namespace zelkor::cli {
namespace {

struct Answered {};            // help or version
using Refused = std::string;   // the error
using Parsed = std::monostate; // on to a handler
using Verdict = std::variant<Parsed, Answered, Refused>;

// What CLI11 makes of `words` (in typed order).
Verdict cli11_verdict(Tree& tree, std::vector<std::string> words) {
  std::ranges::reverse(words); // CLI11 takes the words from the back
  try {
    tree.root().parse(words);
  } catch (const CLI::CallForHelp&) {
    return Answered{};
  } catch (const CLI::CallForAllHelp&) {
    return Answered{};
  } catch (const CLI::CallForVersion&) {
    return Answered{};
  } catch (const CLI::ParseError& error) {
    return Refused(error.what());
  }
  return Parsed{};
}

// A word that looks like an option, after a "--".
bool option_after_end(std::span<const char* const> args) {
  auto end = std::ranges::find_if(args, [](std::string_view arg) { return arg == "--"; });
  if (end == args.end()) {
    return false;
  }
  return std::any_of(std::next(end), args.end(),
                     [](std::string_view arg) { return arg.size() > 1 && arg.starts_with('-'); });
}

} // namespace

std::optional<std::string> disagreement(Tree& tree, std::span<const char* const> args) {
  if (option_after_end(args)) {
    return std::nullopt;
  }
  const Verdict theirs = cli11_verdict(tree, std::vector<std::string>(args.begin(), args.end()));
  if (std::holds_alternative<Answered>(theirs)) {
    return std::nullopt;
  }
  const Scanned scanned = scan(tree, args);
  const Verdict ours = scanned.problem ? Verdict(Refused(scanned.problem->message))
                                       : cli11_verdict(tree, scanned.words);
  if (std::holds_alternative<Answered>(ours)) {
    return std::nullopt; // help or version won over what follows it, by design
  }
  const auto* our_refusal = std::get_if<Refused>(&ours);
  const auto* their_refusal = std::get_if<Refused>(&theirs);
  if ((our_refusal == nullptr) == (their_refusal == nullptr)) {
    return std::nullopt;
  }
  return our_refusal != nullptr
             ? fmt::format("the scan refuses ({}) what CLI11 lets through", *our_refusal)
             : fmt::format("CLI11 refuses ({}) what the scan lets through", *their_refusal);
}

} // namespace zelkor::cli

#include "sections.h"

#include <algorithm>
#include <ranges>
#include <vector>

#include <fmt/format.h>

#include "cmds/config.h"
#include "cmds/config_json.h"
#include "cmds/config_text.h"
#include "roff.h"
#include "utils/firmware.h"

namespace zelkor::man {

namespace {

std::string entry(std::string_view tag, std::string_view text) {
  return fmt::format(".TP\n{}\n{}", tag, paragraphs(text));
}

// The keys of the document `config export` prints and `config import` applies, from the
// parameter table the program reads and writes them by.
std::string json_document(std::string_view command) {
  auto key = [](std::string_view name) { return fmt::format(".B \"{}\"", escape(name)); };
  std::string text =
      ".SH \"JSON DOCUMENT\"\n" +
      paragraphs(fmt::format(
          "`{0} config show --json` prints the user configuration as one JSON object on one "
          "line; `{0} config export` prints the same object with \"format\" first, and `{0} "
          "config import FILE` applies such a document. A read with --json prints the one key, "
          "and `{0} raw devices --json` prints the keys \"can\" and \"terminal\" with the two "
          "device paths. The keys, in this order:",
          command)) +
      entry(key("format"), "1. Only in an exported document; optional on import.") +
      entry(key(cmds::config::selection_key),
            fmt::format("The selected user configuration, {}. Ignored on import: -n selects.",
                        cmds::config::describe(cmds::config::Type::whole)));
  for (const auto& info : cmds::config::parameters) {
    if (info.type != cmds::config::Type::none) {
      text += entry(key(info.name), fmt::format("{}.", cmds::config::describe(info.type)));
    }
  }
  return text +
         paragraphs(
             "A value the board lists that does not fit its kind is printed as its text, and a "
             "parameter the board does not list as null. On import, null leaves a parameter as "
             "it is; any other key, a value of the wrong kind, a document that is not one JSON "
             "object or is larger than 64 KiB is refused before anything is sent. Only values "
             "that differ are sent; each is printed as \"startup-timer: 10 -> 45\", then a "
             "summary such as \"3 changed, 8 unchanged, saved\" (changed and unchanged count "
             "the parameters the document gives a value). A value that reads back different "
             "is printed as \"startup-timer: set 45, reads 10\" and the status is 1.");
}

std::string exit_status() {
  return ".SH \"EXIT STATUS\"\n" +
         entry(".B 0", "Success, including help, version and completion output.") +
         entry(".B 1",
               "The command failed; the reason is printed on standard output. Also a command "
               "line that is not valid (the message goes to standard error) and output that "
               "could not be written.");
}

std::string permissions(std::string_view command, const Files& files) {
  return ".SH PERMISSIONS\n" +
         paragraphs(fmt::format(
             "{0} needs read and write access to the microcontroller's two serial ports. The "
             "udev rule {1} grants it to the user logged in at the machine and to the members "
             "of the dialout group, so {0} runs without sudo. A user who logs in over the "
             "network needs the group: `sudo usermod -aG dialout USER`, then a new login.\n\n"
             "The rule also tells ModemManager to leave the ports alone: it would otherwise "
             "probe them with AT commands for seconds after every plug-in and after the "
             "restart into the bootloader, which can break an update.\n\n"
             "The package applies the rule at once. After installing it by hand, apply it "
             "without unplugging the board: `sudo udevadm control --reload && sudo udevadm "
             "trigger --action=change --subsystem-match=tty`.",
             command, files.udev_rule));
}

std::string files_section(std::string_view command, const Files& files) {
  auto path = [](std::string_view p) { return fmt::format(".I {}", escape(p)); };
  return ".SH FILES\n" +
         entry(path(files.udev_rule),
               fmt::format("The udev rule for the tty ports of USB device {:04x}:{:04x}: {}.",
                           utils::firmware::vendor_id, utils::firmware::product_id,
                           udev_settings(files.udev_rule_text))) +
         entry(path("/dev/ttyACM*"),
               fmt::format("The microcontroller's ports, usually /dev/ttyACM0 (CAN interface) "
                           "and /dev/ttyACM1 (terminal interface). {} finds them through udev "
                           "at every run, by their USB identity; there is no configuration "
                           "file.",
                           command)) +
         entry(path(files.bash_completion), "Completion script for bash.") +
         entry(path(files.zsh_completion), "Completion script for zsh.") +
         entry(path(files.fish_completion),
               fmt::format("Completion script for fish. Each is what `{} --gen-completions "
                           "SHELL` prints.",
                           command));
}

} // namespace

std::string udev_settings(std::string_view rules) {
  std::vector<std::string_view> settings;
  for (const auto line : std::views::split(rules, '\n')) {
    const std::string_view text(line.begin(), line.end());
    if (text.starts_with('#')) {
      continue;
    }
    for (const auto key : std::views::split(text, ',')) {
      std::string_view pair(key.begin(), key.end());
      pair.remove_prefix(std::min(pair.find_first_not_of(' '), pair.size()));
      const bool match = pair.contains("==") || pair.contains("!=");
      if (!pair.empty() && !match) {
        settings.push_back(pair);
      }
    }
  }
  return fmt::format("{}", fmt::join(settings, ", "));
}

std::string fixed_sections(std::string_view command, const Files& files) {
  return json_document(command) + exit_status() + permissions(command, files) +
         files_section(command, files) +
         ".SH \"SEE ALSO\"\n.BR udev (7),\n.BR udevadm (8),\n.BR usermod (8)\n";
}

} // namespace zelkor::man

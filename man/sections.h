#pragma once
// The parts of the manual page that no command tree holds: the JSON document, exit statuses,
// permissions, files.

#include <string>
#include <string_view>

#include "page.h"

namespace zelkor::man {

// Follows the top level's own options.
inline constexpr std::string_view every_level_options =
    "Every subcommand takes the help and version options as well, e.g. `zelkor raw write "
    "--help`; -h gives a shorter help than --help.";

// JSON DOCUMENT, EXIT STATUS, PERMISSIONS, FILES and SEE ALSO, for the program named `command`.
std::string fixed_sections(std::string_view command, const Files& files);

// What the udev rules in `rules` set, as they set it: their assignments (`GROUP="dialout"`),
// without their matches (`SUBSYSTEM=="tty"`), comments and blank lines, joined by ", ".
std::string udev_settings(std::string_view rules);

} // namespace zelkor::man

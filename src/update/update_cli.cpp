#include "update/update_cli.h"

namespace zelkor::update {

Cli::Cli(cli::Tree& tree) {
  update_ = &tree.add_command(tree.root(), std::string(command),
                              "Update to a new microcontroller firmware version",
                              "Update to a new microcontroller firmware version.\n\n"
                              "The latest firmware binaries are available at: "
                              "https://zelkor.example/firmware\n\n"
                              "Example: `zelkor update Zelkor_v3.1.2.1.bin`");
  tree.paths(update_->add_option("input", input_, "Path to firmware update binary image"))
      ->required();
}

std::optional<Options> Cli::options() const {
  if (!update_->parsed()) {
    return std::nullopt;
  }
  return Options{.input = std::filesystem::path(input_)};
}

} // namespace zelkor::update

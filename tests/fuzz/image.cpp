// The image checks: any bytes read back whole or refused with a message, any path printable.

#include <FuzzedDataProvider.h>

#include <sys/mman.h>
#include <unistd.h>

#include <string>

#include "check.h"
#include "update/image.h"
#include "update/update_text.h"
#include "utils/chunk.h"
#include "utils/unique_fd.h"

using zelkor::fuzz::require;
namespace update = zelkor::update;

namespace {

void check_texts(const std::filesystem::path& path, std::uint64_t size) {
  require(zelkor::utils::chunk::is_utf8(update::shown(path)), "a shown path is UTF-8");
  require(zelkor::utils::chunk::is_utf8(
              update::unreadable(path, std::make_error_code(std::errc::io_error))),
          "the read failure is UTF-8");
  auto refused = update::refusal(path, size);
  require(refused.has_value() == (size == 0 || size > update::max_image_size),
          "only empty and oversized images are refused");
}

void check_read(const std::string& bytes) {
  zelkor::utils::UniqueFd file{::memfd_create("image", MFD_CLOEXEC)};
  require(file.valid(), "memfd_create");
  require(::write(file.get(), bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()),
          "the image is written");
  auto image = update::read_image("/proc/self/fd/" + std::to_string(file.get()));
  if (bytes.empty()) {
    require(!image.has_value(), "an empty image is refused");
  } else {
    require(image.has_value() && *image == bytes, "an image is read whole");
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const auto claimed_size = input.ConsumeIntegral<std::uint64_t>();
  const std::string path = input.ConsumeRandomLengthString(256);
  check_texts(path, claimed_size);
  check_read(input.ConsumeRemainingBytesAsString());
  return 0;
}

// Reading the image from what a user may name: a pipe gives its bytes as the writer sends them.
#include "update/image.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

namespace zelkor::update {
namespace {

using namespace std::chrono_literals;

// `zelkor update <(curl ...)`: the image arrives in parts, with pauses between them. A read that
// stopped at the first pause would flash half an image, or refuse a good one.
TEST(ReadImage, FromAPipeWaitsForEveryPart) {
  int ends[2] = {-1, -1};
  ASSERT_EQ(::pipe(ends), 0);
  std::jthread writer([write_end = ends[1]] {
    for (const std::string part : {"first ", "second ", "third"}) {
      std::this_thread::sleep_for(50ms);
      ASSERT_EQ(::write(write_end, part.data(), part.size()), static_cast<ssize_t>(part.size()));
    }
    ::close(write_end);
  });
  const auto image = read_image("/proc/self/fd/" + std::to_string(ends[0]));
  writer.join();
  ::close(ends[0]);
  ASSERT_TRUE(image.has_value()) << image.error();
  EXPECT_EQ(*image, "first second third");
}

} // namespace
} // namespace zelkor::update

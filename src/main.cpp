#include <fmt/core.h>

int main() {
  fmt::print("Zelkor 1.0.1\n");
  return 0;
}

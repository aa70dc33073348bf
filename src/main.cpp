#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <span>

#include "app.h"

int main(int argc, char** argv) {
  auto status = zelkor::run(std::span<const char* const>(argv, static_cast<std::size_t>(argc)),
                            std::cout, std::cerr);
  std::cout.flush();
  std::exit(status);
}

// palorin-cli: renders, inspects, converts and scripts block pictures without
// a display. All the work is in palorin_cli_lib, which the tests call too.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  palorin::cli::Io io{std::cin, std::cout, std::cerr, ::isatty(STDOUT_FILENO) == 1};
  const int status = palorin::cli::Main(args, io);
  std::cout.flush();
  return status;
}

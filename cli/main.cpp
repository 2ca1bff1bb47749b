// palorin-cli: renders, inspects, converts and scripts block pictures without
// a display. All the work is in palorin_cli_lib, which the tests call too.
#include <unistd.h>

#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"

int main(int argc, char** argv) {
  // The last resort: every command reports its own failures, so whatever
  // arrives here is unforeseen; it still ends with a message and status 1,
  // never with an abort.
  try {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    palorin::cli::Io io{std::cin, std::cout, std::cerr, ::isatty(STDOUT_FILENO) == 1};
    const int status = palorin::cli::Main(args, io);
    std::cout.flush();
    return status;
  } catch (const std::exception& e) {
    std::cerr << "palorin-cli: " << e.what() << "\n";
  } catch (...) {
    std::cerr << "palorin-cli: unexpected failure\n";
  }
  return palorin::cli::kExitFailure;
}

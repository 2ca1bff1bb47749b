#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace palorin::cli {

// Exit statuses of the tool. Errors that the editor itself raises while a
// script runs (its error boxes) are part of the session, not failures.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // unreadable input, unwritable output, failed load
inline constexpr int kExitUsage = 2;    // bad arguments, a script line not understood

// The tool's streams: the script comes from `in` when none is named, images
// go to `out` when no output name is given.
struct Io {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  bool outIsTerminal = false;  // refuse to pour image bytes onto a terminal
};

// Runs the tool with its arguments (without the program name); returns the
// exit status.
int Main(const std::vector<std::string>& args, Io& io);

}  // namespace palorin::cli

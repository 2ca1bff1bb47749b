#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/cli.h"

namespace palorin::cli {

// One option a command accepts: "--name VALUE", "--name=VALUE" or, with a
// short letter, "-x VALUE"; flags take no value.
struct OptionSpec {
  std::string_view name;  // without the leading "--"
  char letter = 0;        // 0: no short form
  bool takesValue = false;
};

struct ParsedArgs {
  std::vector<std::pair<std::string, std::string>> options;  // name, value ("" for flags)
  std::vector<std::string> operands;
  bool help = false;

  bool Has(std::string_view name) const;
  std::optional<std::string> Value(std::string_view name) const;
};

// Parses a command's arguments; "-h"/"--help" is always accepted, "--" ends
// the options. On a bad argument prints the reason and a pointer to --help
// and returns nullopt.
std::optional<ParsedArgs> ParseArgs(std::string_view command, const std::vector<std::string>& args,
                                    const std::vector<OptionSpec>& specs, std::ostream& err);

// Prints "palorin-cli COMMAND: REASON" and the pointer to --help; returns
// kExitUsage.
int Usage(std::string_view command, const std::string& reason, Io& io);

// The value of option `name` as a whole number from `min` to `max`, or
// `fallback` when the option is not given. Prints the usage error
// "--NAME needs WHAT from MIN to MAX: TEXT" and returns nullopt otherwise.
std::optional<int> RangedOption(const ParsedArgs& parsed, std::string_view command,
                                std::string_view name, std::string_view what, int min, int max,
                                int fallback, Io& io);

}  // namespace palorin::cli

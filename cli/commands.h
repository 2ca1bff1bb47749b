#pragma once

#include <optional>
#include <string>
#include <string_view>
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

// The commands; `args` are the arguments after the command name.
int RunRender(const std::vector<std::string>& args, Io& io);
int RunInfo(const std::vector<std::string>& args, Io& io);
int RunConvert(const std::vector<std::string>& args, Io& io);
int RunPlay(const std::vector<std::string>& args, Io& io);

// "NAME" with `suffix` inserted before the extension of its file name (after
// the last '/'), or appended when it has none: ("a/pic.txt", "_2") gives
// "a/pic_2.txt".
std::string InsertBeforeExtension(const std::string& name, std::string_view suffix);

}  // namespace palorin::cli

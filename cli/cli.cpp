#include "cli/cli.h"

#include <ostream>

#include "cli/commands.h"

namespace palorin::cli {

namespace {

constexpr std::string_view kToolHelp =
    "Usage: palorin-cli COMMAND [OPTIONS] [ARGS]\n"
    "\n"
    "Renders, inspects, converts and scripts block pictures without a display,\n"
    "through the same code as the editor's windows.\n"
    "\n"
    "Commands:\n"
    "  render   draw block files into a BMP or PNG image\n"
    "  info     show the header and series state of block files\n"
    "  convert  save block files as a native file or a compatible series\n"
    "  play     run an editing session written as actions\n"
    "\n"
    "'palorin-cli COMMAND --help' describes each command.\n"
    "Exit status: 0 done, 1 a file could not be read or written, 2 bad arguments\n"
    "or a script line that is not understood.\n";

}  // namespace

bool ParsedArgs::Has(std::string_view name) const {
  for (const auto& [key, value] : options) {
    if (key == name) return true;
  }
  return false;
}

std::optional<std::string> ParsedArgs::Value(std::string_view name) const {
  for (const auto& [key, value] : options) {
    if (key == name) return value;
  }
  return std::nullopt;
}

std::optional<ParsedArgs> ParseArgs(std::string_view command, const std::vector<std::string>& args,
                                    const std::vector<OptionSpec>& specs, std::ostream& err) {
  ParsedArgs parsed;
  const auto fail = [&](const std::string& reason) {
    err << "palorin-cli " << command << ": " << reason << "\n"
        << "Try 'palorin-cli " << command << " --help'.\n";
    return std::nullopt;
  };
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      parsed.operands.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "-h" || arg == "--help") {
      parsed.help = true;
      continue;
    }
    const OptionSpec* option = nullptr;
    std::optional<std::string> inlineValue;
    if (arg.rfind("--", 0) == 0) {
      const auto eq = arg.find('=');
      const std::string_view name =
          std::string_view(arg).substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
      for (const OptionSpec& s : specs) {
        if (s.name == name) option = &s;
      }
      if (option != nullptr && eq != std::string::npos) inlineValue = arg.substr(eq + 1);
    } else if (arg.size() == 2) {
      for (const OptionSpec& s : specs) {
        if (s.letter != 0 && s.letter == arg[1]) option = &s;
      }
    }
    if (option == nullptr) return fail("unknown option '" + arg + "'");
    const std::string name(option->name);
    if (parsed.Has(name)) return fail("option --" + name + " given twice");
    if (!option->takesValue) {
      if (inlineValue) return fail("option --" + name + " takes no value");
      parsed.options.emplace_back(name, "");
      continue;
    }
    if (!inlineValue) {
      if (i + 1 >= args.size()) return fail("option '" + arg + "' needs a value");
      inlineValue = args[++i];
    }
    parsed.options.emplace_back(name, *inlineValue);
  }
  return parsed;
}

std::string InsertBeforeExtension(const std::string& name, std::string_view suffix) {
  const auto slash = name.rfind('/');
  const std::size_t fileStart = slash == std::string::npos ? 0 : slash + 1;
  const auto dot = name.rfind('.');
  // A leading dot names a hidden file, not an extension.
  if (dot == std::string::npos || dot <= fileStart) return name + std::string(suffix);
  return name.substr(0, dot) + std::string(suffix) + name.substr(dot);
}

int Main(const std::vector<std::string>& args, Io& io) {
  if (args.empty()) {
    io.err << kToolHelp;
    return kExitUsage;
  }
  const std::string& command = args[0];
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (command == "-h" || command == "--help") {
    io.out << kToolHelp;
    return kExitOk;
  }
  if (command == "help") {
    if (rest.empty()) {
      io.out << kToolHelp;
      return kExitOk;
    }
    return Main({rest[0], "--help"}, io);
  }
  if (command == "render") return RunRender(rest, io);
  if (command == "info") return RunInfo(rest, io);
  if (command == "convert") return RunConvert(rest, io);
  if (command == "play") return RunPlay(rest, io);
  io.err << "palorin-cli: unknown command '" << command << "'\n"
         << "Try 'palorin-cli --help'.\n";
  return kExitUsage;
}

}  // namespace palorin::cli

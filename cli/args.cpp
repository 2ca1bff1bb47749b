#include "cli/args.h"

#include <ostream>

#include "cli/script.h"

namespace palorin::cli {

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

int Usage(std::string_view command, const std::string& reason, Io& io) {
  io.err << "palorin-cli " << command << ": " << reason << "\n"
         << "Try 'palorin-cli " << command << " --help'.\n";
  return kExitUsage;
}

std::optional<int> RangedOption(const ParsedArgs& parsed, std::string_view command,
                                std::string_view name, std::string_view what, int min, int max,
                                int fallback, Io& io) {
  const std::optional<std::string> text = parsed.Value(name);
  if (!text) return fallback;
  int value = 0;
  if (!ParseDecimal(*text, value) || value < min || value > max) {
    Usage(command,
          "--" + std::string(name) + " needs " + std::string(what) + " from " +
              std::to_string(min) + " to " + std::to_string(max) + ": " + *text,
          io);
    return std::nullopt;
  }
  return value;
}

}  // namespace palorin::cli

#include "cli/cli.h"

#include <ostream>

#include "base/version.h"
#include "cli/commands.h"
#include "cli/help.h"

namespace palorin::cli {

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
  if (command == "--version") {
    io.out << "palorin-cli " << kVersion << "\n";
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
  if (command == "animate") return RunAnimate(rest, io);
  if (command == "link") return RunLink(rest, io);
  io.err << "palorin-cli: unknown command '" << command << "'\n"
         << "Try 'palorin-cli --help'.\n";
  return kExitUsage;
}

}  // namespace palorin::cli

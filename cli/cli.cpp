#include "cli/cli.h"

#include <ostream>

#include "base/version.h"
#include "cli/commands.h"
#include "cli/help.h"

namespace palorin::cli {

namespace {

int RunCommand(const std::vector<std::string>& args, Io& io) {
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
    return RunCommand({rest[0], "--help"}, io);
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

}  // namespace

int Main(const std::vector<std::string>& args, Io& io) {
  const int status = RunCommand(args, io);
  // What a command prints is its result: output that could not all be
  // written (a full disk, a closed pipe) is a failure, whichever write met
  // it. A command that failed already has said why.
  io.out.flush();
  if (!io.out && status == kExitOk) {
    io.err << "palorin-cli";
    if (!args.empty() && args[0].rfind('-', 0) != 0) io.err << " " << args[0];
    io.err << ": writing to standard output failed\n";
    return kExitFailure;
  }
  return status;
}

}  // namespace palorin::cli

// palorin-cli play: an editing session written as actions.
#include <fstream>
#include <memory>
#include <ostream>

#include "base/error.h"
#include "cli/args.h"
#include "cli/commands.h"
#include "cli/help.h"
#include "cli/load.h"
#include "cli/script.h"
#include "forms/state_line.h"
#include "render/bmp.h"

namespace palorin::cli {

int RunPlay(const std::vector<std::string>& args, Io& io) {
  const auto parsed = ParseArgs("play", args, {{"trace", 0, false}, {"state", 0, false}, {"bmp", 0, true}}, io.err);
  if (!parsed) return kExitUsage;
  if (parsed->help) {
    io.out << PlayHelp();
    return kExitOk;
  }
  if (parsed->operands.size() > 1) return Usage("play", "more than one SCRIPT given", io);
  const bool trace = parsed->Has("trace");
  const bool state = parsed->Has("state");
  const std::optional<std::string> bmp = parsed->Value("bmp");
  if (bmp && bmp->empty()) return Usage("play", "--bmp needs a file name", io);

  std::ifstream file;
  std::istream* script = &io.in;
  if (!parsed->operands.empty() && parsed->operands[0] != "-") {
    const std::string& name = parsed->operands[0];
    file.open(name, std::ios::binary);
    if (!file) {
      io.err << "palorin-cli play: cannot read " << name << "\n";
      return kExitFailure;
    }
    script = &file;
  }

  auto session = std::make_unique<Session>();
  std::string line;
  for (long lineNumber = 1; !session->Ended() && std::getline(*script, line); ++lineNumber) {
    const ParsedLine parsedLine = ParseLine(line);
    if (!parsedLine.error.empty()) {
      io.err << "palorin-cli play: line " << lineNumber << ": " << parsedLine.error << "\n";
      return kExitUsage;
    }
    if (!parsedLine.action) continue;
    const Outcome outcome = session->Apply(*parsedLine.action);
    if (!outcome.refusal.empty()) {
      io.err << "palorin-cli play: line " << lineNumber << ": " << outcome.refusal << "\n";
      return kExitUsage;
    }
    for (const std::string& box : outcome.errorBoxes) io.out << "error: " << box << "\n";
    if (trace) io.out << session->TraceLine() << "\n";
    if (state) io.out << "state: " << forms::StateLine(session->form1(), session->form2()) << "\n";
    // Each action's lines go out before the next is read, so that another
    // program can drive the session line by line through a pipe.
    if (trace || state) io.out.flush();
  }
  if (script->bad()) {
    io.err << "palorin-cli play: reading the script failed\n";
    return kExitFailure;
  }
  if (!trace) io.out << session->TraceLine() << "\n";

  if (bmp) {
    try {
      WriteOutputFile(*bmp, render::EncodeBmp(session->raster()));
    } catch (const Error& e) {
      io.err << "palorin-cli play: " << e.what() << "\n";
      return kExitFailure;
    }
  }
  return kExitOk;
}

}  // namespace palorin::cli

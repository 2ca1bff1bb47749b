#include "fuzz/play_driver.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "cli/script.h"
#include "cli/session.h"

namespace palorin::fuzz {

namespace {

// The private folder every name of a script lands in, made once per run.
const std::string& Sandbox() {
  static const std::string folder = [] {
    std::string name = "/tmp/palorin-play-fuzz-XXXXXX";
    if (::mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    std::ofstream(name + "/picture.pln", std::ios::binary)
        << std::string(70, '=') << "\r\n[Var]:PLN_001\r\n[Writing OS]:Win32\r\n[Count]:    1\r\n"
        << "[DSection]\r\n10201\r\n30402\r\n****\r\n";
    ::mkdir((name + "/folder").c_str(), 0700);
    ::mkfifo((name + "/pipe").c_str(), 0600);
    return name;
  }();
  return folder;
}

// A script's file name mapped into the sandbox: the kind of file by the
// name's first letter, the extension (pln, txt, bmp or none) kept, and the
// base name folded into a few names so the folder stays small.
std::string SandboxName(const std::string& text) {
  const std::string& dir = Sandbox();
  const char first = text.empty() ? '\0' : text[0];
  switch (first) {
    case 'p':
      return dir + "/pipe";
    case 'f':
      return dir + "/folder";
    case 'm':
      return dir + "/missing/picture.pln";
    case 'P':
      return dir + "/picture.pln";
    case '\0':
      return dir + "/";
    default:
      break;
  }
  std::string ext;
  for (const char* e : {".pln", ".txt", ".bmp", ".PLN", ".Txt"}) {
    const std::string_view suffix(e);
    if (text.size() >= suffix.size() &&
        text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0) {
      ext = e;
    }
  }
  const auto slot = static_cast<unsigned char>(first) % 4;
  return dir + "/s" + std::to_string(slot) + ext;
}

std::string CheckInvariants(const cli::Session& session, const cli::Outcome& outcome) {
  // LogPos and LastIndex may stand anywhere (typed step counts): every read
  // through them is checked, which the sanitizers watch.
  const core::PlacementLog& log = session.form1().scene.log;
  const forms::TForm2& form2 = session.form2();
  if (log.AfterStep != core::kNextFree && log.AfterStep != core::kLastShown) return "AfterStep";
  if (form2.LoadPos() < 0 || form2.LoadPos() > core::kLogSlots) return "LoadPos outside the log";
  if (form2.ReadParts() < 0 || form2.ReadParts() > fileio::kMaxParts) return "ReadParts";
  if (form2.WriteParts() < 0 || form2.WriteParts() > fileio::kMaxParts) return "WriteParts";
  for (std::int32_t k = 1; k <= fileio::kMaxParts; ++k) {
    for (const std::int32_t mark : {form2.PartLoaded()[k], form2.PartSaved()[k]}) {
      if (mark != 0 && mark != fileio::kMarked) return "part mark out of range";
    }
  }
  for (const std::string& box : outcome.errorBoxes) {
    if (box.empty()) return "an empty error box";
  }
  return {};
}

}  // namespace

PlayReport PlayThroughSession(std::string_view bytes) {
  PlayReport report;
  cli::Session session;
  std::size_t begin = 0;
  for (int line = 0; line < kMaxPlayLines && begin <= bytes.size() && !session.Ended(); ++line) {
    std::size_t end = bytes.find('\n', begin);
    if (end == std::string_view::npos) end = bytes.size();
    const cli::ParsedLine parsed = cli::ParseLine(bytes.substr(begin, end - begin));
    begin = end + 1;
    if (!parsed.error.empty()) {
      ++report.refusals;
      continue;
    }
    if (!parsed.action) continue;
    cli::Action action = *parsed.action;
    if (action.kind == cli::Action::Kind::Load || action.kind == cli::Action::Kind::Save) {
      action.text = SandboxName(action.text);
    }
    for (std::string& name : action.names) name = SandboxName(name);
    const cli::Outcome outcome = session.Apply(action);
    if (!outcome.refusal.empty()) {
      ++report.refusals;
      continue;
    }
    ++report.actions;
    report.errorBoxes += static_cast<int>(outcome.errorBoxes.size());
    report.violation = CheckInvariants(session, outcome);
    if (!report.violation.empty()) break;
    (void)session.TraceLine();
  }
  return report;
}

}  // namespace palorin::fuzz

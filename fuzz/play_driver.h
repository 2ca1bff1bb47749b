#pragma once

#include <string>
#include <string_view>

namespace palorin::fuzz {

// Plays `bytes` as a play script, line by line as palorin-cli play reads it,
// through a fresh session of both windows. File names are mapped into a
// private folder that holds a block file, a folder, a named pipe and a
// missing folder, so the fuzzer saves and loads for real without touching
// anything else. At most kMaxPlayLines lines run.
inline constexpr int kMaxPlayLines = 256;

struct PlayReport {
  int actions = 0;   // actions run (parsed, not refused)
  int refusals = 0;  // lines not understood or refused
  int errorBoxes = 0;
  // Empty unless an invariant broke after some action: a load position
  // outside the log, a part count or mark out of range, an empty error box.
  std::string violation;
};

PlayReport PlayThroughSession(std::string_view bytes);

}  // namespace palorin::fuzz

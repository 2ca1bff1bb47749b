#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace palorin::fuzz {

// Splits `bytes` into files at form feeds (at most kMaxFiles of them) and
// loads each in turn through the file window's execute button into one editor
// that already shows a few blocks, so a file can complete a part series that
// the files before it began.
inline constexpr std::size_t kMaxFiles = 8;

struct LoadReport {
  std::vector<std::string> errorBoxes;  // error box texts, one per failed load
  int loads = 0;
  bool completed = false;  // the last load showed the whole picture
  int logPos = 0;
  int lastIndex = 0;
  // Empty unless an invariant broke: a position outside the log, a part count
  // or mark out of range, the window shown after a completed load (or hidden
  // after none), or an error text that is none of the loader's.
  std::string violation;
};

LoadReport LoadThroughFileWindow(std::string_view bytes);

}  // namespace palorin::fuzz

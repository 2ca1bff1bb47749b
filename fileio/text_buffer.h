#pragma once

#include <string>
#include <vector>

namespace palorin::fileio {

// The file window's hidden plain-text line buffer (to be completed).
class TextBuffer {
 public:
  std::vector<std::string> Lines;
};

}  // namespace palorin::fileio

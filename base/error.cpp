#include "base/error.h"

namespace palorin {

std::string FormatMessage(std::string_view pattern, std::string_view value) {
  std::string out(pattern);
  if (const auto at = out.find("%s"); at != std::string::npos) {
    out.replace(at, 2, value);
  }
  return out;
}

}  // namespace palorin

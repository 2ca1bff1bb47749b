#include "cli/escape.h"

namespace palorin::cli {

std::string HexEscaped(std::string_view text, std::string_view escaped) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f && escaped.find(c) == std::string_view::npos) {
      out += c;
    } else {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xf];
    }
  }
  return out;
}

}  // namespace palorin::cli

#include "base/int_parse.h"

#include <string>

#include "base/error.h"

namespace palorin {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool TryStrToInt(std::string_view text, std::int32_t& out) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i == text.size()) return false;

  if (text[i] == '$') {
    ++i;
    const std::size_t digits = text.size() - i;
    if (digits == 0 || digits > 8) return false;
    std::uint32_t value = 0;
    for (; i < text.size(); ++i) {
      const int d = HexDigit(text[i]);
      if (d < 0) return false;
      value = (value << 4) | static_cast<std::uint32_t>(d);
    }
    out = static_cast<std::int32_t>(value);  // two's complement since C++20
    return true;
  }

  bool negative = false;
  if (text[i] == '+' || text[i] == '-') {
    negative = text[i] == '-';
    ++i;
  }
  if (i == text.size()) return false;
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
    if (value > 2147483647) return false;
  }
  out = static_cast<std::int32_t>(negative ? -value : value);
  return true;
}

std::int32_t StrToInt(std::string_view text) {
  std::int32_t value = 0;
  if (!TryStrToInt(text, value)) {
    throw Error(FormatMessage(messages::kNotAnInteger, text));
  }
  return value;
}

}  // namespace palorin

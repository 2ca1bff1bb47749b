#pragma once

#include <cstdint>
#include <string_view>

namespace palorin {

// The one integer rule for every number typed into a box or read from a file:
// leading spaces are skipped; then either an optional '+' or '-' and decimal
// digits, or '$' and one to eight hexadecimal digits (no sign; the 32 bits are
// taken as a signed value, so "$FFFFFFFF" is -1). Anything else, an empty
// text, a trailing blank, or a decimal value beyond +-2147483647 throws
// palorin::Error with "'<text>' は整数ではありません".
std::int32_t StrToInt(std::string_view text);

// The same rule without throwing; false where StrToInt would throw.
bool TryStrToInt(std::string_view text, std::int32_t& out);

}  // namespace palorin

#pragma once

#include <string>
#include <string_view>

namespace palorin::cli {

// Bytes as the tool prints them: printable ASCII as is, except the
// characters in `escaped`, and everything else as \xHH, so that a control byte
// or a binary header is visible and cannot garble the output.
std::string HexEscaped(std::string_view text, std::string_view escaped);

// A file's own texts (tags, part texts) in a report: blanks escaped too.
inline std::string Printable(std::string_view text) { return HexEscaped(text, " \\"); }

}  // namespace palorin::cli

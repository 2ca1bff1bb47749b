#include "fuzz/link_driver.h"

#include <cstdint>
#include <vector>

#include "base/error.h"
#include "cli/link.h"
#include "fileio/share_link.h"

namespace palorin::fuzz {

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string FragmentOf(std::string_view bytes) {
  if (bytes.empty() || (bytes[0] != kFramedDeflate && bytes[0] != kFramedBody)) {
    return std::string(bytes);
  }
  const Bytes rest(bytes.begin() + 1, bytes.end());
  Bytes compressed = rest;
  if (bytes[0] == kFramedBody) {
    Bytes packed{2};
    for (std::size_t length = rest.size();; length >>= 7) {
      packed.push_back(static_cast<std::uint8_t>((length & 0x7f) | (length > 0x7f ? 0x80 : 0)));
      if (length <= 0x7f) break;
    }
    packed.insert(packed.end(), rest.begin(), rest.end());
    const std::uint32_t crc = fileio::Crc32(packed.data(), packed.size());
    for (int i = 0; i < 4; ++i) packed.push_back(static_cast<std::uint8_t>(crc >> (8 * i)));
    auto deflated = cli::DeflateRaw(packed);
    if (!deflated) return {};
    compressed = std::move(*deflated);
  }
  return fileio::LinkFragment(compressed.data(), compressed.size());
}

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

}  // namespace

LinkReport OpenLinkBytes(std::string_view bytes) {
  LinkReport report;
  const std::string fragment = FragmentOf(bytes);
  std::string text;
  try {
    text = cli::NativeTextOfLink(fragment);
  } catch (const Error& e) {
    if (e.message() != fileio::kBadLink) report.violation = "refused with: " + e.message();
    return report;
  }
  report.opened = true;
  const std::string separator = std::string(70, '=') + "\r\n";
  if (text.compare(0, separator.size(), separator) != 0 || !EndsWith(text, "\r\n****\r\n")) {
    report.violation = "a picture that is no native file: " + text.substr(0, 100);
  }
  for (std::size_t lf = text.find('\n'); lf != std::string::npos; lf = text.find('\n', lf + 1)) {
    if (lf == 0 || text[lf - 1] != '\r') {
      report.violation = "a line end without CR";
      break;
    }
  }
  return report;
}

}  // namespace palorin::fuzz

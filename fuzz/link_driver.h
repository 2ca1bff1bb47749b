#pragma once

#include <string>
#include <string_view>

namespace palorin::fuzz {

// Opens `bytes` as a link the way the tool and the page do: the fragment's
// prefix, base64url and checksum, inflating (capped), the packed picture's
// length and checksum, and its entries. The checksums would stop nearly
// every input at the door, so the first byte chooses what the rest is:
//   kFramedDeflate  the compressed bytes of a fragment: framed with their
//                   checksum as a new link's fragment
//   kFramedBody     the body of a packed picture (count, packing, entries):
//                   given its version, length and checksum, deflated and
//                   framed
//   anything else   the whole input is the fragment as it stands
inline constexpr char kFramedDeflate = '\x00';
inline constexpr char kFramedBody = '\x01';

struct LinkReport {
  bool opened = false;  // the link gave a picture
  // Empty unless an invariant broke: a refusal with any text but the broken
  // link's, or a picture whose native text is not one a save writes (its
  // separator line first, "****" last, every line ending in CR LF).
  std::string violation;
};

LinkReport OpenLinkBytes(std::string_view bytes);

}  // namespace palorin::fuzz

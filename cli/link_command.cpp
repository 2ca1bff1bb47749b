// palorin-cli link: a link that carries a whole picture to the page.
#include <zlib.h>

#include <memory>
#include <ostream>

#include "cli/args.h"
#include "cli/commands.h"
#include "cli/help.h"
#include "cli/load.h"
#include "fileio/share_link.h"

namespace palorin::cli {

namespace {

// Raw deflate (no zlib header), as the browser's CompressionStream
// ("deflate-raw") makes and reads it.
bool DeflateRaw(const std::vector<std::uint8_t>& in, std::string& out) {
  z_stream z{};
  if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK) {
    return false;
  }
  out.resize(deflateBound(&z, static_cast<uLong>(in.size())));
  z.next_in = const_cast<Bytef*>(in.data());
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  const int result = deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return result == Z_STREAM_END;
}

// base64url without padding: the alphabet a link's fragment keeps as it is.
std::string Base64Url(std::string_view bytes) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
  std::string out;
  std::uint32_t buffer = 0;
  int bits = 0;
  for (const char c : bytes) {
    buffer = (buffer << 8) | static_cast<unsigned char>(c);
    bits += 8;
    while (bits >= 6) {
      bits -= 6;
      out += kAlphabet[(buffer >> bits) & 63u];
    }
  }
  if (bits > 0) out += kAlphabet[(buffer << (6 - bits)) & 63u];
  return out;
}

}  // namespace

int RunLink(const std::vector<std::string>& args, Io& io) {
  const auto parsed = ParseArgs("link", args, {{"base", 0, true}}, io.err);
  if (!parsed) return kExitUsage;
  if (parsed->help) {
    io.out << kLinkHelp;
    return kExitOk;
  }
  const std::optional<std::string> base = parsed->Value("base");
  if (!base || base->empty()) return Usage("link", "--base URL is needed", io);
  if (base->find('#') != std::string::npos) {
    return Usage("link", "the base URL already has a fragment: " + *base, io);
  }
  if (parsed->operands.empty()) return Usage("link", "no FILE given", io);

  auto session = std::make_unique<Session>();
  if (!LoadPicture(*session, parsed->operands, "link", io)) return kExitFailure;
  std::string deflated;
  if (!DeflateRaw(fileio::PackPicture(session->form1().log()), deflated)) {
    io.err << "palorin-cli link: compressing the picture failed\n";
    return kExitFailure;
  }
  io.out << *base << "#" << kLinkPrefix << Base64Url(deflated) << "\n";
  return kExitOk;
}

}  // namespace palorin::cli

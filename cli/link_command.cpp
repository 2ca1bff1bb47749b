// palorin-cli link: a link that carries a whole picture to the page.
#include <zlib.h>

#include <limits>
#include <memory>
#include <ostream>

#include "base/error.h"
#include "cli/args.h"
#include "cli/commands.h"
#include "cli/help.h"
#include "cli/link.h"
#include "cli/load.h"
#include "fileio/share_link.h"

namespace palorin::cli {

std::optional<std::vector<std::uint8_t>> DeflateRaw(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() > std::numeric_limits<uInt>::max() / 2) return std::nullopt;
  z_stream z{};
  if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> out(deflateBound(&z, static_cast<uLong>(bytes.size())));
  z.next_in = const_cast<Bytef*>(bytes.data());
  z.avail_in = static_cast<uInt>(bytes.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  const int result = deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  if (result != Z_STREAM_END) return std::nullopt;
  return out;
}

std::optional<std::vector<std::uint8_t>> InflateRaw(const std::vector<std::uint8_t>& compressed,
                                                    std::size_t cap) {
  constexpr std::size_t kMostAtOnce = std::numeric_limits<uInt>::max();
  if (compressed.size() > kMostAtOnce || cap >= kMostAtOnce) return std::nullopt;
  z_stream z{};
  if (inflateInit2(&z, -15) != Z_OK) return std::nullopt;
  // One byte more than the cap: filling it tells a stream that goes on
  // past the cap from one that ends right at it.
  std::vector<std::uint8_t> out(cap + 1);
  z.next_in = const_cast<Bytef*>(compressed.data());
  z.avail_in = static_cast<uInt>(compressed.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  int result = Z_OK;
  while (result == Z_OK && z.avail_out > 0) result = inflate(&z, Z_NO_FLUSH);
  const bool whole = result == Z_STREAM_END && z.avail_in == 0 && z.total_out <= cap;
  out.resize(z.total_out);
  inflateEnd(&z);
  if (!whole) return std::nullopt;
  return out;
}

std::string NativeTextOfLink(std::string_view link) {
  const std::size_t hash = link.find('#');
  if (hash != std::string_view::npos) link.remove_prefix(hash + 1);
  const std::optional<fileio::LinkPayload> payload = fileio::ReadLinkFragment(link);
  if (!payload) throw Error(std::string(fileio::kBadLink));
  const std::optional<std::vector<std::uint8_t>> packed =
      InflateRaw(payload->compressed, fileio::kMaxPackedBytes);
  if (!packed) throw Error(std::string(fileio::kBadLink));
  return fileio::NativeTextOfPacked(packed->data(), packed->size());
}

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
  const std::optional<std::vector<std::uint8_t>> deflated =
      DeflateRaw(fileio::PackPicture(session->form1().log()));
  if (!deflated) {
    io.err << "palorin-cli link: compressing the picture failed\n";
    return kExitFailure;
  }
  io.out << *base << "#" << fileio::LinkFragment(*deflated) << "\n";
  return kExitOk;
}

}  // namespace palorin::cli

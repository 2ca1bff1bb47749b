// Links end to end: what palorin-cli link writes opens as exactly the
// picture it was made of, and a link that was changed or cut opens nothing.
#include "cli/link.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <random>

#include "base/error.h"
#include "cli/cli.h"
#include "fileio/block_text.h"
#include "fileio/share_link.h"
#include "fileio/text_buffer.h"
#include "fuzz/link_driver.h"
#include "test_util.h"
#include "tests/support/error_of.h"

namespace palorin::cli {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::ErrorOf;
using test::RunCli;
using test::TempDir;
using test::WriteFile;

core::PlacementLog RandomLog(std::int32_t lastIndex, std::uint32_t seed, int valueLimit = 82) {
  std::mt19937 random(seed);
  core::PlacementLog log;
  for (std::int32_t i = 0; i <= lastIndex; ++i) {
    log.Store(i, static_cast<std::uint8_t>(random() % valueLimit),
              static_cast<std::uint8_t>(random() % 99),
              static_cast<std::uint8_t>(1 + random() % 5));
  }
  log.LastIndex = lastIndex;
  return log;
}

std::string NativeText(const core::PlacementLog& log) {
  fileio::TextBuffer native;
  fileio::AppendNativeFile(native, log);
  return native.Bytes();
}

// The link palorin-cli link prints for the picture of `log`.
std::string LinkOf(const core::PlacementLog& log) {
  const TempDir dir;
  const std::string file = dir / "picture.pln";
  WriteFile(file, NativeText(log));
  const auto run = RunCli({"link", "--base", "https://example.org/palorin/", file});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  if (run.out.empty() || run.out.back() != '\n') {
    ADD_FAILURE() << "no link line: " << run.out;
    return {};
  }
  return run.out.substr(0, run.out.size() - 1);
}

std::string BadLinkOf(std::string_view link) {
  return ErrorOf([&] { NativeTextOfLink(link); });
}

TEST(LinkCrc32, AgreesWithZlib) {
  std::mt19937 random(3);
  for (const std::size_t size : {0u, 1u, 7u, 64u, 1000u, 65537u}) {
    Bytes bytes(size);
    for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(random());
    const auto zlibCrc =
        static_cast<std::uint32_t>(crc32(0, bytes.data(), static_cast<uInt>(size)));
    EXPECT_EQ(fileio::Crc32(bytes.data(), size), zlibCrc) << size;
  }
}

TEST(Link, OpensAsTheNativeFileOfItsPicture) {
  const core::PlacementLog pictures[] = {
      core::PlacementLog(), RandomLog(5, 1), RandomLog(1999, 2),
      RandomLog(10000, 3, 100),  // the most blocks a press places
  };
  for (const core::PlacementLog& log : pictures) {
    const std::string link = LinkOf(log);
    EXPECT_EQ(link.rfind("https://example.org/palorin/#p2.", 0), 0u);
    EXPECT_LE(link.size() - link.find('#') - 1, fileio::kMaxFragmentChars);
    EXPECT_EQ(NativeTextOfLink(link), NativeText(log)) << log.LastIndex;
  }
}

TEST(Link, LinksMadeBeforeTheChecksumsStillOpen) {
  // Made by the version 1 encoder: slot 0 (3, 5) colour 1, slot 1 (10, 20)
  // colour 2, count 1.
  core::PlacementLog log;
  log.Store(0, 3, 5, 1);
  log.Store(1, 10, 20, 2);
  log.LastIndex = 1;
  EXPECT_EQ(NativeTextOfLink("https://example.org/palorin/#p1.Y2RibHYSEWEEAA"), NativeText(log));
}

TEST(Link, AChangedOrCutLinkOpensNothing) {
  const std::string link = LinkOf(RandomLog(300, 4));
  const std::size_t first = link.find('#') + 4;  // after "#p2."
  const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
  std::mt19937 random(5);
  // Sixteen characters spread over the link, the last one included, each
  // changed to another of the alphabet.
  for (int k = 0; k < 16; ++k) {
    const std::size_t at = k == 15 ? link.size() - 1 : first + random() % (link.size() - first);
    std::string changed = link;
    while (changed[at] == link[at]) changed[at] = alphabet[random() % alphabet.size()];
    EXPECT_EQ(BadLinkOf(changed), fileio::kBadLink) << "character " << at;
  }
  for (const std::size_t cut :
       {link.size() - 1, link.size() - 2, link.size() - 5, link.size() / 2, first + 1, first}) {
    EXPECT_EQ(BadLinkOf(link.substr(0, cut)), fileio::kBadLink) << cut;
  }
}

TEST(Link, RandomBytesAfterAValidHeaderOpenNothing) {
  std::mt19937 random(6);
  const auto randomBytes = [&random](std::size_t n) {
    Bytes bytes(n);
    for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(random());
    return bytes;
  };
  for (int k = 0; k < 20; ++k) {
    SCOPED_TRACE(k);
    const std::size_t n = 4 + random() % 2000;
    // Random text after the prefix.
    EXPECT_EQ(BadLinkOf("p2." + fileio::EncodeBase64Url(randomBytes(n).data(), n)),
              fileio::kBadLink);
    // Random bytes framed as a fragment with its checksum: not deflate.
    const Bytes noise = randomBytes(n);
    EXPECT_EQ(BadLinkOf(fileio::LinkFragment(noise.data(), noise.size())), fileio::kBadLink);
    // A version 2 picture's first byte, then random bytes, deflated and
    // framed: its own length and checksum refuse it.
    Bytes packed = randomBytes(n);
    packed[0] = 2;
    const auto deflated = DeflateRaw(packed);
    ASSERT_TRUE(deflated);
    EXPECT_EQ(BadLinkOf(fileio::LinkFragment(deflated->data(), deflated->size())),
              fileio::kBadLink);
  }
}

// A stream that would inflate to far more than any picture stops at the
// cap, at exactly one byte past it.
TEST(Link, InflatingStopsAtTheCap) {
  const Bytes zeros(1 << 20, 0);
  const auto bomb = DeflateRaw(zeros);
  ASSERT_TRUE(bomb);
  EXPECT_EQ(InflateRaw(*bomb, zeros.size()), zeros);
  EXPECT_EQ(InflateRaw(*bomb, zeros.size() - 1), std::nullopt);
  EXPECT_EQ(InflateRaw(*bomb, fileio::kMaxPackedBytes), std::nullopt);
  // Not one whole stream: cut, or with bytes after its end.
  EXPECT_EQ(InflateRaw(Bytes(bomb->begin(), bomb->end() - 1), zeros.size()), std::nullopt);
  Bytes longer = *bomb;
  longer.push_back(0);
  EXPECT_EQ(InflateRaw(longer, zeros.size()), std::nullopt);
  EXPECT_EQ(InflateRaw({}, zeros.size()), std::nullopt);
  EXPECT_EQ(BadLinkOf(fileio::LinkFragment(bomb->data(), bomb->size())), fileio::kBadLink);
}

// The link fuzz target's seeds: every one opens a picture through the
// driver the fuzzer runs, so that the fuzzer starts past every check.
TEST(LinkFuzzCorpus, EverySeedOpensAPicture) {
  int seeds = 0;
  for (const auto& entry : std::filesystem::directory_iterator(PALORIN_LINK_CORPUS_DIR)) {
    SCOPED_TRACE(entry.path().filename().string());
    const fuzz::LinkReport report = fuzz::OpenLinkBytes(test::ReadFile(entry.path().string()));
    EXPECT_EQ(report.violation, "");
    EXPECT_TRUE(report.opened);
    ++seeds;
  }
  EXPECT_GE(seeds, 4);
  // Each way of framing the rest reaches the same refusal on noise.
  const std::string noises[] = {"p2.AAAA", std::string("\x00\x01\x02", 3),
                                std::string("\x01\x04\x00", 3)};  // count 2, no entries
  for (const std::string& noise : noises) {
    const fuzz::LinkReport report = fuzz::OpenLinkBytes(noise);
    EXPECT_EQ(report.violation, "");
    EXPECT_FALSE(report.opened);
  }
}

}  // namespace
}  // namespace palorin::cli

#include "fileio/share_link.h"

#include <gtest/gtest.h>

#include <random>

#include "base/error.h"
#include "fileio/block_text.h"
#include "fileio/text_buffer.h"
#include "tests/support/error_of.h"

namespace palorin::fileio {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::ErrorOf;

Bytes BytesOf(std::string_view text) { return Bytes(text.begin(), text.end()); }

std::string Encode(const Bytes& bytes) { return EncodeBase64Url(bytes.data(), bytes.size()); }

TEST(Base64Url, EncodesWithoutPaddingAndDecodesBack) {
  const std::pair<Bytes, std::string> cases[] = {
      {{}, ""},
      {BytesOf("f"), "Zg"},
      {BytesOf("fo"), "Zm8"},
      {BytesOf("foo"), "Zm9v"},
      {BytesOf("foobar"), "Zm9vYmFy"},
      {{0xfb, 0xff}, "-_8"},  // the two characters that differ from base64
      {{0x00, 0x00, 0x00, 0xff}, "AAAA_w"},
  };
  for (const auto& [bytes, text] : cases) {
    EXPECT_EQ(Encode(bytes), text);
    EXPECT_EQ(DecodeBase64Url(text), bytes) << text;
  }
}

TEST(Base64Url, DecodingRefusesEveryTextTheEncoderDoesNotWrite) {
  const std::string refused[] = {
      "Zg==",   // padding
      "Zm9v=",  // padding where none is due
      "Z",      // one character carries no byte
      "Zm9vY",  // nor does one past a group of four
      "Zh",     // unused low bits set: "Zg" already stands for "f"
      "Zm9",    // likewise for "fo" ("Zm8")
      "+/8",    // the base64 alphabet's characters, not base64url's
      "Zm 9v",  // a space
      "Zm9v\n",     std::string("Zg\0", 3),
      "Zm\xc3\xa9",  // non-ASCII
  };
  for (const std::string& text : refused) {
    EXPECT_EQ(DecodeBase64Url(text), std::nullopt) << testing::PrintToString(text);
  }
}

TEST(Crc32, TheCheckValueOfZipAndPng) {
  const Bytes digits = BytesOf("123456789");
  EXPECT_EQ(Crc32(digits.data(), digits.size()), 0xCBF43926u);
  EXPECT_EQ(Crc32(digits.data(), 0), 0u);
  // Piece by piece gives the same as at once.
  EXPECT_EQ(Crc32(digits.data() + 4, 5, Crc32(digits.data(), 4)), 0xCBF43926u);
}

core::PlacementLog RandomLog(std::int32_t lastIndex, std::uint32_t seed, int xLimit = 82) {
  std::mt19937 random(seed);
  core::PlacementLog log;
  for (std::int32_t i = 0; i <= lastIndex; ++i) {
    log.Store(i, static_cast<std::uint8_t>(random() % xLimit),
              static_cast<std::uint8_t>(random() % 99),
              static_cast<std::uint8_t>(1 + random() % 5));
  }
  log.LastIndex = lastIndex;
  return log;
}

std::string NativeText(const core::PlacementLog& log) {
  TextBuffer native;
  AppendNativeFile(native, log);
  return native.Bytes();
}

// Every byte of a packed picture is covered by its length or checksum: a
// flipped bit anywhere, a byte cut off or added, is refused as a whole.
TEST(PackedPicture, AnyChangedBitOrLengthIsRefused) {
  const core::PlacementLog log = RandomLog(40, 1);
  const Bytes packed = PackPicture(log);
  ASSERT_EQ(packed.front(), 2);
  ASSERT_EQ(NativeTextOfPacked(packed.data(), packed.size()), NativeText(log));
  int refused = 0, tried = 0;
  for (std::size_t at = 0; at < packed.size(); ++at) {
    for (int bit = 0; bit < 8; ++bit) {
      Bytes changed = packed;
      changed[at] = static_cast<std::uint8_t>(changed[at] ^ (1u << bit));
      ++tried;
      refused += ErrorOf([&] { NativeTextOfPacked(changed.data(), changed.size()); }) == kBadLink;
    }
  }
  EXPECT_EQ(refused, tried);
  for (std::size_t size = 0; size < packed.size(); ++size) {
    EXPECT_EQ(ErrorOf([&] { NativeTextOfPacked(packed.data(), size); }), kBadLink) << size;
  }
  Bytes longer = packed;
  longer.push_back(0);
  EXPECT_EQ(ErrorOf([&] { NativeTextOfPacked(longer.data(), longer.size()); }), kBadLink);
}

// The largest picture (every slot, values that need three bytes an entry,
// the longest count) packs within the bound links are measured by.
TEST(PackedPicture, TheLargestPictureFitsTheBound) {
  core::PlacementLog log = RandomLog(core::kLastSlot, 2, 256);
  const Bytes packed = PackPicture(log);
  EXPECT_LE(packed.size(), kMaxPackedBytes);
  EXPECT_GE(packed.size() + 8, kMaxPackedBytes) << "the bound is far above the largest picture";
  EXPECT_EQ(NativeTextOfPacked(packed.data(), packed.size()), NativeText(log));
}

TEST(LinkFragment, CarriesTheCompressedBytesWithTheirChecksum) {
  const Bytes compressed = {0x4b, 0x03, 0x00, 0xff, 0x10};
  const std::string fragment = LinkFragment(compressed.data(), compressed.size());
  EXPECT_EQ(fragment.substr(0, 3), "p2.");
  const auto payload = ReadLinkFragment(fragment);
  ASSERT_TRUE(payload);
  EXPECT_EQ(payload->version, 2);
  EXPECT_EQ(payload->compressed, compressed);

  // Links made before the checksum hold the compressed bytes alone.
  const auto v1 = ReadLinkFragment("p1." + Encode(compressed));
  ASSERT_TRUE(v1);
  EXPECT_EQ(v1->version, 1);
  EXPECT_EQ(v1->compressed, compressed);
}

TEST(LinkFragment, RefusesChangedCutAndForeignFragments) {
  const Bytes compressed(300, 0x5a);
  const std::string fragment = LinkFragment(compressed.data(), compressed.size());
  // Every character changed to every other one of the alphabet: the
  // checksum catches any change of up to 32 bits in a row, so none opens.
  const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
  int opened = 0;
  for (std::size_t at = 3; at < fragment.size(); ++at) {
    for (const char c : alphabet) {
      if (c == fragment[at]) continue;
      std::string changed = fragment;
      changed[at] = c;
      opened += ReadLinkFragment(changed).has_value();
    }
  }
  EXPECT_EQ(opened, 0);
  for (std::size_t size = 0; size < fragment.size(); ++size) {
    EXPECT_FALSE(ReadLinkFragment(fragment.substr(0, size))) << size;
  }
  const std::string foreigns[] = {"p3." + fragment.substr(3),
                                  "P2." + fragment.substr(3),
                                  fragment.substr(3),
                                  "#" + fragment,
                                  "p2.",
                                  "p2.AAAAAAAA"};
  for (const std::string& foreign : foreigns) {
    EXPECT_FALSE(ReadLinkFragment(foreign)) << foreign;
  }
}

// The longest fragment a picture can give is read; one character more is
// refused by its length alone.
TEST(LinkFragment, AFragmentLongerThanAnyPictureGivesIsRefused) {
  Bytes largest(kMaxDeflatedBytes, 0x11);
  const std::string longest = LinkFragment(largest.data(), largest.size());
  EXPECT_LE(longest.size(), kMaxFragmentChars);
  EXPECT_TRUE(ReadLinkFragment(longest));
  largest.push_back(0x11);
  EXPECT_GT(LinkFragment(largest.data(), largest.size()).size(), kMaxFragmentChars);
  EXPECT_FALSE(ReadLinkFragment(LinkFragment(largest.data(), largest.size())));
  EXPECT_FALSE(ReadLinkFragment("p1." + std::string(kMaxFragmentChars, 'A')));
}

}  // namespace
}  // namespace palorin::fileio

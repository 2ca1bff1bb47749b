#include "render/bmp.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/error.h"
#include "render/sprites.h"
#include "tests/support/error_of.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/temp_dir.h"

namespace palorin::render {
namespace {

namespace fs = std::filesystem;

std::uint32_t U32(const std::string& b, std::size_t at) {
  return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8 |
         std::uint32_t(std::uint8_t(b[at + 2])) << 16 |
         std::uint32_t(std::uint8_t(b[at + 3])) << 24;
}
std::uint16_t U16(const std::string& b, std::size_t at) {
  return static_cast<std::uint16_t>(std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8);
}

TEST(EncodeBmp, HeaderFields) {
  const std::string b = EncodeBmp(Raster{});
  ASSERT_EQ(b.size(), 462054u);
  ASSERT_EQ(b.size(), kBmpFileSize);
  struct Field {
    std::size_t offset;
    int bytes;
    std::uint32_t value;
  };
  const Field fields[] = {
      {2, 4, 462054},      {6, 2, 0},    {8, 2, 0},  {10, 4, 54}, {14, 4, 40},
      {18, 4, 500},        {22, 4, 308}, {26, 2, 1}, {28, 2, 24}, {30, 4, 0},
      {34, 4, 1500 * 308}, {38, 4, 0},   {42, 4, 0}, {46, 4, 0},  {50, 4, 0},
  };
  EXPECT_EQ(b.substr(0, 2), "BM");
  for (const auto& f : fields) {
    EXPECT_EQ(f.bytes == 4 ? U32(b, f.offset) : U16(b, f.offset), f.value) << "offset " << f.offset;
  }
}

TEST(EncodeBmp, AnAllBlackPictureHasOnlyZeroPixelBytes) {
  const std::string b = EncodeBmp(Raster{});
  EXPECT_EQ(b.find_first_not_of('\0', 54), std::string::npos);
}

TEST(EncodeBmp, RowsBottomFirstInBlueGreenRedOrder) {
  Raster r;
  DrawBlock(r, 0, 0, 3);    // red, at the top-left corner
  DrawBlock(r, 81, 98, 4);  // yellow, near the bottom-right corner
  r.Row(307)[0] = Rgb(1, 2, 3);
  const std::string b = EncodeBmp(r);
  ASSERT_EQ(b.size(), kBmpFileSize);
  const auto at = [](int x, int y) {
    return std::size_t{54} + std::size_t(307 - y) * 1500 + 3 * x;
  };
  // Raster row 307 is the first pixel row of the file.
  EXPECT_EQ(b.substr(54, 3), std::string("\x03\x02\x01", 3));
  // The red top face at (5, 0): blue 0, green 0, red 255.
  EXPECT_EQ(b.substr(at(5, 0), 3), std::string("\x00\x00\xff", 3));
  EXPECT_EQ(at(5, 0), 54u + 307u * 1500u + 15u);
  // Every pixel, for good measure.
  for (int y = 0; y < kRasterHeight; ++y) {
    for (int x = 0; x < kRasterWidth; ++x) {
      const Pixel p = r.At(x, y);
      const std::size_t o = at(x, y);
      ASSERT_EQ(std::uint8_t(b[o]), p & 0xff);
      ASSERT_EQ(std::uint8_t(b[o + 1]), (p >> 8) & 0xff);
      ASSERT_EQ(std::uint8_t(b[o + 2]), (p >> 16) & 0xff);
    }
  }
}

class BmpSaverTest : public testing::Test {
 protected:
  // The message of the error that saving `r` as `name` raises.
  static std::string ErrorOf(const Raster& r, const std::string& name) {
    return test::ErrorOf([&] { BmpSaver(r, name); });
  }

  const test::TempDir temp_;
  const fs::path dir_ = temp_.path();
};

TEST_F(BmpSaverTest, WritesTheEncodedBytesOverALongerFile) {
  Raster r;
  DrawBlock(r, 40, 50, 2);
  const fs::path path = dir_ / "picture.bmp";
  std::ofstream(path, std::ios::binary) << std::string(600000, 'z');
  BmpSaver(r, path.string());
  EXPECT_EQ(fs::file_size(path), kBmpFileSize);
  EXPECT_EQ(test::ReadBytes(path), EncodeBmp(r));
}

TEST_F(BmpSaverTest, AFileThatCannotBeCreatedNamesTheFileAsPassed) {
  const std::string name = (dir_ / "no such folder" / "x.bmp").string();
  EXPECT_EQ(ErrorOf(Raster{}, name), "ﾌｧｲﾙ " + name + " を作成できません");
  EXPECT_EQ(ErrorOf(Raster{}, dir_.string()), "ﾌｧｲﾙ " + dir_.string() + " を作成できません");
}

TEST_F(BmpSaverTest, AWriteFailingPartWayReportsTheStreamError) {
  const fs::path path = dir_ / "full.bmp";
  std::string message;
  {
    const test::ScopedFileSizeLimit limit(65536);
    ASSERT_TRUE(limit.applied());
    message = ErrorOf(Raster{}, path.string());
  }
  EXPECT_EQ(message, "ｽﾄﾘｰﾑへの書き込みｴﾗｰ");
}

}  // namespace
}  // namespace palorin::render

// Replays the fuzz target's seed corpus and hand-made corrupt files through
// the same load path as the fuzzer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz/load_driver.h"

namespace palorin::fuzz {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(FuzzCorpus, EverySeedLoadsCompletelyWithoutAnError) {
  int seeds = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(PALORIN_FUZZ_CORPUS_DIR)) {
    SCOPED_TRACE(entry.path().filename().string());
    const LoadReport report = LoadThroughFileWindow(ReadBytes(entry.path()));
    EXPECT_EQ(report.violation, "");
    EXPECT_TRUE(report.errorBoxes.empty()) << report.errorBoxes.front();
    EXPECT_TRUE(report.completed);
    EXPECT_EQ(report.lastIndex, report.logPos);
    ++seeds;
  }
  EXPECT_GE(seeds, 6);
}

struct CorruptCase {
  const char* name;
  std::string bytes;
  std::string errorStem;  // part of the one error box expected; empty: none
};

TEST(CorruptFiles, GiveALoadOrAMessageNeverACrash) {
  const std::string header = std::string(70, '=') + "\r\n[Var]:PLN_001\r\n[Writing OS]:Win32\r\n";
  std::string binary;
  for (int i = 0; i < 4096; ++i) {
    const char c = static_cast<char>((i * 131 + 7) & 0xff);
    if (c != '\f') binary += c;  // a form feed would start the driver's next file
  }
  const CorruptCase cases[] = {
      {"empty", "", "'' は整数ではありません"},
      {"binary", binary, "は整数ではありません"},
      {"megabytes of one line, no tag", std::string(3 << 20, '0'), ""},
      {"megabytes of one data line",
       header + "[Count]:    0\r\n[DSection]\r\n" + std::string(3 << 20, '1'), "ﾃﾞｰﾀが多すぎます"},
      {"no line ends", header.substr(0, 70) + "[Var]:PLN_001[Count]:    000051****",
       "'==' は整数ではありません"},
      {"huge count", header + "[Count]:$7FFFFFFF\r\n[DSection]\r\n****\r\n", "ﾃﾞｰﾀ数が範囲外です"},
      {"count past the log", header + "[Count]:10004\r\n[DSection]\r\n****\r\n", "範囲外です"},
      {"entries past the log",
       header + "[Count]:    0\r\n[DSection]\r\n" + std::string(10005 * 5, '1') + "\r\n****\r\n",
       "ﾃﾞｰﾀが多すぎます"},
      {"no end line", header + "[Count]:    1\r\n[DSection]\r\n0000100011\r\n", ""},
      {"part number past five",
       std::string(70, '=') +
           "\r\n[Var]:BRW_001\r\n[Writing OS]:Win32\r\n[Browser]:None\r\n[Count]:    0\r\n"
           "[No]:9\r\n[fflug]:1\r\n[DSection]\r\n00001\r\n****\r\n",
       ""},
  };
  for (const CorruptCase& c : cases) {
    SCOPED_TRACE(c.name);
    const LoadReport report = LoadThroughFileWindow(c.bytes);
    EXPECT_EQ(report.violation, "");
    if (c.errorStem.empty()) {
      EXPECT_TRUE(report.errorBoxes.empty()) << report.errorBoxes.front();
    } else {
      EXPECT_EQ(report.errorBoxes.size(), 1u);
      if (!report.errorBoxes.empty()) {
        EXPECT_NE(report.errorBoxes[0].find(c.errorStem), std::string::npos)
            << report.errorBoxes[0];
      }
    }
  }
}

}  // namespace
}  // namespace palorin::fuzz

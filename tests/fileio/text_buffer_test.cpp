#include "fileio/text_buffer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "base/error.h"
#include "tests/support/error_of.h"
#include "tests/support/temp_dir.h"

namespace palorin::fileio {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

TextBuffer Make(Lines lines) {
  TextBuffer b;
  b.Lines = std::move(lines);
  return b;
}

using test::ErrorOf;
using test::ReadBytes;

struct SplitCase {
  std::string bytes;
  Lines lines;
};

TEST(TextBufferSplit, LineEndsAreCrLfOrLfAlone) {
  const SplitCase cases[] = {
      {"", {}},
      {"\n", {""}},
      {"\r\n", {""}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb", {"a", "b"}},
      {"a\n\nb\n", {"a", "", "b"}},
      {"a\rb\r\n", {"a\rb"}},  // a lone CR is an ordinary character
      {"a\r\r\n", {"a\r"}},    // only the CR right before the LF belongs to the end
      {"\r", {"\r"}},
      {std::string("x\0y\n", 4), {std::string("x\0y", 3)}},
  };
  for (const SplitCase& c : cases) {
    TextBuffer b;
    b.Lines = {"old"};
    b.SetText(c.bytes);
    EXPECT_EQ(b.Lines, c.lines) << testing::PrintToString(c.bytes);
  }
}

TEST(TextBufferBytes, EveryLineEndsWithCrLfTheLastIncluded) {
  EXPECT_EQ(Make({}).Bytes(), "");
  EXPECT_EQ(Make({""}).Bytes(), "\r\n");
  EXPECT_EQ(Make({"a", "", "bc"}).Bytes(), "a\r\n\r\nbc\r\n");
}

TEST(TextBufferLookup, WholeLinesIgnoringLetterCase) {
  const TextBuffer b = Make({"x", "[dSECTION] ", "[dsection]", "[DSection]"});
  EXPECT_EQ(b.IndexOfLine("[DSection]"), 2);
  EXPECT_EQ(Make({"[DSection]x", "DSection"}).IndexOfLine("[DSection]"), -1);
  EXPECT_EQ(Make({}).IndexOfLine(""), -1);
  EXPECT_EQ(Make({"a", ""}).IndexOfLine(""), 1);
}

TEST(TextBufferRead, LineEndsCountAsTwoCharacters) {
  const TextBuffer b = Make({"ab", "", "cde"});  // text "ab\r\n\r\ncde\r\n"
  EXPECT_EQ(b.Read(0, 3), "ab\r");
  EXPECT_EQ(b.Read(2, 4), "\r\n\r\n");
  EXPECT_EQ(b.Read(6, 3), "cde");
  EXPECT_EQ(b.Read(8, 10), "e\r\n");  // fewer where the text ends sooner
  EXPECT_EQ(b.Read(11, 1), "");
  EXPECT_EQ(b.Read(1000, 5), "");
  EXPECT_EQ(b.Read(-2, 3), "a");  // only the characters that exist
  EXPECT_EQ(b.Read(-5, 3), "");
  EXPECT_EQ(b.Read(0, 0), "");
  EXPECT_EQ(Make({}).Read(0, 5), "");
}

TEST(TextBufferSearch, LooksAtTheNext150CharactersOnly) {
  TextBuffer b = Make({"[Var]:PLN_001", "[Count]:    4"});
  EXPECT_EQ(b.Search("r]:", 0), 3);
  EXPECT_EQ(b.Search("t]:", 13), 20);  // "[Var]:PLN_001\r\n" is 15 characters
  EXPECT_EQ(b.Search("R]:", 0), -1);   // letter case matters
  EXPECT_EQ(b.Search("r]:", 4), -1);
  EXPECT_EQ(b.Search("r]:", -1), -1);

  // The key must lie wholly inside the 150 characters from the start.
  const std::string pad(148, '.');
  b = Make({pad + "r]:"});
  EXPECT_EQ(b.Search("r]:", 0), -1);
  EXPECT_EQ(b.Search("r]:", 1), 148);
  b = Make({pad.substr(1) + "r]:"});
  EXPECT_EQ(b.Search("r]:", 0), 147);
  // A key split by a line end is not found.
  EXPECT_EQ(Make({"r]", ":"}).Search("r]:", 0), -1);
}

// A file of `size` zero bytes that takes no room on the disk.
void MakeSparse(const fs::path& path, std::int64_t size) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(::ftruncate(fd, size), 0);
  ::close(fd);
}

class TextBufferFileTest : public testing::Test {
 protected:
  const test::TempDir tempDir;
  const fs::path dir = tempDir.path();
};

TEST_F(TextBufferFileTest, SaveThenLoadRoundTrips) {
  const fs::path file = dir / "a.txt";
  const TextBuffer out = Make({"first", "", "****"});
  out.SaveToFile(file.string());
  EXPECT_EQ(ReadBytes(file), "first\r\n\r\n****\r\n");
  TextBuffer in;
  in.LoadFromFile(file.string());
  EXPECT_EQ(in.Lines, out.Lines);
}

TEST_F(TextBufferFileTest, AFileThatCannotBeOpenedIsRefusedAndTheBufferKept) {
  TextBuffer b = Make({"kept"});
  // A pipe with no writer must be refused at once, not waited on.
  const fs::path fifo = dir / "pipe.pln";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // A file one byte over the limit, sparse so that nothing is really written.
  const fs::path huge = dir / "huge.pln";
  MakeSparse(huge, TextBuffer::kMaxFileBytes + 1);
  for (const fs::path& p : {dir / "missing.txt", dir, fifo, fs::path("/dev/zero"), huge}) {
    EXPECT_EQ(ErrorOf([&] { b.LoadFromFile(p.string()); }), "ﾌｧｲﾙ " + p.string() + " は開けません");
    EXPECT_EQ(b.Lines, Lines{"kept"});
  }
}

TEST_F(TextBufferFileTest, AFileOfExactlyTheLargestSizeIsRead) {
  const fs::path file = dir / "largest.pln";
  MakeSparse(file, TextBuffer::kMaxFileBytes);
  TextBuffer b;
  b.LoadFromFile(file.string());
  ASSERT_EQ(b.Lines.size(), 1u);
  EXPECT_EQ(static_cast<std::int64_t>(b.Lines[0].size()), TextBuffer::kMaxFileBytes);
}

TEST_F(TextBufferFileTest, AFailedSaveLeavesTheExistingFileAsItWas) {
  const fs::path file = dir / "keep.pln";
  { std::ofstream(file, std::ios::binary) << "old bytes"; }
  fs::permissions(file, fs::perms::owner_read);
  if (::access(file.c_str(), W_OK) == 0) GTEST_SKIP() << "running with rights to write anything";
  const TextBuffer b = Make({"new"});
  EXPECT_EQ(ErrorOf([&] { b.SaveToFile(file.string()); }),
            "ﾌｧｲﾙ " + file.string() + " を作成できません");
  EXPECT_EQ(ReadBytes(file), "old bytes");
}

TEST_F(TextBufferFileTest, AFolderThatDoesNotExistCannotBeCreatedIn) {
  const std::string file = (dir / "no" / "such.pln").string();
  EXPECT_EQ(ErrorOf([&] { Make({"x"}).SaveToFile(file); }), "ﾌｧｲﾙ " + file + " を作成できません");
}

}  // namespace
}  // namespace palorin::fileio

#include "fileio/text_buffer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>

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

// The store keeps lengths under 255 in a byte and longer ones apart, and
// every 64th line's offset: lines of both kinds around those boundaries
// must read back as the plain list of strings they were made from, by
// index, by iteration, by whole-line lookup and character by character.
TEST(TextBufferStore, ReadsBackAsThePlainLinesAcrossLengthsAndBlocks) {
  std::mt19937 random(7);
  const std::size_t lengths[] = {0, 1, 2, 254, 255, 256, 1000};
  for (const std::size_t count : {1u, 63u, 64u, 65u, 130u}) {
    Lines plain;
    for (std::size_t i = 0; i < count; ++i) {
      std::string line(lengths[random() % std::size(lengths)], '.');
      for (char& c : line) c = static_cast<char>('a' + random() % 26);
      plain.push_back(line);
    }
    plain.back() = "Last Line";
    std::string text;
    for (const std::string& line : plain) text += line + "\r\n";

    for (const bool split : {false, true}) {
      SCOPED_TRACE(testing::Message() << count << " lines, " << (split ? "split" : "added"));
      TextBuffer b;
      if (split) {
        b.SetText(text);
      } else {
        for (const std::string& line : plain) b.Add(line);
      }
      ASSERT_EQ(b.Lines.size(), plain.size());
      for (std::size_t i = 0; i < plain.size(); ++i) ASSERT_EQ(b.Lines[i], plain[i]) << i;
      EXPECT_EQ(Lines(b.Lines), plain);
      EXPECT_EQ(b.Bytes(), text);
      EXPECT_EQ(b.IndexOfLine("LAST LINE"), static_cast<std::int64_t>(count - 1));
      for (std::size_t pos = 0; pos < text.size(); pos += 37) {
        ASSERT_EQ(b.Read(static_cast<std::int64_t>(pos), 300), text.substr(pos, 300)) << pos;
      }
    }
  }
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

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// The largest file a load reads, all of it empty lines, is the most lines a
// buffer holds: loading it must stay within four times the file's size. A
// child process loads it, so that its peak memory is the load's alone.
TEST_F(TextBufferFileTest, TheLargestFileOfEmptyLinesLoadsInLittleMemory) {
  if (kSanitized) GTEST_SKIP() << "the address sanitizer's own memory would be measured";
  const fs::path file = dir / "empty-lines.txt";
  {
    std::ofstream out(file, std::ios::binary);
    const std::string chunk(1 << 20, '\n');
    for (std::int64_t i = 0; i < TextBuffer::kMaxFileBytes / (1 << 20); ++i) out << chunk;
    ASSERT_TRUE(out.flush());
  }
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    TextBuffer b;
    b.LoadFromFile(file.string());
    ::_exit(static_cast<std::int64_t>(b.Lines.size()) == TextBuffer::kMaxFileBytes &&
                    b.Lines.back().empty()
                ? 0
                : 1);
  }
  int status = 0;
  rusage usage{};
  ASSERT_EQ(::wait4(child, &status, 0, &usage), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the lines did not load as they are";
  const std::int64_t peakBytes = std::int64_t{usage.ru_maxrss} * 1024;
  EXPECT_LT(peakBytes, 4 * TextBuffer::kMaxFileBytes) << peakBytes / (1 << 20) << " MiB";
}

TEST_F(TextBufferFileTest, AFolderThatDoesNotExistCannotBeCreatedIn) {
  const std::string file = (dir / "no" / "such.pln").string();
  EXPECT_EQ(ErrorOf([&] { Make({"x"}).SaveToFile(file); }), "ﾌｧｲﾙ " + file + " を作成できません");
}

}  // namespace
}  // namespace palorin::fileio

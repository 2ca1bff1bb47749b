#include "base/file_write.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "base/error.h"
#include "tests/support/error_of.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/temp_dir.h"

namespace palorin {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;

const std::string kCannot = "cannot create";
const std::string kWriteFailed = "write failed";

class WriteFileReplacingTest : public testing::Test {
 protected:
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  std::set<std::string> Entries() const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.insert(e.path().filename().string());
    return names;
  }

  static void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }

  // The message thrown by a write that is expected to fail.
  static std::string ErrorOf(const std::string& path, const std::string& bytes) {
    return test::ErrorOf([&] { WriteFileReplacing(path, bytes, kCannot, kWriteFailed); });
  }

  const test::TempDir temp_;
  const fs::path dir_ = temp_.path();
};

TEST_F(WriteFileReplacingTest, CreatesANewFileWithExactlyTheBytes) {
  const std::string bytes("a\0b\r\nc", 6);
  WriteFileReplacing(Path("new.bin"), bytes, kCannot, kWriteFailed);
  EXPECT_EQ(ReadBytes(Path("new.bin")), bytes);
  EXPECT_EQ(Entries(), std::set<std::string>{"new.bin"});
}

TEST_F(WriteFileReplacingTest, ReplacesALongerFileLeavingExactlyTheNewLength) {
  Write(Path("old.txt"), std::string(10000, 'x'));
  WriteFileReplacing(Path("old.txt"), "short", kCannot, kWriteFailed);
  EXPECT_EQ(fs::file_size(Path("old.txt")), 5u);
  EXPECT_EQ(ReadBytes(Path("old.txt")), "short");
  EXPECT_EQ(Entries(), std::set<std::string>{"old.txt"});
}

TEST_F(WriteFileReplacingTest, KeepsTheModeOfAReplacedFile) {
  Write(Path("mode.txt"), "old");
  ASSERT_EQ(::chmod(Path("mode.txt").c_str(), 0640), 0);
  WriteFileReplacing(Path("mode.txt"), "new", kCannot, kWriteFailed);
  struct stat st {};
  ASSERT_EQ(::stat(Path("mode.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(WriteFileReplacingTest, TargetsThatCannotBeCreated) {
  fs::create_directory(dir_ / "sub");
  const std::string cases[] = {
      Path("missing/file.txt"),  // folder does not exist
      Path("sub"),               // a directory
      Path("sub/"),              // a folder name, no file name
      "",                        // no name at all
      "/dev/null",               // exists but is no regular file
  };
  for (const auto& path : cases) {
    SCOPED_TRACE(path);
    EXPECT_EQ(ErrorOf(path, "bytes"), kCannot);
  }
  EXPECT_TRUE(fs::is_directory(dir_ / "sub"));
  EXPECT_TRUE(fs::is_empty(dir_ / "sub"));
  EXPECT_EQ(Entries(), std::set<std::string>{"sub"}) << "no temporary file may be left behind";
}

TEST_F(WriteFileReplacingTest, AWriteFailingPartWayKeepsTheExistingFile) {
  Write(Path("keep.txt"), "precious");
  // Every write beyond 4 KiB fails.
  std::string message;
  {
    const test::ScopedFileSizeLimit limit(4096);
    ASSERT_TRUE(limit.applied());
    message = ErrorOf(Path("keep.txt"), std::string(100000, 'y'));
  }

  EXPECT_EQ(message, kWriteFailed);
  EXPECT_EQ(ReadBytes(Path("keep.txt")), "precious");
  EXPECT_EQ(Entries(), std::set<std::string>{"keep.txt"});
}

}  // namespace
}  // namespace palorin

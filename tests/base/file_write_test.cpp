#include "base/file_write.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

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

TEST_F(WriteFileReplacingTest, ANewFileTakesItsModeFromTheUmaskWhichStaysAsItWas) {
  const mode_t before = ::umask(027);
  WriteFileReplacing(Path("new.txt"), "new", kCannot, kWriteFailed);
  const mode_t during = ::umask(before);
  EXPECT_EQ(during, 027u) << "the save changed the process's umask";
  struct stat st {};
  ASSERT_EQ(::stat(Path("new.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(WriteFileReplacingTest, KeepsTheOwnerAndGroupWhereTheUserMay) {
  if (::geteuid() != 0) GTEST_SKIP() << "only a privileged user may give a file away";
  Write(Path("owned.txt"), "old");
  ASSERT_EQ(::chown(Path("owned.txt").c_str(), 65534, 65534), 0);
  WriteFileReplacing(Path("owned.txt"), "new", kCannot, kWriteFailed);
  struct stat st {};
  ASSERT_EQ(::stat(Path("owned.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 65534u);
  EXPECT_EQ(st.st_gid, 65534u);
}

TEST_F(WriteFileReplacingTest, ALinkSavesIntoTheFileItPointsToAndStaysALink) {
  fs::create_directory(dir_ / "real");
  fs::create_directory(dir_ / "links");
  Write(Path("real/picture.pln"), "old");
  fs::create_symlink("../real/picture.pln", dir_ / "links" / "relative.pln");
  fs::create_symlink(dir_ / "links" / "relative.pln", dir_ / "chain.pln");
  fs::create_symlink("real/new.pln", dir_ / "dangling.pln");  // its file does not exist yet

  WriteFileReplacing(Path("chain.pln"), "new", kCannot, kWriteFailed);
  WriteFileReplacing(Path("dangling.pln"), "made", kCannot, kWriteFailed);

  EXPECT_TRUE(fs::is_symlink(dir_ / "chain.pln"));
  EXPECT_TRUE(fs::is_symlink(dir_ / "links" / "relative.pln"));
  EXPECT_TRUE(fs::is_symlink(dir_ / "dangling.pln"));
  EXPECT_EQ(ReadBytes(Path("real/picture.pln")), "new");
  EXPECT_EQ(ReadBytes(Path("real/new.pln")), "made");
  EXPECT_EQ(Entries(), (std::set<std::string>{"chain.pln", "dangling.pln", "links", "real"}));
  std::set<std::string> real;
  for (const auto& e : fs::directory_iterator(dir_ / "real")) real.insert(e.path().filename());
  EXPECT_EQ(real, (std::set<std::string>{"new.pln", "picture.pln"})) << "a temporary file is left";

  fs::create_symlink("loop.pln", dir_ / "loop.pln");
  EXPECT_EQ(ErrorOf(Path("loop.pln"), "x"), kCannot);
}

// Runs `check` in a child process as user `uid` with group `gid` and the
// supplementary groups `groups`; its exit status is the number of checks that
// failed, 77 when those ids could not be taken (only a privileged user may
// take another user's).
int AsUser(uid_t uid, gid_t gid, const std::vector<gid_t>& groups,
           const std::function<int()>& check) {
  const pid_t child = ::fork();
  if (child == 0) {
    if (::geteuid() == 0) {
      if (::setgroups(groups.size(), groups.data()) != 0 || ::setgid(gid) != 0 ||
          ::setuid(uid) != 0) {
        ::_exit(77);
      }
    } else if (::geteuid() != uid) {
      ::_exit(77);
    }
    ::_exit(check());
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// An unprivileged user: nobody when run as root, else the user running.
int AsUnprivilegedUser(const std::function<int()>& check) {
  const bool root = ::geteuid() == 0;
  return AsUser(root ? 65534 : ::geteuid(), root ? 65534 : ::getegid(), {}, check);
}

// Files other users share: each is saved by a user who may write it but could
// not give a new file its owner and group, or by its owner while it has a
// second name. The save goes into the file itself — every name shows the new
// content, and owner, group, mode and links stay — and nothing is left beside.
TEST_F(WriteFileReplacingTest, ASharedFileIsWrittenInPlaceKeepingLinksOwnerGroupAndMode) {
  if (::geteuid() != 0) GTEST_SKIP() << "only a privileged user may set up other users' files";
  constexpr uid_t kSaver = 65534;
  constexpr gid_t kSaverGroup = 65534;
  constexpr uid_t kOwner = 4001;
  constexpr gid_t kShared = 4002;
  struct Case {
    const char* what;
    mode_t folderMode;
    uid_t owner;
    gid_t group;
    mode_t fileMode;
    bool secondName;
    std::vector<gid_t> saverGroups;
  };
  const Case cases[] = {
      {"its owner saves a file with two hard links", 0777, kSaver, kSaverGroup, 0644, true, {}},
      {"a group member saves another user's file", 0777, kOwner, kShared, 0664, false, {kShared}},
      {"the same in a sticky folder", 01777, kOwner, kShared, 0664, false, {kShared}},
      {"a group member saves a linked file in a sticky folder",
       01777,
       kOwner,
       kShared,
       0660,
       true,
       {kShared}},
  };
  fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                            fs::perms::others_read | fs::perms::others_exec);
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path folder = dir_ / ("shared" + std::to_string(n++));
    fs::create_directory(folder);
    ASSERT_EQ(::chmod(folder.c_str(), c.folderMode), 0);
    const std::string file = (folder / "picture.pln").string();
    const std::string other = (folder / "other-name.pln").string();
    Write(file, std::string(3000, 'o'));
    ASSERT_EQ(::chown(file.c_str(), c.owner, c.group), 0);
    ASSERT_EQ(::chmod(file.c_str(), c.fileMode), 0);
    if (c.secondName) {
      ASSERT_EQ(::link(file.c_str(), other.c_str()), 0);
    }
    struct stat before {};
    ASSERT_EQ(::stat(file.c_str(), &before), 0);

    const int failed = AsUser(kSaver, kSaverGroup, c.saverGroups, [&] {
      try {
        WriteFileReplacing(file, "saved", kCannot, kWriteFailed);
        return 0;
      } catch (const Error& e) {
        std::fprintf(stderr, "the save failed: %s\n", e.message().c_str());
        return 1;
      }
    });
    ASSERT_NE(failed, 77) << "the saver's ids could not be taken";
    EXPECT_EQ(failed, 0);

    EXPECT_EQ(ReadBytes(file), "saved");
    if (c.secondName) {
      EXPECT_EQ(ReadBytes(other), "saved") << "the link was broken";
    }
    struct stat after {};
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_nlink, before.st_nlink);
    EXPECT_EQ(after.st_uid, c.owner);
    EXPECT_EQ(after.st_gid, c.group);
    EXPECT_EQ(after.st_mode & 07777, c.fileMode);
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename());
    EXPECT_EQ(names.size(), c.secondName ? 2u : 1u) << "a temporary file is left";
  }
}

TEST_F(WriteFileReplacingTest, AWritableFileInAFolderClosedToNewFilesIsWrittenInPlace) {
  // The folder is the privileged user's and closed; its one file is open to all.
  const fs::path closed = dir_ / "closed";
  fs::create_directory(closed);
  Write((closed / "open.pln").string(), std::string(5000, 'o'));
  fs::permissions(closed / "open.pln", fs::perms::all & ~fs::perms::owner_exec &
                                           ~fs::perms::group_exec & ~fs::perms::others_exec);
  fs::permissions(dir_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                            fs::perms::others_read | fs::perms::others_exec);
  fs::permissions(closed, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
  if (::geteuid() != 0 && ::access(closed.c_str(), W_OK) == 0) {
    GTEST_SKIP() << "the folder cannot be closed to this user";
  }
  const std::string open = (closed / "open.pln").string();
  const std::string fresh = (closed / "fresh.pln").string();
  const int failed = AsUnprivilegedUser([&] {
    int failures = 0;
    if (::access(closed.c_str(), W_OK) == 0) return 77;
    try {
      WriteFileReplacing(open, "saved", kCannot, kWriteFailed);
    } catch (...) {
      ++failures;
    }
    try {
      WriteFileReplacing(fresh, "new", kCannot, kWriteFailed);
      ++failures;
    } catch (const Error& e) {
      if (e.message() != kCannot) ++failures;
    }
    return failures;
  });
  if (failed == 77) GTEST_SKIP() << "no unprivileged user to run as";
  EXPECT_EQ(failed, 0);
  EXPECT_EQ(ReadBytes(open), "saved");
  EXPECT_FALSE(fs::exists(fresh));
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(closed)) names.insert(e.path().filename());
  EXPECT_EQ(names, std::set<std::string>{"open.pln"});
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

// The attribute's value, or nothing when the file has none.
std::optional<std::string> Attribute(const std::string& path, const char* name) {
  std::string value(4096, '\0');
  const ssize_t n = ::getxattr(path.c_str(), name, value.data(), value.size());
  if (n < 0) return std::nullopt;
  value.resize(static_cast<std::size_t>(n));
  return value;
}

TEST_F(WriteFileReplacingTest, AReplacedFileKeepsItsExtendedAttributesAndAccessList) {
  const std::string file = Path("tagged.pln");
  Write(file, "old");
  if (::setxattr(file.c_str(), "user.test", "kept", 4, 0) != 0) {
    ASSERT_TRUE(errno == ENOTSUP || errno == EPERM) << std::strerror(errno);
    GTEST_SKIP() << "this file system refuses user extended attributes";
  }
  // An access list giving user 4001 read: owner rw, named user r, group r,
  // mask r, others nothing (version 2 of the kernel's format).
  const unsigned char acl[] = {2,    0, 0, 0,                           //
                               1,    0, 6, 0, 0xff, 0xff, 0xff, 0xff,   // owner
                               2,    0, 4, 0, 0xa1, 0x0f, 0,    0,      // user 4001
                               4,    0, 4, 0, 0xff, 0xff, 0xff, 0xff,   // group
                               0x10, 0, 4, 0, 0xff, 0xff, 0xff, 0xff,   // mask
                               0x20, 0, 0, 0, 0xff, 0xff, 0xff, 0xff};  // others
  const bool withAcl = ::setxattr(file.c_str(), "system.posix_acl_access", acl, sizeof acl, 0) == 0;
  const std::optional<std::string> aclBefore = Attribute(file, "system.posix_acl_access");
  struct stat before {};
  ASSERT_EQ(::stat(file.c_str(), &before), 0);

  WriteFileReplacing(file, "new", kCannot, kWriteFailed);

  struct stat after {};
  ASSERT_EQ(::stat(file.c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino) << "the file was written in place, not replaced";
  EXPECT_EQ(ReadBytes(file), "new");
  EXPECT_EQ(Attribute(file, "user.test"), "kept");
  if (withAcl) {
    EXPECT_EQ(Attribute(file, "system.posix_acl_access"), aclBefore);
    EXPECT_EQ(after.st_mode & 07777, before.st_mode & 07777);
  }
  EXPECT_EQ(Entries(), std::set<std::string>{"tagged.pln"});
}

// A file written in place (here: it has a second name) whose new content
// finds no room keeps its old content whole, rather than being cut first.
TEST_F(WriteFileReplacingTest, AFileWrittenInPlaceSurvivesAFullDisk) {
  const std::string file = Path("linked.pln");
  const std::string old(1000, 'o');
  Write(file, old);
  ASSERT_EQ(::link(file.c_str(), Path("second-name.pln").c_str()), 0);
  std::string message;
  {
    const test::ScopedFileSizeLimit limit(4096);
    ASSERT_TRUE(limit.applied());
    message = ErrorOf(file, std::string(100000, 'n'));
  }
  EXPECT_EQ(message, kWriteFailed);
  EXPECT_EQ(ReadBytes(file), old);
  EXPECT_EQ(Entries(), (std::set<std::string>{"linked.pln", "second-name.pln"}));

  // With room it takes the new content, shorter or longer.
  WriteFileReplacing(file, "short", kCannot, kWriteFailed);
  EXPECT_EQ(ReadBytes(Path("second-name.pln")), "short");
  WriteFileReplacing(file, std::string(5000, 'l'), kCannot, kWriteFailed);
  EXPECT_EQ(ReadBytes(Path("second-name.pln")), std::string(5000, 'l'));
}

// A save's temporaries are named by a hash of the file's own name (FNV-1a),
// written as eight lowercase hex digits, zero-filled.
TEST(TemporaryPrefix, TheNamesHashInEightHexDigits) {
  const std::pair<const char*, const char*> cases[] = {
      {"picture.pln", ".palorin-48af1495-"},
      {"/some/folder/picture.pln", ".palorin-48af1495-"},
      {"a", ".palorin-e40c292c-"},
      {"isl.pln", ".palorin-0003b487-"},
  };
  for (const auto& [name, prefix] : cases) EXPECT_EQ(TemporaryPrefix(name), prefix) << name;
}

// What a killed save left goes at the next save of the same file; a save
// still at work (its file locked), one just begun (its file new) and other
// files' temporaries stay.
TEST_F(WriteFileReplacingTest, TheNextSaveRemovesTheStaleTemporariesOfItsFile) {
  const std::string file = Path("picture.pln");
  const std::string prefix = TemporaryPrefix(file);
  ASSERT_EQ(prefix.rfind(".palorin-", 0), 0u);
  EXPECT_EQ(prefix, TemporaryPrefix(Path("../elsewhere/picture.pln")));
  EXPECT_NE(prefix, TemporaryPrefix(Path("other.pln")));
  const std::string killed = prefix + "Killed";
  const std::string fresh = prefix + "Fresh1";
  const std::string held = prefix + "HeldOn";
  const std::string others = TemporaryPrefix(Path("other.pln")) + "Killed";
  const std::string oldStyle = ".palorin-Killed";
  const timespec twoMinutesAgo[2] = {{::time(nullptr) - 120, 0}, {::time(nullptr) - 120, 0}};
  for (const std::string& name : {killed, fresh, held, others, oldStyle}) {
    Write(Path(name), "left");
    if (name != fresh) {
      ASSERT_EQ(::utimensat(AT_FDCWD, Path(name).c_str(), twoMinutesAgo, 0), 0);
    }
  }
  const int lock = ::open(Path(held).c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(lock, 0);
  ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);

  WriteFileReplacing(file, "saved", kCannot, kWriteFailed);
  ::close(lock);

  EXPECT_EQ(ReadBytes(file), "saved");
  EXPECT_EQ(Entries(), (std::set<std::string>{"picture.pln", fresh, held, others, oldStyle}));
}

}  // namespace
}  // namespace palorin

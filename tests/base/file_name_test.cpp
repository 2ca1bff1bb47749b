#include "base/file_name.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace palorin {
namespace {

// One extension rule serves the save dialog's default extension and the
// tool's numbered part names.
TEST(FileName, TheExtensionIsWhatFollowsTheLastDotInsideTheFileName) {
  struct Case {
    const char* name;
    const char* withDefault;  // WithDefaultExt(name, "pln")
    const char* numbered;     // InsertBeforeExtension(name, "_2")
  };
  const Case cases[] = {
      {"pic", "pic.pln", "pic_2"},
      {"/a/pic", "/a/pic.pln", "/a/pic_2"},
      {"/a/pic.txt", "/a/pic.txt", "/a/pic_2.txt"},
      {"/a.b/pic", "/a.b/pic.pln", "/a.b/pic_2"},
      {"/a/.hidden", "/a/.hidden.pln", "/a/.hidden_2"},
      {"", "", "_2"},
      {"/a/", "/a/", "/a/_2"},
      {"pic.", "pic.", "pic_2."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WithDefaultExt(c.name, "pln"), c.withDefault) << c.name;
    EXPECT_EQ(InsertBeforeExtension(c.name, "_2"), c.numbered) << c.name;
  }
  EXPECT_EQ(WithDefaultExt("pic", ""), "pic");
}

}  // namespace
}  // namespace palorin

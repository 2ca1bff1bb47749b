// The recovery copy: where it lives, when it is written, that it holds what a
// native save writes, and which of several editors' copies stays.
#include "forms/recovery.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "base/error.h"
#include "core/history.h"
#include "forms/dispatch.h"
#include "forms/session.h"
#include "forms/tform1.h"
#include "forms/tform2.h"
#include "tests/support/error_of.h"
#include "tests/support/fake_services.h"
#include "tests/support/temp_dir.h"

namespace palorin::forms {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;

TEST(RecoveryPath, StateHomeWhenAbsoluteElseTheHomeFolder) {
  struct Case {
    const char* stateHome;
    const char* home;
    std::string path;
  };
  const Case cases[] = {
      {"/x/state", "/home/u", "/x/state/palorin/recovery.pln"},
      {"/x/state", nullptr, "/x/state/palorin/recovery.pln"},
      {nullptr, "/home/u", "/home/u/.local/state/palorin/recovery.pln"},
      {"", "/home/u", "/home/u/.local/state/palorin/recovery.pln"},
      {"relative/state", "/home/u", "/home/u/.local/state/palorin/recovery.pln"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(RecoveryPath(c.stateHome, c.home), c.path);
  }
}

class RecoveryCopyTest : public testing::Test {
 protected:
  RecoveryCopyTest() : form1(services), form2(form1, services) {
    form1.FormCreate();
    form2.FormCreate();
  }

  void Place(std::uint8_t x, std::uint8_t y, std::uint8_t colour) {
    core::PrepareAppend(form1.log());
    core::AppendBlock(form1.scene, x, y, colour);
  }

  // The bytes the file window's native save writes for the picture now.
  std::string NativeSave() {
    const fs::path saved = dir / "saved.pln";
    form2.Visible = true;
    form2.ActivePage = TForm2::kSavePage;
    form2.RadioGroup1ItemIndex = kNativeMode;
    services.saveDialog.replies.push_back(saved.string());
    EXPECT_EQ(Dispatch([&] { form2.Button1Click(); }), std::nullopt);
    return ReadBytes(saved);
  }

  static std::timespec At(long seconds) { return {seconds, 0}; }

  static std::timespec Modified(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_mtim;
  }

  test::FakeServices services;
  TForm1 form1;
  TForm2 form2;
  const test::TempDir tempDir;
  const fs::path dir = tempDir.path();
  // A state folder that does not exist yet, two levels deep.
  const std::string path = (dir / "state/deeper/palorin/recovery.pln").string();
};

TEST_F(RecoveryCopyTest, TheCopyIsWhatANativeSaveWritesDatedByItsChange) {
  RecoveryCopy copy(path);
  Place(10, 20, 1);
  Place(11, 21, 2);
  Place(12, 22, 3);
  form1.Button1Click();  // UnDo: only the positions move, and they are kept too
  copy.Keep(form1.log(), At(105));
  EXPECT_EQ(ReadBytes(path), NativeSave());
  EXPECT_EQ(Modified(path).tv_sec, 105);
  struct stat folder {};
  ASSERT_EQ(::stat((dir / "state").c_str(), &folder), 0);
  EXPECT_EQ(folder.st_mode & 0777, 0700u);
}

TEST_F(RecoveryCopyTest, WithSeveralEditorsTheLastChangeWins) {
  RecoveryCopy first(path);
  RecoveryCopy second(path);
  Place(1, 1, 1);
  const core::PlacementLog earlier = form1.log();
  Place(2, 2, 2);
  const core::PlacementLog later = form1.log();

  first.Keep(later, At(300));
  const std::string firstCopy = ReadBytes(path);
  second.Keep(earlier, At(200));  // written later, but its change is the older one
  EXPECT_EQ(ReadBytes(path), firstCopy);

  // The second editor's next change is the newest: it replaces the copy,
  // and the first editor's copy goes to the history.
  core::PlacementLog newest = later;
  newest.Store(5, 3, 3, 3);
  newest.LastIndex = 5;
  second.Keep(newest, At(400));
  EXPECT_NE(ReadBytes(path), firstCopy);
  EXPECT_EQ(Modified(path).tv_sec, 400);
  const std::vector<KeptPicture> kept = ListKept(path);
  ASSERT_EQ(kept.size(), 2u);
  EXPECT_EQ(ReadBytes(kept[1].path), firstCopy);
}

TEST_F(RecoveryCopyTest, AFailedKeepSaysWhichFileAndTheNextOneWrites) {
  // The state folder's place is taken by a file.
  std::ofstream(dir / "state") << "not a folder";
  RecoveryCopy copy(path);
  Place(1, 1, 1);
  EXPECT_EQ(test::ErrorOf([&] { copy.Keep(form1.log(), At(100)); }),
            "ﾌｧｲﾙ " + path + " を作成できません");
  fs::remove(dir / "state");
  copy.Keep(form1.log(), At(100));
  EXPECT_EQ(ReadBytes(path), NativeSave());
}

// The history beside the copy, as `palorin --restore` sees it, with an editor
// session keeping it.
struct NoShell final : Shell {
  std::vector<std::string> errors;
  void Refresh() override {}
  void ShowError(const std::string& text) override { errors.push_back(text); }
  void CopyToClipboard(const render::Raster&) override {}
  void AskFileName(const FileDialog&, bool) override {}
};

TEST_F(RecoveryCopyTest, ReSetAndALoadOverThePictureKeepItInTheHistory) {
  RecoveryCopy copy(path);
  NoShell shell;
  Session session(shell, &copy);
  session.Press(250, 150);
  session.Press(262, 150);
  session.RunAction(ActionId::ReSet);
  session.RunAction(ActionId::ReSet);  // nothing shown: nothing more kept
  session.Press(100, 100);
  session.OpenFiles({PALORIN_SOURCE_DIR "/tests/cli/data/small.pln"});
  session.RecoveryDue();
  const std::vector<KeptPicture> kept = ListKept(path);
  ASSERT_EQ(kept.size(), 3u);
  EXPECT_TRUE(kept[0].isCopy);
  EXPECT_EQ(kept[1].blocks, 1);  // before the load
  EXPECT_EQ(kept[2].blocks, 2);  // before ReSet
  EXPECT_EQ(ChooseRestore(path, 3).file, kept[2].path);
  EXPECT_TRUE(shell.errors.empty());
}

TEST_F(RecoveryCopyTest, ADamagedCopyIsSetAsideNamedAndNeverReplaced) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << "[Var]:PLN_001\r\n[Count]:x9\r\n";
  const RestoreChoice choice = ChooseRestore(path, 1);
  EXPECT_FALSE(choice.file);
  ASSERT_TRUE(choice.error);
  EXPECT_NE(choice.error->find(path), std::string::npos);
  EXPECT_NE(choice.error->find("x9"), std::string::npos);  // what was wrong
  EXPECT_FALSE(fs::exists(path));
  std::size_t aside = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(path).parent_path())) {
    aside += entry.path().string().find(".damaged-") != std::string::npos ? 1 : 0;
  }
  EXPECT_EQ(aside, 1u);
  EXPECT_EQ(ChooseRestore(path, 1).error.value_or("").rfind("No picture is kept", 0), 0u);
}

TEST_F(RecoveryCopyTest, ACopyDatedInTheFutureIsReplacedAndTheHistoryStaysBounded) {
  Place(1, 1, 1);
  RecoveryCopy copy(path);
  copy.Keep(form1.log(), At(100));
  const std::timespec future{Modified(path).tv_sec + 100000000, 0};
  copy.Keep(form1.log(), future);  // the clock was later set back
  Place(2, 2, 2);
  std::timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  copy.Keep(form1.log(), now);
  EXPECT_EQ(Modified(path).tv_sec, now.tv_sec);
  for (int i = 0; i < kMaxSnapshots + 3; ++i) copy.Snapshot(form1.log());
  EXPECT_EQ(ListKept(path).size(), static_cast<std::size_t>(kMaxSnapshots) + 1);
}

// A copy another editor left goes to the history named by its time in UTC
// to the millisecond, each field zero-filled, so that the names sort as the
// times do.
TEST_F(RecoveryCopyTest, TheHistoryNamesAPictureByItsTimeZeroFilled) {
  const std::string history = HistoryFolder(path) + "/";
  const std::pair<std::timespec, std::string> cases[] = {
      {{0, 0}, "19700101T000000.000Z.pln"},
      {{1000000000, 7000000}, "20010909T014640.007Z.pln"},
      {{951825599, 50999999}, "20000229T115959.050Z.pln"},
      {{1799999999, 999999999}, "20270115T075959.999Z.pln"},
  };
  Place(1, 1, 1);
  std::timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  for (const auto& [at, name] : cases) {
    fs::remove(path);
    RecoveryCopy(path).Keep(form1.log(), at);
    RecoveryCopy(path).Keep(form1.log(), now);
    EXPECT_TRUE(fs::exists(history + name)) << name;
  }
}

}  // namespace
}  // namespace palorin::forms

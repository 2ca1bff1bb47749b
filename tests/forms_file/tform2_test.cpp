#include "forms/tform2.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "forms/dispatch.h"
#include "tests/forms_file/fake_services.h"

namespace palorin::forms {
namespace {

namespace fs = std::filesystem;
using testing::FakeServices;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FileWindowTest : public ::testing::Test {
 protected:
  FileWindowTest() : form1(services), form2(form1, services) {
    form1.FormCreate();
    form2.FormCreate();
    form2.Visible = true;  // shown by "File"
    dir =
        fs::temp_directory_path() /
        ("palorin_forms_file_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  ~FileWindowTest() override { fs::remove_all(dir); }

  // Places a block the way a press does.
  void Place(std::uint8_t x, std::uint8_t y, std::uint8_t colour) {
    core::PrepareAppend(form1.log());
    core::AppendBlock(form1.scene, x, y, colour);
  }

  std::optional<std::string> Save(int mode, const fs::path& path) {
    form2.ActivePage = TForm2::kSavePage;
    form2.RadioGroup1ItemIndex = mode;
    services.saveReplies.push_back(path.string());
    return Dispatch([&] { form2.Button1Click(); });
  }
  std::optional<std::string> Load(const fs::path& path) {
    form2.ActivePage = TForm2::kLoadPage;
    services.openReplies.push_back(path.string());
    return Dispatch([&] { form2.Button1Click(); });
  }

  FakeServices services;
  TForm1 form1;
  TForm2 form2;
  fs::path dir;
};

TEST_F(FileWindowTest, NativeSaveThenLoadIntoAFreshEditorRestoresLogAndPicture) {
  Place(3, 17, 2);
  Place(7, 5, 1);
  Place(10, 0, 3);
  ASSERT_EQ(Save(kNativeMode, dir / "pic"), std::nullopt);
  EXPECT_FALSE(form2.Visible);
  EXPECT_TRUE(fs::exists(dir / "pic.pln"));

  FakeServices services2;
  TForm1 other1(services2);
  other1.FormCreate();
  TForm2 other2(other1, services2);
  other2.FormCreate();
  other2.Visible = true;
  services2.openReplies.push_back((dir / "pic.pln").string());
  ASSERT_EQ(Dispatch([&] { other2.Button1Click(); }), std::nullopt);
  EXPECT_FALSE(other2.Visible);
  EXPECT_EQ(other1.log().LogPos, 2);
  EXPECT_EQ(other1.log().LastIndex, 2);
  EXPECT_EQ(other1.log().LogX, form1.log().LogX);
  EXPECT_EQ(other1.log().LogY, form1.log().LogY);
  EXPECT_EQ(other1.log().LogColor, form1.log().LogColor);
  EXPECT_EQ(other1.raster(), form1.raster());
  EXPECT_EQ(other1.StatusBar1().Panels[0], "Count:2");
}

TEST_F(FileWindowTest, AFreshEditorSavesSlotZeroWithCountZero) {
  ASSERT_EQ(Save(kNativeMode, dir / "empty.pln"), std::nullopt);
  EXPECT_EQ(ReadBytes(dir / "empty.pln"),
            std::string(70, '=') +
                "\r\n[Var]:PLN_001\r\n[Writing OS]:Win32\r\n[Count]:    0\r\n[DSection]\r\n"
                "00000\r\n****\r\n");
}

}  // namespace
}  // namespace palorin::forms

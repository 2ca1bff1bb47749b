#include "forms/dispatch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <new>
#include <stdexcept>
#include <string>

#include "base/error.h"
#include "base/int_parse.h"

namespace palorin::forms {
namespace {

// A text in and the text it gives.
struct TextCase {
  const char* in;
  const char* out;
};

TEST(ErrorBoxText, FullStopAfterCharactersThatSortAfterIt) {
  const TextCase cases[] = {
      // message, box text
      {"abc", "abc."},
      {"a.", "a."},  // the full stop itself does not sort after it
      {"a-", "a-"},  // '-' sorts before it
      {"a ", "a "},
      {"a/", "a/."},  // '/' comes right after it
      {"a0", "a0."},
      {"", ""},
      {"'x' は整数ではありません", "'x' は整数ではありません."},
      {"ﾌｧｲﾙ a を作成できません", "ﾌｧｲﾙ a を作成できません."},
      {"ｽﾄﾘｰﾑへの書き込みｴﾗｰ", "ｽﾄﾘｰﾑへの書き込みｴﾗｰ."},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorBoxText(c.in), c.out) << c.in;
}

TEST(ErrorBoxTitle, ProgramNameUpToTheFirstFullStopLowerCasedAfterTheFirstLetter) {
  const TextCase cases[] = {
      // program path, title
      {"palorin", "palorin"},
      {"/usr/bin/PALORIN.EXE", "Palorin"},
      {"/opt/x.y/Palorin", "Palorin"},
      {"./PaLoRiN.tar.gz", "Palorin"},
      {"P", "P"},
      {"/usr/bin/\xc3\x89"
       "DIT.x",
       "\xc3\x89"
       "dit"},  // bytes of other letters stay
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorBoxTitle(c.in), c.out) << c.in;
}

TEST(ErrorBoxGloss, TheEnglishOfEachJapaneseMessageWithItsValue) {
  const std::pair<std::string, std::string> rows[] = {
      {"ﾌｧｲﾙ /a b/c.pln は開けません.", "File /a b/c.pln cannot be opened."},
      {"ﾌｧｲﾙ x.txt を作成できません.", "File x.txt cannot be created."},
      {"'x9' は整数ではありません.", "'x9' is not an integer."},
      {"'' は整数ではありません.", "'' is not an integer."},
      {"ｽﾄﾘｰﾑへの書き込みに失敗しました.", "Writing to the stream failed."},
      {"An unexpected error occurred.", ""},
      {"ﾌｧｲﾙ x は開けません", ""},  // not a box's text: no full stop
  };
  for (const auto& [text, english] : rows) EXPECT_EQ(ErrorBoxGloss(text), english) << text;
}

TEST(Dispatch, KeepsBytesAfterANulInTheMessage) {
  // A conversion error quotes a field read from a file, which may hold a NUL.
  const std::string field("1\0002", 3);
  const auto text = Dispatch([&] { StrToInt(field); });
  EXPECT_EQ(text, "'" + field + "' は整数ではありません.");
}

TEST(Dispatch, TurnsAnErrorIntoTheBoxTextAndKeepsEarlierChanges) {
  int steps = 0;
  const auto text = Dispatch([&] {
    ++steps;
    StrToInt("abc");
    ++steps;
  });
  EXPECT_EQ(text, "'abc' は整数ではありません.");
  EXPECT_EQ(steps, 1);
  EXPECT_EQ(Dispatch([&] { ++steps; }), std::nullopt);
  EXPECT_EQ(steps, 2);
}

TEST(Dispatch, EveryExceptionBecomesAnErrorBox) {
  struct Unknown {};
  int steps = 0;
  EXPECT_EQ(Dispatch([&] {
              ++steps;
              throw std::bad_alloc();
            }),
            "std::bad_alloc.");
  EXPECT_EQ(Dispatch([] { throw std::filesystem::filesystem_error("fs", std::error_code()); }),
            std::string(std::filesystem::filesystem_error("fs", std::error_code()).what()) + ".");
  EXPECT_EQ(Dispatch([] { throw std::logic_error("bug"); }), "bug.");
  EXPECT_EQ(Dispatch([] { throw std::runtime_error(""); }), "An unexpected error occurred.");
  EXPECT_EQ(Dispatch([] { throw Unknown{}; }), "An unexpected error occurred.");
  EXPECT_EQ(Dispatch([] { throw 7; }), "An unexpected error occurred.");
  EXPECT_EQ(steps, 1);
}

}  // namespace
}  // namespace palorin::forms

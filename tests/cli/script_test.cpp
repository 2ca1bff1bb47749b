#include "cli/script.h"

#include <gtest/gtest.h>

#include <climits>
#include <iterator>
#include <vector>

namespace palorin::cli {
namespace {

using Kind = Action::Kind;

struct GoodLine {
  std::string line;
  Kind kind;
  int x = 0;
  int y = 0;
  int axis = 0;
  int entry = 0;
  std::string text{};
};

TEST(ParseLine, ReadsEveryActionWithItsFields) {
  std::vector<GoodLine> cases = {
      {"press 100 200", Kind::Press, 100, 200},
      {"press -5 0", Kind::Press, -5, 0},
      {"move 499 307", Kind::Move, 499, 307},
      {"colour blue", Kind::Colour, 0, 0, 0, 0, "blue"},
      {"colour-text dark red", Kind::ColourText, 0, 0, 0, 0, "dark red"},
      {"mode XYZ", Kind::Mode, 0, 0, 0, 0, "XYZ"},
      {"size X 1", Kind::Size, 0, 0, 0, 0},
      {"size Z 50", Kind::Size, 0, 0, 2, 49},
      {"size-text Y  7", Kind::SizeText, 0, 0, 1, 0, " 7"},
      {"size-text X", Kind::SizeText, 0, 0, 0, 0, ""},
      {"step $10", Kind::Step, 0, 0, 0, 0, "$10"},
      {"page load", Kind::Page, 0, 0, 0, 0},
      {"page save", Kind::Page, 0, 0, 0, 1},
      {"save-mode compat", Kind::SaveMode, 0, 0, 0, 0},
      {"save-mode native", Kind::SaveMode, 0, 0, 0, 1},
      {"save-mode bmp", Kind::SaveMode, 0, 0, 0, 2},
      {"part 3 ", Kind::Part, 0, 0, 0, 0, "3 "},
      {"load my pictures/a b.txt", Kind::Load, 0, 0, 0, 0, "my pictures/a b.txt"},
      {"save out", Kind::Save, 0, 0, 0, 0, "out"},
      {"key Ctrl+Shift+Z", Kind::Key, 0, 0, 0, 0, "Ctrl+Shift+Z"},
      {"area-key Shift+Left", Kind::AreaKey, 0, 0, 0, 0, "Shift+Left"},
      // A script written with CR LF line ends.
      {"press 1 2\r", Kind::Press, 1, 2},
      {"step 12\r", Kind::Step, 0, 0, 0, 0, "12"},
  };
  // Lines that give an action with every field left empty.
  const std::pair<const char*, Kind> bareLines[] = {
      {"colour-text ", Kind::ColourText}, {"colour-text", Kind::ColourText},
      {"step ", Kind::Step},              {"load-cancel", Kind::LoadCancel},
      {"save-cancel", Kind::SaveCancel}};
  for (const auto& [line, kind] : bareLines) cases.push_back({line, kind});
  for (const GoodLine& c : cases) {
    SCOPED_TRACE(c.line);
    const ParsedLine parsed = ParseLine(c.line);
    EXPECT_EQ(parsed.error, "");
    ASSERT_TRUE(parsed.action.has_value());
    EXPECT_EQ(parsed.action->kind, c.kind);
    EXPECT_EQ(parsed.action->x, c.x);
    EXPECT_EQ(parsed.action->y, c.y);
    EXPECT_EQ(parsed.action->axis, c.axis);
    EXPECT_EQ(parsed.action->entry, c.entry);
    EXPECT_EQ(parsed.action->text, c.text);
  }
}

TEST(ParseLine, EveryVerbOfTheActionTableButExecuteIsALineOfItsOwn) {
  for (const forms::ActionRow& row : forms::Actions()) {
    const std::string verb(row.verb);
    SCOPED_TRACE(verb);
    const ParsedLine parsed = ParseLine(verb);
    if (row.id == forms::ActionId::Execute) {
      // Its dialog needs an answer, which only load, save and the cancels give.
      EXPECT_FALSE(parsed.action.has_value());
      EXPECT_NE(parsed.error.find("load PATH, save PATH"), std::string::npos) << parsed.error;
      continue;
    }
    ASSERT_TRUE(parsed.action.has_value()) << parsed.error;
    EXPECT_EQ(parsed.action->kind, Kind::Verb);
    EXPECT_EQ(parsed.action->id, row.id);
    EXPECT_EQ(ParseLine(verb + " now").error, "\"" + verb + "\" takes nothing after it");
  }
}

TEST(ParseLine, OpenTakesNamesSeparatedBySemicolons) {
  const std::pair<const char*, std::vector<std::string>> good[] = {
      {"open a.pln", {"a.pln"}},
      {"open in/a b.txt;b.txt;/c", {"in/a b.txt", "b.txt", "/c"}},
      {"open  x; y", {" x", " y"}},
  };
  for (const auto& [line, names] : good) {
    SCOPED_TRACE(line);
    const ParsedLine parsed = ParseLine(line);
    ASSERT_TRUE(parsed.action.has_value()) << parsed.error;
    EXPECT_EQ(parsed.action->kind, Kind::Open);
    EXPECT_EQ(parsed.action->names, names);
  }
  for (const char* bad : {"open", "open ", "open a;", "open ;a", "open a;;b"}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(ParseLine(bad).error, "\"open\" needs file names separated by \";\"");
  }
}

TEST(ParseLine, SkipsBlankAndCommentLines) {
  for (const char* line : {"", "   ", "\t", "\r", "# a comment", "#undo"}) {
    SCOPED_TRACE(line);
    const ParsedLine parsed = ParseLine(line);
    EXPECT_FALSE(parsed.action.has_value());
    EXPECT_EQ(parsed.error, "");
  }
}

TEST(ParseLine, RefusesLinesItDoesNotUnderstand) {
  const std::pair<const char*, const char*> cases[] = {
      {"frobnicate", "unknown action \"frobnicate\""},
      {"Undo", "unknown action \"Undo\""},
      {" undo", "the line starts with a blank"},
      {"undo now", "\"undo\" takes nothing after it"},
      {"undo ", "\"undo\" takes nothing after it"},
      {"press 1", "\"press\" needs X and Y"},
      {"press 1  2", "\"press\" needs X and Y"},
      {"press 1 2 3", "\"press\" needs X and Y"},
      {"press a b", "\"press\" needs X and Y"},
      {"press 2147483648 0", "\"press\" needs X and Y"},
      {"move +1 2", "\"move\" needs X and Y"},
      {"size W 3", "\"size\" needs an axis"},
      {"size X 0", "\"size\" needs an axis"},
      {"size X 51", "\"size\" needs an axis"},
      {"size x 3", "\"size\" needs an axis"},
      {"size-text Q 3", "\"size-text\" needs an axis"},
      {"page", "\"page\" needs load or save"},
      {"page Save", "\"page\" needs load or save"},
      {"save-mode txt", "\"save-mode\" needs compat, native or bmp"},
      {"load", "\"load\" needs a file name"},
      {"save ", "\"save\" needs a file name"},
      {"colour", "\"colour\" needs a name"},
      {"area-key", "\"area-key\" needs a key"},
      {"bad\x01", "unknown action \"bad\\x01\""},
  };
  for (const auto& [line, message] : cases) {
    SCOPED_TRACE(line);
    const ParsedLine parsed = ParseLine(line);
    EXPECT_FALSE(parsed.action.has_value());
    EXPECT_EQ(parsed.error.rfind(message, 0), 0u) << parsed.error;
  }
}

TEST(ParseDecimal, TakesOnlyPlainDecimalsWithinThirtyTwoBits) {
  int value = 0;
  EXPECT_TRUE(ParseDecimal("2147483647", value));
  EXPECT_EQ(value, INT_MAX);
  EXPECT_TRUE(ParseDecimal("-2147483648", value));
  EXPECT_EQ(value, INT_MIN);
  EXPECT_TRUE(ParseDecimal("-0", value));
  EXPECT_EQ(value, 0);
  EXPECT_TRUE(ParseDecimal("007", value));
  EXPECT_EQ(value, 7);
  for (const char* bad : {"", "-", "2147483648", "-2147483649", "99999999999999999999", " 1", "1 ",
                          "+1", "$1f", "1e3"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(ParseDecimal(bad, value));
  }
}

}  // namespace
}  // namespace palorin::cli

#include "base/int_parse.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "base/error.h"

namespace palorin {
namespace {

struct Parsed {
  const char* text;
  std::int32_t value;
};

TEST(IntParse, AcceptsDecimalAndHexForms) {
  const Parsed cases[] = {
      {"0", 0},
      {"1", 1},
      {"  42", 42},
      {"+7", 7},
      {"-7", -7},
      {"   -12", -12},
      {"007", 7},
      {"-0", 0},
      {"2147483647", 2147483647},
      {"-2147483647", -2147483647},
      {"00000000002147483647", 2147483647},
      {"$0", 0},
      {"$10", 16},
      {"$ff", 255},
      {"$FF", 255},
      {"$7FFFFFFF", 2147483647},
      {"$80000000", -2147483647 - 1},
      {"$FFFFFFFF", -1},
      {"$00000001", 1},
      {" $A", 10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(StrToInt(c.text), c.value);
    std::int32_t out = 12345;
    EXPECT_TRUE(TryStrToInt(c.text, out));
    EXPECT_EQ(out, c.value);
  }
}

TEST(IntParse, RejectsQuotingTheWholeTextInTheMessage) {
  const char* const cases[] = {
      "",
      " ",
      "+",
      "-",
      "$",
      "1 ",
      "0x10",
      "$123456789",
      "2147483648",
      "-2147483648",
      "99999999999999999999",
      "1.5",
      "1e3",
      "abc",
      "-$10",
      "+$10",
      "$-1",
      "$G",
      "\t1",
      "1\n",
      "--1",
      "+-1",
      "１",
  };
  for (const char* text : cases) {
    SCOPED_TRACE(text);
    std::int32_t out = 12345;
    EXPECT_FALSE(TryStrToInt(text, out));
    EXPECT_EQ(out, 12345) << "a failed parse must leave the output alone";
    try {
      StrToInt(text);
      ADD_FAILURE() << "no error raised";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), "'" + std::string(text) + "' は整数ではありません");
    }
  }
}

TEST(IntParse, MessageBytesAreExact) {
  try {
    StrToInt("abc");
    FAIL() << "no error raised";
  } catch (const Error& e) {
    // "'abc' は整数ではありません" in UTF-8, spelt out byte by byte.
    const std::string expected =
        "'abc' \xe3\x81\xaf\xe6\x95\xb4\xe6\x95\xb0\xe3\x81\xa7\xe3\x81\xaf"
        "\xe3\x81\x82\xe3\x82\x8a\xe3\x81\xbe\xe3\x81\x9b\xe3\x82\x93";
    EXPECT_EQ(std::string(e.what()), expected);
  }
}

TEST(FormatMessage, ReplacesOnlyTheFirstPlaceholder) {
  EXPECT_EQ(FormatMessage("a %s b %s", "x"), "a x b %s");
  EXPECT_EQ(FormatMessage("no placeholder", "x"), "no placeholder");
  EXPECT_EQ(FormatMessage("'%s'", "%s"), "'%s'");
}

}  // namespace
}  // namespace palorin

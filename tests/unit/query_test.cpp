#include "domain/query.h"

#include <gtest/gtest.h>

#include <string>

namespace varnel {
namespace {

bool OnlyLettersDigitsAndEscapes(const std::string& s) {
  auto hex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); };
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
      continue;
    }
    if (c != '%' || i + 2 >= s.size() || !hex(s[i + 1]) || !hex(s[i + 2])) {
      return false;
    }
    i += 2;
  }
  return true;
}

TEST(NormalizeQuery, CleansTypedAndDictatedTerms) {
  const struct {
    const char* name;
    std::string in, out;
  } cases[] = {
      {"empty", "", ""},
      {"spaces only", "     ", ""},
      {"control characters only", "\t\x01\x1F\r\n", ""},
      {"runs of spaces", "  red   green  ", "red green"},
      {"plus", "a+b+c", "a AND b AND c"},
      {"spaced plus", "a + b", "a AND b"},
      {"dictated lines", "alpha \r\n beta", "alpha\r\nbeta"},
      {"inner tab kept", "a\tb", "a\tb"},
      {"ends trimmed", "\x01x y\x1F", "x y"},
      {"tab then spaces", "\t  x  \t", "x"},
      {"utf-8 never blank", " \xC3\xA9\xC2\xA0 ", "\xC3\xA9\xC2\xA0"},
      {"lone line feed stays inside", "a\nb", "a\nb"},
  };
  for (const auto& c : cases) {
    std::string text = c.in;
    NormalizeQuery(text);
    EXPECT_EQ(text, c.out) << c.name;
  }
}

TEST(NormalizeQuery, HandlesTenThousandCharacters) {
  std::string spaced = "a" + std::string(10000, ' ') + "b";
  NormalizeQuery(spaced);
  EXPECT_EQ(spaced, "a b");

  std::string controls(10000, '\x07');
  NormalizeQuery(controls);
  EXPECT_EQ(controls, "");

  std::string pluses(10000, '+');
  NormalizeQuery(pluses);
  EXPECT_EQ(pluses.substr(0, 7), "AND AND");
  EXPECT_EQ(pluses.find("  "), std::string::npos);
}

TEST(UrlEncode, EncodesEveryByteButLettersAndDigits) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"", ""},
      {"   ", ""},
      {"  x  ", "x"},
      {"red green", "red%20green"},
      {"alpha\r\nbeta", "alpha%0D%0Abeta"},
      {"a\tb", "a%09b"},
      {"?", "%3F"},
      {"-_.~+", "%2D%5F%2E%7E%2B"},
      {"caf\xC3\xA9", "caf%C3%A9"},
      {"\xE6\x97\xA5\xE6\x9C\xAC", "%E6%97%A5%E6%9C%AC"},
      {std::string("a\0b", 3), "a%00b"},
      {"AZaz09", "AZaz09"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UrlEncode(c.in), c.out) << c.in;
  }
}

TEST(UrlEncode, OutputIsAlwaysSafe) {
  std::string all;
  for (int b = 0; b < 256; ++b) {
    all += static_cast<char>(b);
  }
  const std::string encoded = UrlEncode(all);
  EXPECT_TRUE(OnlyLettersDigitsAndEscapes(encoded));
  EXPECT_EQ(encoded.size(), 62 + (256 - 62) * 3u);
}

}  // namespace
}  // namespace varnel

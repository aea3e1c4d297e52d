#include "domain/text_compare.h"

#include <gtest/gtest.h>

#include <string>

namespace varnel {
namespace {

TEST(TextCompare, OnlyAsciiLettersFold) {
  const struct {
    std::string_view a, b;
    bool equal;
  } cases[] = {
      {"Varnel", "varnel", true},
      {"TRUE", "True", true},
      {"", "", true},
      {"varnel", "varnel.exe", false},
      {"varnel.exe", "varnel", false},
      {"[", "{", false},  // 0x5B and 0x7B differ by the case bit but are not letters
      {"@", "`", false},
      {"Z", "z", true},
      {"caf\xC3\xA9", "CAF\xC3\xA9", true},
      {"\xC3\xA9", "\xC3\x89", false},  // é and É: UTF-8 bytes stay as they are
      {"\xC9", "\xE9", false},          // Latin-1 É and é: not folded even where a locale would
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EqualsIgnoringCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
    EXPECT_EQ(EqualsIgnoringCase(c.b, c.a), c.equal) << c.b << " / " << c.a;
  }
  EXPECT_EQ(AsciiLower("Wolfram|&Alpha \xC3\x89"), "wolfram|&alpha \xC3\x89");
}

TEST(TextCompare, EndsAndSearch) {
  const struct {
    std::string_view text, part;
    bool starts, ends;
    std::size_t found;
  } cases[] = {
      {"HTTPS://x", "https://", true, false, 0},
      {"http", "https://", false, false, std::string_view::npos},
      {"Firefox.EXE", ".exe", false, true, 7},
      {"a.exe b.Exe", ".exe", false, true, 1},
      {"", "", true, true, 0},
      {"abc", "", true, true, 0},
      {"", "x", false, false, std::string_view::npos},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StartsWithIgnoringCase(c.text, c.part), c.starts) << c.text << " / " << c.part;
    EXPECT_EQ(EndsWithIgnoringCase(c.text, c.part), c.ends) << c.text << " / " << c.part;
    EXPECT_EQ(FindIgnoringCase(c.text, c.part), c.found) << c.text << " / " << c.part;
  }
  EXPECT_EQ(FindIgnoringCase("a.exe b.Exe", ".EXE", 2), 7U);
  EXPECT_EQ(FindIgnoringCase("a.exe", ".exe", 9), std::string_view::npos);
}

}  // namespace
}  // namespace varnel

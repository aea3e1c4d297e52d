// UTF-8 text measured in the UTF-16 units that text controls count in.
#include <gtest/gtest.h>

#include "domain/utf8.h"

namespace varnel {
namespace {

TEST(Utf8Test, Utf16Length) {
  const struct {
    const char* text;
    int units;
  } cases[] = {
      {"", 0},
      {"abc", 3},
      {"caf\xC3\xA9", 4},
      {"e\xCC\x81x", 3},  // a combining mark is a unit of its own
      {"\xE6\x97\xA5x", 2},
      {"a\xF0\x9F\x8D\x95", 3},  // outside the BMP: a surrogate pair
      {"\xF0\x9F\x8D\x95\xF0\xA0\x80\x8B", 4},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf16Length(c.text), c.units) << c.text;
  }
}

}  // namespace
}  // namespace varnel

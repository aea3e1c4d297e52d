#include "support/fake_utf16.h"

#include "domain/utf8.h"

namespace varnel::utf16 {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kSurrogateBase = 0x10000;
constexpr char16_t kHighFirst = 0xD800;
constexpr char16_t kLowFirst = 0xDC00;
constexpr char16_t kLowLast = 0xDFFF;
constexpr int kSurrogateBits = 10;
constexpr char32_t kSurrogateMask = 0x3FF;

bool IsHigh(char16_t u) {
  return u >= kHighFirst && u < kLowFirst;
}
bool IsLow(char16_t u) {
  return u >= kLowFirst && u <= kLowLast;
}

}  // namespace

std::u16string FromUtf8(std::string_view s) {
  std::u16string out;
  for (std::size_t i = 0; i < s.size();) {
    const auto lead = static_cast<unsigned char>(s[i]);
    const int len = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t cp = len == 1 ? lead : lead & (0x7F >> len);
    for (int k = 1; k < len && i + static_cast<std::size_t>(k) < s.size(); ++k) {
      cp = (cp << 6) | (static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]) & 0x3F);
    }
    i += static_cast<std::size_t>(len);
    if (cp >= kSurrogateBase) {
      cp -= kSurrogateBase;
      out += static_cast<char16_t>(kHighFirst + (cp >> kSurrogateBits));
      out += static_cast<char16_t>(kLowFirst + (cp & kSurrogateMask));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

std::string ToUtf8(std::u16string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (IsHigh(s[i]) && i + 1 < s.size() && IsLow(s[i + 1])) {
      AppendUtf8(out,
                 kSurrogateBase + ((static_cast<char32_t>(s[i] - kHighFirst) << kSurrogateBits) |
                                   static_cast<char32_t>(s[i + 1] - kLowFirst)));
      ++i;
    } else {
      AppendUtf8(out, IsHigh(s[i]) || IsLow(s[i]) ? kReplacement : s[i]);
    }
  }
  return out;
}

int StepBack(std::u16string_view s, int at) {
  const auto i = static_cast<std::size_t>(at);
  return at >= 2 && IsLow(s[i - 1]) && IsHigh(s[i - 2]) ? 2 : 1;
}
int StepForward(std::u16string_view s, int at) {
  const auto i = static_cast<std::size_t>(at);
  return i + 1 < s.size() && IsHigh(s[i]) && IsLow(s[i + 1]) ? 2 : 1;
}

bool SplitsPair(std::u16string_view s, int at) {
  const auto i = static_cast<std::size_t>(at);
  return at > 0 && i < s.size() && IsLow(s[i]) && IsHigh(s[i - 1]);
}

}  // namespace varnel::utf16

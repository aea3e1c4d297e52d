// ASCII case folding for the names the program compares: settings words, window classes,
// executable names, key names, address schemes. Only A-Z fold, whatever the C locale says,
// so bytes of UTF-8 text always compare as they are.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace varnel {

constexpr char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string AsciiLower(std::string_view s) {
  std::string out(s);
  std::ranges::transform(out, out.begin(), [](char c) { return AsciiLower(c); });
  return out;
}

constexpr bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

constexpr bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

constexpr bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         EqualsIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

// The first place at or after `from` where `what` starts, npos when it does not occur.
constexpr std::size_t FindIgnoringCase(std::string_view text, std::string_view what,
                                       std::size_t from = 0) {
  for (std::size_t at = from; at <= text.size() && text.size() - at >= what.size(); ++at) {
    if (EqualsIgnoringCase(text.substr(at, what.size()), what)) {
      return at;
    }
  }
  return std::string_view::npos;
}

}  // namespace varnel

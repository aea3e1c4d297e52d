#include "domain/query.h"

#include <string_view>

#include "domain/text.h"

namespace varnel {

namespace {

constexpr int kMaxFoldPasses = 10000;

// Control characters and the space; bytes of multi-byte UTF-8 sequences are never blank.
bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= 32;
}

void TrimSpaces(std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) {
    text.clear();
    return;
  }
  text.erase(text.find_last_not_of(' ') + 1);
  text.erase(0, first);
}

bool IsAsciiAlnum(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

void NormalizeQuery(std::string& text) {
  ReplaceAll(text, "+", " AND ");
  CollapseSpaces(text);
  TrimControlChars(text);
}

void CollapseSpaces(std::string& text) {
  TrimSpaces(text);
  if (text.empty()) {
    return;
  }
  for (int pass = 0; pass < kMaxFoldPasses && text.find("  ") != std::string::npos; ++pass) {
    ReplaceAll(text, "  ", " ");
  }
  ReplaceAll(text, "\r\n ", "\r\n");
  ReplaceAll(text, " \r\n", "\r\n");
  TrimControlChars(text);
}

void TrimControlChars(std::string& text) {
  std::size_t p = 0;
  while (p < text.size() && IsBlank(text[p])) {
    ++p;
  }
  text.erase(0, p);
  std::size_t q = text.size();
  while (q > 0 && IsBlank(text[q - 1])) {
    --q;
  }
  text.erase(q);
}

std::string UrlEncode(const std::string& text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string trimmed = text;
  TrimSpaces(trimmed);
  std::string out;
  out.reserve(trimmed.size() * 3);
  // The UTF-8 bytes themselves, so every character survives, not only a code page's.
  for (const char ch : trimmed) {
    const auto c = static_cast<unsigned char>(ch);
    if (IsAsciiAlnum(c)) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    }
  }
  return out;
}

}  // namespace varnel

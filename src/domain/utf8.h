// UTF-8 text: encoding a code point, and measuring it in the UTF-16 code units in which text
// controls (Qt's and Win32's) count positions and lengths.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace varnel {

// Appends the UTF-8 form of one code point.
inline void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

inline bool IsUtf8Lead(unsigned char byte) {
  return (byte & 0xC0) != 0x80;
}

// A lead byte of four bytes stands for a character outside the BMP: two UTF-16 units.
inline int Utf16Units(unsigned char lead) {
  constexpr unsigned char kFourByteLead = 0xF0;
  return lead >= kFourByteLead ? 2 : 1;
}

inline int Utf16Length(std::string_view s) {
  int n = 0;
  for (const unsigned char ch : s) {
    if (IsUtf8Lead(ch)) {
      n += Utf16Units(ch);
    }
  }
  return n;
}

}  // namespace varnel

// Measuring UTF-8 text in the UTF-16 code units in which text controls (Qt's and Win32's)
// count positions and lengths.
#pragma once

#include <cstddef>
#include <string_view>

namespace varnel {

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

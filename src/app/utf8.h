// Counting and indexing UTF-8 text by characters (code points), as controls measure text.
#pragma once

#include <cstddef>
#include <string_view>

namespace varnel {

inline bool IsUtf8Lead(unsigned char byte) {
  return (byte & 0xC0) != 0x80;
}

inline int Utf8Length(std::string_view s) {
  int n = 0;
  for (const unsigned char ch : s) {
    if (IsUtf8Lead(ch)) {
      ++n;
    }
  }
  return n;
}

// Byte offset of character `cp`, clamped to the end.
inline std::size_t Utf8Offset(std::string_view s, int cp) {
  int n = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (IsUtf8Lead(static_cast<unsigned char>(s[i]))) {
      if (n == cp) {
        return i;
      }
      ++n;
    }
  }
  return s.size();
}

}  // namespace varnel

// Any typed terms, scope and date: the address is well formed and the terms are encoded.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "domain/query.h"
#include "domain/scopes.h"

namespace {

void Check(bool ok) {
  if (!ok) {
    std::abort();
  }
}

bool IsAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsUpperHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

bool OnlyLettersDigitsAndEscapes(const std::string& s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (IsAlnum(s[i])) {
      continue;
    }
    if (s[i] != '%' || i + 2 >= s.size() || !IsUpperHex(s[i + 1]) || !IsUpperHex(s[i + 2])) {
      return false;
    }
    i += 2;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) {
    return 0;
  }
  const int scope = static_cast<int>(data[0] % 17) - 1;  // a few out of range too
  const int date = static_cast<int>(data[1] % 8) - 1;
  const std::string typed(reinterpret_cast<const char*>(data + 2), size - 2);

  std::string terms = typed;
  varnel::NormalizeQuery(terms);
  const std::string encoded = varnel::UrlEncode(terms);
  Check(OnlyLettersDigitsAndEscapes(encoded));
  if (!terms.empty()) {
    Check(static_cast<unsigned char>(terms.front()) > 32);
    Check(static_cast<unsigned char>(terms.back()) > 32);
    Check(terms.find('+') == std::string::npos);
  }

  const varnel::ComposedSearch search = varnel::ComposeSearch(typed, scope, date);
  Check(search.address.rfind("https://", 0) == 0);
  for (char c : search.address) {
    Check(c > 32 && c < 127);
  }
  if (search.history) {
    Check(!search.history->empty());
  }
  return 0;
}

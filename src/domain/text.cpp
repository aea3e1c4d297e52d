#include "domain/text.h"

#include <utility>

namespace varnel {

void ReplaceAll(std::string& text, std::string_view find, std::string_view replacement) {
  if (find.empty()) {
    return;
  }
  std::size_t pos = text.find(find);
  if (pos == std::string::npos) {
    return;
  }
  std::string out;
  out.reserve(text.size());
  std::size_t from = 0;
  while (pos != std::string::npos) {
    out.append(text, from, pos - from);
    out.append(replacement);
    from = pos + find.size();
    pos = text.find(find, from);
  }
  out.append(text, from, std::string::npos);
  text = std::move(out);
}

std::string BeforeNulTrimmed(const std::string& text) {
  std::string s = text.substr(0, text.find('\0'));
  const std::size_t last = s.find_last_not_of(' ');
  s.erase(last == std::string::npos ? 0 : last + 1);
  return s;
}

}  // namespace varnel

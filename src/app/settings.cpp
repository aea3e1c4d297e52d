#include "app/settings.h"

#include <cstdint>
#include <optional>

#include "app/ini_file.h"

namespace varnel {

namespace {

constexpr const char* kHistorySection = "History";
constexpr const char* kHistoryKey = "SearchHistory";
constexpr int kHistoryMaxLen = 255;

// Brackets would end a section header early, so names holding "[" store them as parentheses.
std::string MapName(std::string name) {
  if (name.find('[') != std::string::npos) {
    ReplaceAll(name, "[", "(");
    ReplaceAll(name, "]", ")");
  }
  return name;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) {
      return false;
    }
  }
  return true;
}

std::string MapValue(const std::string& value) {
  if (EqualsIgnoringCase(value, "True")) {
    return "1";
  }
  if (EqualsIgnoringCase(value, "False")) {
    return "0";
  }
  return value;
}

std::string CutAtNul(std::string text) {
  const std::size_t nul = text.find('\0');
  if (nul != std::string::npos) {
    text.resize(nul);
  }
  return text;
}

}  // namespace

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

std::int32_t Settings::WriteIniString(const std::string& section, const std::string& key,
                                      const std::string& value) {
  return WriteProfileString(state_.cfgFile, MapName(section), MapName(key), MapValue(value)) ? 1
                                                                                             : 0;
}

std::string Settings::ReadIniString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, int maxLen) {
  std::string result;
  if (std::optional<std::string> v =
          ReadProfileString(state_.cfgFile, MapName(section), MapName(key))) {
    result = std::move(*v);
  } else {
    // The profile functions hand back the default without its trailing spaces.
    result = defaultValue;
    while (!result.empty() && result.back() == ' ') {
      result.pop_back();
    }
  }
  if (maxLen <= 0) {
    return {};
  }
  return Utf8Prefix(CutAtNul(std::move(result)), static_cast<std::size_t>(maxLen));
}

std::int32_t Settings::ReadIniLong(const std::string& section, const std::string& key,
                                   std::int32_t defaultValue) {
  const std::optional<std::string> v =
      ReadProfileString(state_.cfgFile, MapName(section), MapName(key));
  if (!v || v->empty()) {
    return defaultValue;
  }
  std::size_t i = 0;
  bool negative = false;
  if ((*v)[0] == '+' || (*v)[0] == '-') {
    negative = (*v)[0] == '-';
    i = 1;
  }
  // Digits beyond 32 bits wrap around, as the platform's reader does.
  std::uint32_t n = 0;
  for (; i < v->size() && (*v)[i] >= '0' && (*v)[i] <= '9'; ++i) {
    n = n * 10U + static_cast<std::uint32_t>((*v)[i] - '0');
  }
  if (negative) {
    n = 0U - n;
  }
  return static_cast<std::int32_t>(n);
}

std::string Settings::LoadHistory() {
  return ReadIniString(kHistorySection, kHistoryKey, "", kHistoryMaxLen);
}

void Settings::SaveHistory(const std::string& text) {
  state_.lastSearch = text;
  WriteIniString(kHistorySection, kHistoryKey, text);
}

}  // namespace varnel

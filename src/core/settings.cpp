#include "core/settings.h"

#include <cstdint>
#include <optional>

#include "core/ini_file.h"
#include "domain/text_compare.h"

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

std::string MapValue(const std::string& value) {
  if (EqualsIgnoringCase(value, "True")) {
    return "1";
  }
  if (EqualsIgnoringCase(value, "False")) {
    return "0";
  }
  return value;
}

std::string FileNameOf(const std::string& path) {
  const std::size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

struct ProblemWords {
  bool aboutFolder;       // the folder is at fault, not the file
  std::string predicate;  // what is wrong, after the file's (or folder's) name
};

ProblemWords WordsFor(FileProblem problem) {
  switch (problem) {
    case FileProblem::NotAFile:
      return {false, "is not a file"};
    case FileProblem::Unreadable:
      return {false, "cannot be read"};
    case FileProblem::TooLarge:
      return {false, "is over " + std::to_string(kMaxSettingsFileBytes / kMebibyte) + " MiB"};
    case FileProblem::ReadOnly:
      return {false, "is read-only"};
    case FileProblem::FolderNotWritable:
      return {true, "is read-only"};
    case FileProblem::InUse:
      return {false, "is in use"};
    case FileProblem::WriteFailed:
    case FileProblem::None:
      break;
  }
  return {false, "could not be written"};
}

std::string CutAtNul(std::string text) {
  const std::size_t nul = text.find('\0');
  if (nul != std::string::npos) {
    text.resize(nul);
  }
  return text;
}

}  // namespace

std::string SettingsProblemMessage(FileProblem problem, const std::string& path) {
  const ProblemWords words = WordsFor(problem);
  return "History not saved: " +
         (words.aboutFolder ? std::string("its folder") : FileNameOf(path)) + " " + words.predicate;
}

std::string SettingsProblemLine(FileProblem problem, const std::string& path) {
  const ProblemWords words = WordsFor(problem);
  return "search history not saved: " + (words.aboutFolder ? "the folder of " + path : path) + " " +
         words.predicate;
}

void Settings::Record(FileProblem found) {
  if (found == FileProblem::None || problem != FileProblem::None) {
    return;
  }
  problem = found;
  if (onProblem_) {
    onProblem_();
  }
}

std::int32_t Settings::WriteIniString(const std::string& section, const std::string& key,
                                      const std::string& value) {
  FileProblem problem = FileProblem::None;
  const bool written =
      WriteProfileString(file, MapName(section), MapName(key), MapValue(value), &problem);
  Record(problem);
  return written ? 1 : 0;
}

std::string Settings::ReadIniString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, int maxLen) {
  std::string result;
  FileProblem problem = FileProblem::None;
  std::optional<std::string> v = ReadProfileString(file, MapName(section), MapName(key), &problem);
  Record(problem);
  if (v) {
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

std::int32_t Settings::ReadIniNumber(const std::string& section, const std::string& key,
                                     std::int32_t defaultValue) {
  FileProblem problem = FileProblem::None;
  const std::optional<std::string> v =
      ReadProfileString(file, MapName(section), MapName(key), &problem);
  Record(problem);
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
  lastSearch = text;
  WriteIniString(kHistorySection, kHistoryKey, text);
}

}  // namespace varnel

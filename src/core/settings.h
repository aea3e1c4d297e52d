// The settings file: private-profile (INI) reads and writes, and the search history.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "domain/text.h"
#include "ports/whole_file.h"

namespace varnel {

// Why the history is not saved, for the window's message line ("History not saved: ...") and
// for one line on stderr that names the file.
std::string SettingsProblemMessage(FileProblem problem, const std::string& path);
std::string SettingsProblemLine(FileProblem problem, const std::string& path);

class Settings {
 public:
  Settings() = default;
  explicit Settings(std::string path) : file(std::move(path)) {}

  // Called when the run's first settings problem is recorded.
  void OnProblem(std::function<void()> listener) { onProblem_ = std::move(listener); }

  std::int32_t WriteIniString(const std::string& section, const std::string& key,
                              const std::string& value);
  std::string ReadIniString(const std::string& section, const std::string& key,
                            const std::string& defaultValue, int maxLen);
  std::int32_t ReadIniNumber(const std::string& section, const std::string& key,
                             std::int32_t defaultValue);
  std::string LoadHistory();
  void SaveHistory(const std::string& text);

  std::string file;        // the settings file's full path
  std::string lastSearch;  // history last stored or put into the terms
  // The first reason this run that the file could not be read or written, whether the
  // window has told the user (once is enough), and whether the message line says it now
  // (other news then waits for the next showing).
  FileProblem problem = FileProblem::None;
  bool problemShown = false;
  bool problemOnLine = false;

 private:
  void Record(FileProblem found);

  std::function<void()> onProblem_;
};

}  // namespace varnel

// The settings file: private-profile (INI) reads and writes, and the search history.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/program_state.h"
#include "domain/text.h"

namespace varnel {

// Why the history is not saved, for the window's message line ("History not saved: ...") and
// for one line on stderr that names the file.
std::string SettingsProblemMessage(FileProblem problem, const std::string& path);
std::string SettingsProblemLine(FileProblem problem, const std::string& path);

class Settings {
 public:
  explicit Settings(ProgramState& state) : state_(state) {}

  // Called when the run's first settings problem is recorded in the program state.
  void OnProblem(std::function<void()> listener) { onProblem_ = std::move(listener); }

  std::int32_t WriteIniString(const std::string& section, const std::string& key,
                              const std::string& value);
  std::string ReadIniString(const std::string& section, const std::string& key,
                            const std::string& defaultValue, int maxLen);
  std::int32_t ReadIniLong(const std::string& section, const std::string& key,
                           std::int32_t defaultValue);
  std::string LoadHistory();
  void SaveHistory(const std::string& text);

 private:
  void Record(FileProblem problem);

  ProgramState& state_;
  std::function<void()> onProblem_;
};

}  // namespace varnel

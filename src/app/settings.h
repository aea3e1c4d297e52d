// The settings file: private-profile (INI) reads and writes, and the search history.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/program_state.h"

namespace varnel {

// Replaces every non-overlapping occurrence of `find`, left to right, in one pass.
void ReplaceAll(std::string& text, std::string_view find, std::string_view replacement);

class Settings {
 public:
  explicit Settings(ProgramState& state) : state_(state) {}

  std::int32_t WriteIniString(const std::string& section, const std::string& key,
                              const std::string& value);
  std::string ReadIniString(const std::string& section, const std::string& key,
                            const std::string& defaultValue, int maxLen);
  std::int32_t ReadIniLong(const std::string& section, const std::string& key,
                           std::int32_t defaultValue);
  std::string LoadHistory();
  void SaveHistory(const std::string& text);

 private:
  ProgramState& state_;
};

}  // namespace varnel

#include "domain/command_table.h"

namespace varnel {

const VoiceCommand* FindVoiceCommand(std::int32_t id) {
  if (id < 0 || id >= kVoiceCommandCount) {
    return nullptr;
  }
  return &kVoiceCommands[static_cast<std::size_t>(id)];
}

std::string_view FirstForm(const VoiceCommand& c) {
  return c.spoken.substr(0, c.spoken.find('\0'));
}

std::string_view SecondForm(const VoiceCommand& c) {
  const auto nul = c.spoken.find('\0');
  return nul == std::string_view::npos ? std::string_view{} : c.spoken.substr(nul + 1);
}

std::string NumberListText() {
  std::string text;
  for (int i = 1; i <= kNumberListMax; ++i) {
    text += std::to_string(i);
    text += '\0';
  }
  return text;
}

}  // namespace varnel

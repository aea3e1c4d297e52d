#include "support/fake_control_name.h"

namespace varnel {

const char* ControlName(Control id) {
  switch (id) {
    case Control::Window:
      return "Window";
    case Control::Terms:
      return "Terms";
    case Control::Scope:
      return "Scope";
    case Control::DateRange:
      return "DateRange";
    case Control::DateKey:
      return "DateKey";
    case Control::VoiceCommands:
      return "VoiceCommands";
    case Control::Message:
      return "Message";
    case Control::DoIt:
      return "DoIt";
    case Control::JustSay:
      return "JustSay";
    case Control::FindButton:
      return "FindButton";
    case Control::Heading:
      return "Heading";
    case Control::Rule:
      return "Rule";
    case Control::ScopePanel:
      return "ScopePanel";
    case Control::TermsFrame:
      return "TermsFrame";
    case Control::DatePanel:
      return "DatePanel";
    case Control::Microphone:
      return "Microphone";
  }
  return "?";
}

std::string ControlLabel(ControlRef c) {
  return std::string(ControlName(c.id)) + "(" + std::to_string(c.index) + ")";
}

}  // namespace varnel

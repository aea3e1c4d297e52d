// The search window's controls and the units its design is given in.
#pragma once

#include <cstdint>

#include "domain/colour.h"

namespace varnel {

using Twips = std::int32_t;  // 1/1440 inch, 15 to a pixel at 96 dpi

// The search window's controls, by the names the logic knows them under. Arrays
// (Scope, DateRange, DateKey, Heading, Rule, TermsFrame) are addressed by index; Window is
// the window itself.
enum class Control : std::uint8_t {
  Window,
  Terms,
  Scope,
  DateRange,
  DateKey,
  VoiceCommands,
  Message,
  DoIt,
  JustSay,
  FindButton,
  Heading,
  Rule,
  ScopePanel,
  TermsFrame,
  DatePanel,
  Microphone,
};

struct ControlRef {
  Control id = Control::Window;
  int index = 0;
  friend bool operator==(const ControlRef&, const ControlRef&) = default;
};

}  // namespace varnel

// Private codes: one number space for the inter-instance window message and the deferred codes.
#pragma once

#include <cstdint>

#include "domain/controls.h"

namespace varnel {

using Code = std::int32_t;  // private codes and window-message numbers

// A second start sends this message, with kSummonParam as both parameters, to the running
// instance's search window; the window posts it to itself as the code that shows it.
inline constexpr Code kSummonMessage = 13954;
inline constexpr std::uint32_t kSummonParam = 6666;
inline constexpr Code kRunVoiceCommand = 32154681;
inline constexpr Code kStopVoiceCommands = 32154682;
inline constexpr Code kCycleFocus = 32154688;

// How long a second start waits for the running instance to take the hand-off.
inline constexpr std::uint32_t kHandOffTimeoutMs = 5000;

inline constexpr const char* kOptionsHint =
    "Set options by saying eHow, LifeHacker, Past Hour, etc ...";
inline constexpr const char* kVoiceActiveText = "Extended voice commands are now active ...";
inline constexpr const char* kTrayToolTip = "Varnel: Ctrl+Alt+/ to search";
inline constexpr const char* kTrayToolTipAsleep =
    "Varnel: Ctrl+Alt+/ to search; voice commands asleep";
// Follows the tray menu's voice commands entry while the recogniser sleeps.
inline constexpr const char* kTrayAsleepNote = " (asleep)";
inline constexpr const char* kVoiceAsleepText =
    "Voice commands are asleep: say \"Wake up\" to wake them ...";

}  // namespace varnel

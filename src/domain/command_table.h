// The forty extended voice commands: how they are registered and which keys they send.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "domain/key_codes.h"

namespace varnel {

inline constexpr int kVoiceCommandCount = 40;
inline constexpr int kNumberListMax = 25;

inline constexpr const char* kSpeechApp = "Varnel";
inline constexpr const char* kSpeechState = "Pellar";
inline constexpr int kSpeechLanguage = 9;  // English
inline constexpr const char* kNumberList = "Number";

// What a command does when it is carried out.
enum class CommandAction : std::uint8_t {
  Chord,           // one key chord
  RepeatChord,     // the chord N times (N from the spoken number), pause 1 after each
  DoIt,            // Enter, only when the focus is where it was at recognition
  Find,            // run the search when the window is on screen
  HideIt,          // hide the search window or minimise the foreground window
  SearchDocument,  // Ctrl+F, pause 250, Delete
  FindNext,        // F3 once primed; Space, Backspace, Enter to prime
  LaunchBrowser,
  SnapBack,
  ShowWindow,
  Focus,  // Ctrl+L, F6, F6, pause 1 after each
};

struct VoiceCommand {
  std::int32_t id;
  // The spoken form, or two forms joined by one NUL (registered as a list named after the
  // first form).
  std::string_view spoken;
  CommandAction action;
  bool ctrl = false;
  bool alt = false;
  bool shift = false;
  int vk = 0;
  // Hides the search window before the command runs (the browser commands).
  bool browser = false;
};

using namespace std::string_view_literals;

// Indexed by id.
inline constexpr std::array<VoiceCommand, kVoiceCommandCount> kVoiceCommands{{
    {0, "Menu", CommandAction::Chord, false, false, false, vk::Apps},
    {1, "Do It", CommandAction::DoIt, false, false, false, vk::Return},
    {2, "Find\0Find It"sv, CommandAction::Find},
    {3, "Hide It", CommandAction::HideIt},
    {4, "Close It", CommandAction::Chord, false, true, false, vk::Function(4)},
    {5, "Cancel", CommandAction::Chord, false, false, false, vk::Escape},
    {6, "Delete", CommandAction::Chord, false, false, false, vk::Delete},
    {7, "Rename", CommandAction::Chord, false, false, false, vk::Function(2)},
    {8, "Refresh", CommandAction::Chord, false, false, false, vk::Function(5)},
    {9, "Search Document", CommandAction::SearchDocument},
    {10, "Page Down\0Next Page"sv, CommandAction::Chord, false, false, false, vk::PageDown},
    {11, "Page Up\0Previous Page"sv, CommandAction::Chord, false, false, false, vk::PageUp},
    {12, "Take Me Home", CommandAction::Chord, true, false, false, vk::Home},
    {13, "Take Me Down", CommandAction::Chord, true, false, false, vk::End},
    {14, "Find Next", CommandAction::FindNext},
    {15, "Find Previous", CommandAction::Chord, false, false, true, vk::Function(3)},
    {16, "Tab <Number>", CommandAction::RepeatChord, false, false, false, vk::Tab},
    {17, "Back Tab <Number>", CommandAction::RepeatChord, false, false, true, vk::Tab},
    {18, "Highlight\0Select All"sv, CommandAction::Chord, true, false, false, vk::Letter('A')},
    {19, "Select Next <Number>", CommandAction::RepeatChord, false, false, true, vk::Down},
    {20, "Select Previous <Number>", CommandAction::RepeatChord, false, false, true, vk::Up},
    {21, "Copy Sel\0Copy Select"sv, CommandAction::Chord, true, false, false, vk::Letter('C')},
    {22, "Launch Browser", CommandAction::LaunchBrowser, false, false, false, 0, true},
    {23, "Snap Back", CommandAction::SnapBack},
    {24, "Varnel", CommandAction::ShowWindow},
    {25, "Focus", CommandAction::Focus, false, false, false, 0, true},
    {26, "Zoom In", CommandAction::Chord, true, false, false, vk::Add, true},
    {27, "Zoom Out", CommandAction::Chord, true, false, false, vk::Subtract, true},
    {28, "Full Screen", CommandAction::Chord, false, false, false, vk::Function(11), true},
    {29, "Create Tab", CommandAction::Chord, true, false, false, vk::Letter('T'), true},
    {30, "Previous Tab", CommandAction::Chord, true, false, true, vk::Tab, true},
    {31, "Next Tab", CommandAction::Chord, true, false, false, vk::Tab, true},
    {32, "Kill Tab", CommandAction::Chord, true, false, false, vk::Function(4), true},
    {33, "Go Backward", CommandAction::Chord, false, true, false, vk::Left, true},
    {34, "Go Forward", CommandAction::Chord, false, true, false, vk::Right, true},
    {35, "Go Home", CommandAction::Chord, false, true, false, vk::Home, true},
    {36, "Omni Box\0URL Box"sv, CommandAction::Chord, true, false, false, vk::Letter('L'), true},
    {37, "Bookmark", CommandAction::Chord, true, false, false, vk::Letter('D'), true},
    {38, "Fetch", CommandAction::Chord, true, true, false, vk::Letter('R'), true},
    {39, "History", CommandAction::Chord, true, false, false, vk::Letter('H'), true},
}};

// The command with this id, or nullptr when there is none.
const VoiceCommand* FindVoiceCommand(std::int32_t id);

// The first of the command's spoken forms (the list name for two-form commands).
std::string_view FirstForm(const VoiceCommand& c);
// The second spoken form, empty when the command has only one.
std::string_view SecondForm(const VoiceCommand& c);

// The "Number" list text: "1" to "25", each followed by one NUL.
std::string NumberListText();

}  // namespace varnel

// The forty extended voice commands: how they are registered and which keys they send.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace varnel {

inline constexpr int kVoxCommandCount = 40;
inline constexpr int kNumberListMax = 25;

inline constexpr const char* kVoxApp = "Varnel";
inline constexpr const char* kVoxState = "Pellar";
inline constexpr int kVoxLanguage = 9;  // English
inline constexpr const char* kNumberList = "Number";

// What a command does when it is carried out.
enum class VoxAction : std::uint8_t {
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

struct VoxCommand {
  std::int32_t id;
  // The spoken form, or two forms joined by one NUL (registered as a list named after the
  // first form).
  std::string_view spoken;
  VoxAction action;
  bool ctrl = false;
  bool alt = false;
  bool shift = false;
  int vk = 0;
  // Hides the search window before the command runs (the browser commands).
  bool browser = false;
};

using namespace std::string_view_literals;

// Indexed by id.
inline constexpr std::array<VoxCommand, kVoxCommandCount> kVoxCommands{{
    {0, "Menu", VoxAction::Chord, false, false, false, 93},
    {1, "Do It", VoxAction::DoIt, false, false, false, 13},
    {2, "Find\0Find It"sv, VoxAction::Find},
    {3, "Hide It", VoxAction::HideIt},
    {4, "Close It", VoxAction::Chord, false, true, false, 115},
    {5, "Cancel", VoxAction::Chord, false, false, false, 27},
    {6, "Delete", VoxAction::Chord, false, false, false, 46},
    {7, "Rename", VoxAction::Chord, false, false, false, 113},
    {8, "Refresh", VoxAction::Chord, false, false, false, 116},
    {9, "Search Document", VoxAction::SearchDocument},
    {10, "Page Down\0Next Page"sv, VoxAction::Chord, false, false, false, 34},
    {11, "Page Up\0Previous Page"sv, VoxAction::Chord, false, false, false, 33},
    {12, "Take Me Home", VoxAction::Chord, true, false, false, 36},
    {13, "Take Me Down", VoxAction::Chord, true, false, false, 35},
    {14, "Find Next", VoxAction::FindNext},
    {15, "Find Previous", VoxAction::Chord, false, false, true, 114},
    {16, "Tab <Number>", VoxAction::RepeatChord, false, false, false, 9},
    {17, "Back Tab <Number>", VoxAction::RepeatChord, false, false, true, 9},
    {18, "Highlight\0Select All"sv, VoxAction::Chord, true, false, false, 65},
    {19, "Select Next <Number>", VoxAction::RepeatChord, false, false, true, 40},
    {20, "Select Previous <Number>", VoxAction::RepeatChord, false, false, true, 38},
    {21, "Copy Sel\0Copy Select"sv, VoxAction::Chord, true, false, false, 67},
    {22, "Launch Browser", VoxAction::LaunchBrowser, false, false, false, 0, true},
    {23, "Snap Back", VoxAction::SnapBack},
    {24, "Varnel", VoxAction::ShowWindow},
    {25, "Focus", VoxAction::Focus, false, false, false, 0, true},
    {26, "Zoom In", VoxAction::Chord, true, false, false, 107, true},
    {27, "Zoom Out", VoxAction::Chord, true, false, false, 109, true},
    {28, "Full Screen", VoxAction::Chord, false, false, false, 122, true},
    {29, "Create Tab", VoxAction::Chord, true, false, false, 84, true},
    {30, "Previous Tab", VoxAction::Chord, true, false, true, 9, true},
    {31, "Next Tab", VoxAction::Chord, true, false, false, 9, true},
    {32, "Kill Tab", VoxAction::Chord, true, false, false, 115, true},
    {33, "Go Backward", VoxAction::Chord, false, true, false, 37, true},
    {34, "Go Forward", VoxAction::Chord, false, true, false, 39, true},
    {35, "Go Home", VoxAction::Chord, false, true, false, 36, true},
    {36, "Omni Box\0URL Box"sv, VoxAction::Chord, true, false, false, 76, true},
    {37, "Bookmark", VoxAction::Chord, true, false, false, 68, true},
    {38, "Fetch", VoxAction::Chord, true, true, false, 82, true},
    {39, "History", VoxAction::Chord, true, false, false, 72, true},
}};

// The command with this id, or nullptr when there is none.
const VoxCommand* FindVoxCommand(std::int32_t id);

// The first of the command's spoken forms (the list name for two-form commands).
std::string_view FirstForm(const VoxCommand& c);
// The second spoken form, empty when the command has only one.
std::string_view SecondForm(const VoxCommand& c);

// The "Number" list text: "1" to "25", each followed by one NUL.
std::string NumberListText();

}  // namespace varnel

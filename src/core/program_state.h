// The program's module-level state, in one place. Each member has one owner that writes it;
// the others only read it. The keyboard hook may run on a thread of its own: what it shares
// with the window thread is atomic, and what it keeps for itself only it touches.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "ports/platform.h"
#include "ports/whole_file.h"

namespace varnel {

struct ProgramState {
  // Start-up and settings
  std::string cfgFile;     // full path of the settings file
  std::string quote;       // the double-quote character, set at start
  std::string lastSearch;  // history last stored or put into the field
  // The first reason this run that the settings file could not be read or written, and
  // whether the window has told the user (once is enough).
  FileProblem settingsProblem = FileProblem::None;
  bool settingsProblemShown = false;
  // The message line says it now: other news waits for the next showing.
  bool settingsProblemOnLine = false;

  // Search window
  std::atomic<Hwnd> searchWindow = 0;  // read by the hook
  bool formLoaded = false;             // the search window exists
  std::atomic<bool> keyboard = false;  // the window's Keyboard property; set by the hook
  bool inMsgBox = false;
  Twips boxTop = 0;  // working Top, 0 until the first showing

  // Keyboard hook
  std::atomic<HookHandle> hHook = 0;  // read by the hook
  KeyEvent kbdEvent;                  // the hook's own
  int heldModifiers = 0;              // the hook's own

  // Foreground tracking
  Hwnd lastApp = 0;
  Hwnd previousApp = 0;
  bool searchFront = false;

  // Window and process lookups
  ProcessId foundProcess = 0;
  ProcessId helperProcess = 0;
  Hwnd foundWindow = 0;

  // Voice
  bool voxActive = false;
  bool sendKeyExists = false;  // the key sender exists
  // While set, a failure to switch the voice commands on goes to voiceNotice, not to a box:
  // at start-up a box would take the focus from the application in front.
  bool voiceFailureQuiet = false;
  std::string voiceNotice;  // why the voice commands are off; shown in Message
};

}  // namespace varnel

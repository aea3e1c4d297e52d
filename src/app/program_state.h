// The program's module-level state, in one place. Each member has one owner that writes it;
// the others only read it. The keyboard hook may run on a thread of its own: what it shares
// with the window thread is atomic, and what it keeps for itself only it touches.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "platform/whole_file.h"

namespace varnel {

struct ProgramState {
  // Start-up and settings
  std::string cfgFile;     // g_cfgFile: full path of the settings file
  std::string quote;       // g_quote: the double-quote character, set at start
  std::string lastSearch;  // g_lastSearch: history last stored or put into the field
  // The first reason this run that the settings file could not be read or written, and
  // whether the window has told the user (once is enough).
  FileProblem settingsProblem = FileProblem::None;
  bool settingsProblemShown = false;
  // The message line says it now: other news waits for the next showing.
  bool settingsProblemOnLine = false;

  // Search window
  std::atomic<Hwnd> hwndBox = 0;       // g_hwndBox; read by the hook
  bool formLoaded = false;             // frm_vnl exists
  std::atomic<bool> keyboard = false;  // the window's Keyboard property; set by the hook
  bool inMsgBox = false;               // g_inMsgBox
  Twips boxTop = 0;                    // g_boxTop: working Top, 0 until the first showing

  // Keyboard hook
  std::atomic<HookHandle> hHook = 0;  // g_hHook; read by the hook
  KeyEvent kbdEvent;                  // g_kbdEvent; the hook's own
  int iShiftMask = 0;                 // g_iShiftMask; the hook's own

  // Foreground tracking
  Hwnd hwndLastApp = 0;      // g_hwndLastApp
  Hwnd hwndPrevApp = 0;      // g_hwndPrevApp
  bool searchFront = false;  // g_bSearchFront

  // Window and process lookups
  ProcessId pidFound = 0;   // g_pidFound
  ProcessId pidPellar = 0;  // g_pidPellar
  Hwnd hwndFound = 0;       // g_hwndFound

  // Voice
  bool voxActive = false;      // g_bVoxActive
  bool sendKeyExists = false;  // g_clsSendKey holds an object
  // While set, a failure to switch the voice commands on goes to voiceNotice, not to a box:
  // at start-up a box would take the focus from the application in front.
  bool voiceFailureQuiet = false;
  std::string voiceNotice;  // why the voice commands are off; shown in lbl_hmo
};

}  // namespace varnel

// What the system tells the program.
#pragma once

#include <cstdint>
#include <string>
#include "domain/codes.h"
#include "domain/controls.h"
#include "domain/keys.h"
#include "ports/tray.h"
#include "ports/windows.h"

namespace varnel {

// Events that the platform delivers to the program, always on the user-interface thread
// and never from inside another call unless that call yields.
class PlatformEvents {
 public:
  // A code posted with EventLoop::Post, after the event that posted it has finished.
  virtual void OnDeferredCode(Code code) = 0;
  // A window message sent to the search window by another instance.
  virtual void OnWindowMessage(WindowId window, Code message, std::uint32_t first,
                               std::uint32_t second) = 0;
  // A phrase handed over by `varnel --command`.
  virtual void OnCommandPhrase(const std::string& phrase) = 0;
  // The search window's timer.
  virtual void OnTimer() = 0;
  // A key of the global keyboard hook, before the program in front sees it; the adapter passes
  // it on or keeps it as answered. Must be quick: nothing slow, no allocation. A platform
  // may call it on a thread of its own, so it may only read state kept in atomics, ask
  // WindowInFront and KeyHeldNow, and post with Post.
  virtual KeyVerdict OnGlobalKey(const KeyEvent& ev) = 0;

  // Search window events.
  virtual void OnViewResized() = 0;  // size or state changed (minimised included)
  virtual void OnDeactivate() = 0;   // the window lost the activation
  virtual void OnViewClosed() = 0;   // the user closed the window; the program ends after it
  // The user asks to close the window (close box, Alt+F4). True lets the close go on
  // (OnViewClosed follows); false keeps the window loaded.
  virtual bool OnCloseRequest() = 0;
  // An entry of the tray icon's menu was chosen.
  virtual void OnTrayEntry(TrayEntry entry) = 0;
  // A typed character, before the focused control; setting it to 0 drops it.
  virtual void OnCharacterTyped(int& ch) = 0;
  // Key pressed, before the focused control; mask as for OnKeyUp; repeat for the auto-repeats
  // of a held key. True: the focused control must not see the key.
  virtual bool OnKeyDown(int /*key*/, int /*mask*/, bool /*repeat*/) { return false; }
  // A character typed with Alt held and Ctrl not, as the layout types it (0 for a key that
  // types none): the captions' accelerators. True: the window took it, nothing is typed.
  virtual bool OnAltCharacter(char32_t /*ch*/) { return false; }
  virtual void OnKeyUp(int key, int mask) = 0;      // key released; mask Shift 1, Ctrl 2, Alt 4
  virtual void OnPointerOver(ControlRef over) = 0;  // over the form's background or DoIt
  virtual void OnBackgroundDoubleClick() = 0;       // double click on the form's background
  // FindButton and DoIt clicks; Scope(i) whenever it becomes selected (also when code
  // sets its value); VoiceCommands whenever its value changes (also when code sets it).
  virtual void OnClick(ControlRef control) = 0;

 protected:
  ~PlatformEvents() = default;
};

}  // namespace varnel

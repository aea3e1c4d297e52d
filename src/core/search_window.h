// The search window's life: load, resize, deactivate, unload and the Keyboard property.
#pragma once

#include <atomic>

#include "ports/event_loop.h"
#include "ports/form_controls.h"
#include "ports/user_notices.h"
#include "ports/view_window.h"

namespace varnel {

class KeyboardHook;
class TrayMenu;
class VoiceActivation;
class WindowUtils;

class SearchWindow {
 public:
  SearchWindow(EventLoop& loop, ViewWindow& view, FormControls& controls, UserNotices& notices,
               KeyboardHook& hook, TrayMenu& tray, VoiceActivation& voice, WindowUtils& winutil)
      : loop_(loop),
        view_(view),
        controls_(controls),
        notices_(notices),
        hook_(hook),
        tray_(tray),
        voice_(voice),
        winutil_(winutil) {}

  // Creates and loads the window on first reference; no-op afterwards.
  void EnsureLoaded();
  void Build();
  void Resized();
  void Deactivated();
  void Close();
  bool Keyboard() const;
  void SetKeyboard(bool keyboard);
  void ReleaseKeySender();
  // On screen: loaded, and its top above the parked place.
  bool OnScreen();
  // On screen and shown: a message box over it is seen.
  bool InSight();

  // The window's handle, read by the keyboard hook's thread.
  std::atomic<WindowId> handle = 0;
  bool loaded = false;
  // The user reached the window by keyboard (set by the hook); mouse choices then leave the
  // focus where it is.
  std::atomic<bool> keyboard = false;
  bool inMessageBox = false;  // one message box at a time
  int workingTop = 0;         // where the window shows, in pixels; 0 until the first showing

 private:
  EventLoop& loop_;
  ViewWindow& view_;
  FormControls& controls_;
  UserNotices& notices_;
  KeyboardHook& hook_;
  TrayMenu& tray_;
  VoiceActivation& voice_;
  WindowUtils& winutil_;
  WindowId hwnd_ = 0;
  bool unloaded_ = false;
};

}  // namespace varnel

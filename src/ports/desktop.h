// The desktop's top-level windows: which is in front, their stacking order and identity, and
// bringing one to the front within the system's rules.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include "ports/windows.h"

namespace varnel {

enum class ShowCmd : std::uint8_t { Minimise = 6, Restore = 9 };
// Whether an activated window is also lifted above the others for a moment, so that it shows
// where the system only flashed its button.
enum class Lift : std::uint8_t { InPlace, AboveOthers };

class Desktop {
 public:
  virtual Hwnd WindowInFront() = 0;
  // Gives the window the foreground and the keyboard within the system's rules; returns
  // whether it is in front after (the system may refuse).
  virtual bool Activate(Hwnd hwnd, Lift lift) = 0;
  virtual Hwnd FocusedWindow() = 0;  // control with the focus in this program, 0 when none
  virtual Hwnd DesktopRoot() = 0;
  virtual Hwnd WindowBelow(Hwnd hwnd) = 0;  // next below in the stacking order, 0 at the end
  virtual bool WindowExists(Hwnd hwnd) = 0;
  virtual bool WindowVisible(Hwnd hwnd) = 0;
  virtual bool WindowMinimised(Hwnd hwnd) = 0;
  virtual bool HasTitleBar(Hwnd hwnd) = 0;  // any of the caption style bits
  virtual Rect WindowRect(Hwnd hwnd) = 0;
  virtual std::string ClassName(Hwnd hwnd) = 0;
  virtual ThreadId WindowThread(Hwnd hwnd) = 0;
  virtual ProcessId WindowProcess(Hwnd hwnd) = 0;      // 0 when unknown
  virtual void PlaceBelow(Hwnd hwnd, Hwnd above) = 0;  // directly below `above`
  virtual void SetOwner(Hwnd hwnd, Hwnd owner) = 0;
  virtual void ChangeWindowState(Hwnd hwnd, ShowCmd cmd) = 0;
  // Top-level windows in the platform's enumeration order; stop by returning false.
  virtual void ForEachWindow(const std::function<bool(Hwnd)>& visit) = 0;
  virtual void DrawAsActive(Hwnd hwnd) = 0;  // its title bar drawn as the active window's

 protected:
  ~Desktop() = default;
};

}  // namespace varnel

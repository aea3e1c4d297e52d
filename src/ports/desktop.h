// The desktop's top-level windows: which is in front, their stacking order and identity, and
// bringing one to the front within the system's rules.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include "ports/windows.h"

namespace varnel {

enum class WindowChange : std::uint8_t { Minimise, Restore };
// Whether an activated window is also lifted above the others for a moment, so that it shows
// where the system only flashed its button.
enum class Lift : std::uint8_t { InPlace, AboveOthers };

class Desktop {
 public:
  virtual WindowId WindowInFront() = 0;
  // Gives the window the foreground and the keyboard within the system's rules; returns
  // whether it is in front after (the system may refuse).
  virtual bool Activate(WindowId window, Lift lift) = 0;
  virtual WindowId FocusedWindow() = 0;  // control with the focus in this program, 0 when none
  virtual WindowId DesktopRoot() = 0;
  virtual WindowId WindowBelow(
      WindowId window) = 0;  // next below in the stacking order, 0 at the end
  virtual bool WindowExists(WindowId window) = 0;
  virtual bool WindowVisible(WindowId window) = 0;
  virtual bool WindowMinimised(WindowId window) = 0;
  virtual bool HasTitleBar(WindowId window) = 0;  // any of the caption style bits
  virtual Rect WindowRect(WindowId window) = 0;
  virtual std::string ClassName(WindowId window) = 0;
  virtual ThreadId WindowThread(WindowId window) = 0;
  virtual ProcessId WindowProcess(WindowId window) = 0;          // 0 when unknown
  virtual void PlaceBelow(WindowId window, WindowId above) = 0;  // directly below `above`
  virtual void SetOwner(WindowId window, WindowId owner) = 0;
  virtual void ChangeWindowState(WindowId window, WindowChange cmd) = 0;
  // Top-level windows in the platform's enumeration order; stop by returning false.
  virtual void ForEachWindow(const std::function<bool(WindowId)>& visit) = 0;
  virtual void DrawAsActive(WindowId window) = 0;  // its title bar drawn as the active window's

 protected:
  ~Desktop() = default;
};

}  // namespace varnel

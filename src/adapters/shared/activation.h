// Bringing a window to the front the way both desktops need it: ask, and when the system
// refused (Windows' foreground lock, a window manager's focus stealing prevention), ask again
// after raising it; then lift it above the other windows for a moment so that it shows even
// where the request only flashed its button.
#pragma once

#include "ports/desktop.h"

namespace varnel {

// What one system offers for the sequence.
class ActivationSteps {
 public:
  virtual WindowId InFront() = 0;
  // The first request; Windows grants it only with the input state shared with the window in
  // front, so that adapter shares it for the request's length.
  virtual void FirstRequest(WindowId hwnd) = 0;
  virtual void Request(WindowId hwnd) = 0;
  virtual void RaiseToTop(WindowId hwnd) = 0;
  virtual void KeepAboveOthers(WindowId hwnd, bool on) = 0;
  // Lets the system deliver what the last step set off.
  virtual void LetEventsRun() = 0;

 protected:
  ~ActivationSteps() = default;
};

// Returns whether `hwnd` ends in front.
bool ActivateWithRetry(ActivationSteps& steps, WindowId hwnd, Lift lift);

}  // namespace varnel

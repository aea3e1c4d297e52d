// The search window as a whole: built from the design table, placed, parked and shown.
#pragma once

#include <cstdint>

#include "ports/windows.h"

namespace varnel {

struct WindowDesign;  // domain/window_design.h

enum class WindowState : std::uint8_t { Normal = 0, Minimised = 1, Maximised = 2 };

class ViewWindow {
 public:
  virtual WindowId CreateSearchWindow(const WindowDesign& design) = 0;  // loaded, not shown
  virtual void ShowView() = 0;                                          // show, not modal, no owner
  virtual void DestroySearchWindow() = 0;
  // Where the window stands, in pixels of the work area it is on (the area's top left is 0,
  // 0); a parked window tells where it was last seen.
  virtual Rect ViewFrame() = 0;
  virtual void MoveView(const Rect& frame) = 0;
  virtual void SetViewTop(int top) = 0;  // a parked window comes back at this top
  // Out of sight and out of the focus order, kept ready to come back at once.
  virtual void Park() = 0;
  virtual bool Parked() = 0;
  virtual WindowState ViewState() = 0;
  virtual void SetViewState(WindowState state) = 0;
  virtual bool ViewVisible() = 0;
  virtual void RaiseView() = 0;  // top of the z-order
  // The monitor of the application in front, where the window is centred and from then on
  // measured; left, top 0.
  virtual Rect WorkArea() = 0;

 protected:
  ~ViewWindow() = default;
};

}  // namespace varnel

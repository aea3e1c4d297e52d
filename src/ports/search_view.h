// The search window: built from the design table, placed, shown and hidden; its controls':
// text, selection, values and state; and the message box, pointer and beep it uses.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include "domain/controls.h"
#include "ports/windows.h"

namespace varnel {

struct WindowDesign;  // domain/window_design.h

enum class WindowState : std::uint8_t { Normal = 0, Minimised = 1, Maximised = 2 };

// Mouse pointers.
inline constexpr int kPointerDefault = 0;
inline constexpr int kPointerHourglass = 11;

// Message-box answers and styles (the Windows values).
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kMbOk = 0;
inline constexpr int kMbOkCancel = 1;
inline constexpr int kMbIconInformation = 64;

class SearchView {
 public:
  virtual Hwnd CreateSearchWindow(const WindowDesign& design) = 0;  // loaded, not shown
  virtual void ShowView() = 0;                                      // show, not modal, no owner
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
  virtual Rect WorkArea() = 0;   // the screen the window is on, without panels; left, top 0

  // ---- the search window's controls
  virtual std::string Text(ControlRef c) = 0;  // text box text or caption
  virtual void SetText(ControlRef c, const std::string& text) = 0;
  // Positions and lengths in UTF-16 code units, as Qt's and Win32's text controls count them
  // (Utf16Length in app/utf8.h): a character outside the BMP takes two.
  virtual int SelStart(ControlRef c) = 0;
  virtual int SelLength(ControlRef c) = 0;
  virtual void SetSelection(ControlRef c, int start, int length) = 0;
  virtual int Value(ControlRef c) = 0;                 // option: 1 selected; check box: 0 or 1
  virtual void SetValue(ControlRef c, int value) = 0;  // raises OnClick as described there
  virtual bool Enabled(ControlRef c) = 0;
  virtual void SetEnabled(ControlRef c, bool enabled) = 0;
  virtual bool Visible(ControlRef c) = 0;
  virtual void SetVisible(ControlRef c, bool visible) = 0;
  virtual Colour TextColour(ControlRef c) = 0;
  virtual void SetTextColour(ControlRef c, Colour colour) = 0;
  virtual int ControlTop(ControlRef c) = 0;  // pixels in the window
  virtual void SetControlTop(ControlRef c, int top) = 0;
  virtual bool SetTabStop(ControlRef c, bool on) = 0;  // false when it has no tab stop
  virtual bool SetFocus(ControlRef c) = 0;             // false when it cannot take the focus
  virtual std::optional<ControlRef> FocusedControl() = 0;
  virtual Hwnd ControlWindow(ControlRef c) = 0;

  // ---- user-interface services
  virtual int ShowMessageBox(const std::string& text, int style, const std::string& title) = 0;
  virtual void SetMousePointer(int pointer) = 0;
  virtual void Beep() = 0;

 protected:
  ~SearchView() = default;
};

}  // namespace varnel

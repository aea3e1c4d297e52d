// The search window's controls: their text, selection, values, state and the focus.
#pragma once

#include <optional>
#include <string>

#include "domain/controls.h"
#include "ports/windows.h"

namespace varnel {

class FormControls {
 public:
  virtual std::string Text(ControlRef c) = 0;  // text box text or caption
  virtual void SetText(ControlRef c, const std::string& text) = 0;
  // Positions and lengths in UTF-16 code units, as Qt's and Win32's text controls count them
  // (Utf16Length in domain/utf8.h): a character outside the BMP takes two.
  virtual int SelStart(ControlRef c) = 0;
  virtual int SelLength(ControlRef c) = 0;
  virtual void SetSelection(ControlRef c, int start, int length) = 0;
  virtual int Value(ControlRef c) = 0;  // option: 1 selected; check box: 0 or 1
  // Raises the click a user would: an option newly selected in the scopes, the check box changed.
  virtual void SetValue(ControlRef c, int value) = 0;
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
  virtual WindowId ControlWindow(ControlRef c) = 0;

 protected:
  ~FormControls() = default;
};

}  // namespace varnel

// The deferred-code route, showing the search window and the program's message box.
#pragma once

#include <cstdint>
#include <string>

#include "ports/platform.h"

namespace varnel {

class Program;

class Summoning {
 public:
  explicit Summoning(Program& program) : p_(program) {}

  void Post(Code code);
  void DispatchCode(Code code);
  // Window-message notification of the search window.
  void OnWindowMessage(Hwnd hwnd, Code msg, std::uint32_t wParam, std::uint32_t lParam);
  void ShowSearchWindow();
  void ShowCaptionActive(Hwnd hwnd);
  int ShowMessage(const std::string& prompt, int style, const std::string& title);
  // Puts why the history is not saved into the message line now when the window is on
  // screen; otherwise the next showing does. Once a run.
  void ShowSettingsProblem();

 private:
  // The message line's text for a showing: the settings problem not yet told, else the hint.
  std::string MessageLineText();

  Program& p_;
};

}  // namespace varnel

// The deferred-code route, showing the search window and the program's message box.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace varnel {

class Program;

class Summoning {
 public:
  explicit Summoning(Program& program) : p_(program) {}

  void PostCode(Code code);
  void DispatchCode(Code code);
  // Window-message notification of the search window.
  void OnWindowMessage(Hwnd hwnd, Code msg, std::uint32_t wParam, std::uint32_t lParam);
  void ShowSearchWindow();
  void ShowCaptionActive(Hwnd hwnd);
  int ShowMessage(const std::string& prompt, int style, const std::string& title);

 private:
  Program& p_;
};

}  // namespace varnel

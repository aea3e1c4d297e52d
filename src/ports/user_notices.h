// What the program shows the user outside the window's controls: a message box, the mouse
// pointer and a beep.
#pragma once

#include <string>

namespace varnel {

// Mouse pointers.
inline constexpr int kPointerDefault = 0;
inline constexpr int kPointerHourglass = 11;

// Message-box answers and styles (the Windows values, which the Windows adapter passes on).
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kMbOk = 0;
inline constexpr int kMbOkCancel = 1;
inline constexpr int kMbIconInformation = 64;

class UserNotices {
 public:
  virtual int ShowMessageBox(const std::string& text, int style, const std::string& title) = 0;
  virtual void SetMousePointer(int pointer) = 0;
  virtual void Beep() = 0;

 protected:
  ~UserNotices() = default;
};

}  // namespace varnel

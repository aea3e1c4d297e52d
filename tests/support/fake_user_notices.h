// Message boxes, the mouse pointer and the beep: recorded, and boxes answered as told.
#pragma once

#include <deque>
#include <functional>
#include <string>

#include "ports/user_notices.h"
#include "support/fake_log.h"

namespace varnel {

class FakeUserNotices final : public UserNotices {
 public:
  explicit FakeUserNotices(FakeLog& log) : log_(log) {}

  // Message boxes: answers are used in order; Ok when none is left.
  std::deque<MessageAnswer> messageBoxAnswers;
  std::function<void(const std::string& text)> onMessageBox;
  Pointer mousePointer = Pointer::Normal;

  MessageAnswer ShowMessageBox(const std::string& text, MessageStyle style,
                               const std::string& title) override;
  void SetMousePointer(Pointer pointer) override;
  void Beep() override { log_.Record("Beep"); }

 private:
  FakeLog& log_;
};

}  // namespace varnel

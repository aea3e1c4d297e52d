#include "support/fake_user_notices.h"

namespace varnel {

MessageAnswer FakeUserNotices::ShowMessageBox(const std::string& text, MessageStyle style,
                                              const std::string& title) {
  MessageAnswer answer = MessageAnswer::Ok;
  if (!messageBoxAnswers.empty()) {
    answer = messageBoxAnswers.front();
    messageBoxAnswers.pop_front();
  }
  // Recorded as {buttons, icon, answer}.
  log_.Record(
      "ShowMessageBox",
      {static_cast<int>(style.buttons), static_cast<int>(style.icon), static_cast<int>(answer)},
      title + ": " + text);
  if (onMessageBox) {
    onMessageBox(text);
  }
  return answer;
}

void FakeUserNotices::SetMousePointer(Pointer pointer) {
  log_.Record("SetMousePointer", {static_cast<int>(pointer)});
  mousePointer = pointer;
}

}  // namespace varnel

// What the program shows the user outside the window's controls: a message box, the mouse
// pointer and a beep.
#pragma once

#include <cstdint>
#include <string>

namespace varnel {

enum class Pointer : std::uint8_t { Normal, Busy };

enum class MessageButtons : std::uint8_t { Ok, OkCancel };
enum class MessageIcon : std::uint8_t { None, Information };
struct MessageStyle {
  MessageButtons buttons = MessageButtons::Ok;
  MessageIcon icon = MessageIcon::None;
};
inline constexpr MessageStyle kPlainMessage{};
inline constexpr MessageStyle kInformation{MessageButtons::Ok, MessageIcon::Information};
inline constexpr MessageStyle kInformationOkCancel{MessageButtons::OkCancel,
                                                   MessageIcon::Information};

// A box closed by its frame answers Cancel where it has one, else Ok.
enum class MessageAnswer : std::uint8_t { NotShown, Ok, Cancel };

class UserNotices {
 public:
  virtual MessageAnswer ShowMessageBox(const std::string& text, MessageStyle style,
                                       const std::string& title) = 0;
  virtual void SetMousePointer(Pointer pointer) = 0;
  virtual void Beep() = 0;

 protected:
  ~UserNotices() = default;
};

}  // namespace varnel

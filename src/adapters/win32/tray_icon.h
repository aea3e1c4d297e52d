// The notification-area icon and its menu. It only shows the menu and reports the choice.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ports/platform.h"

namespace varnel::win {

class TrayIcon {
 public:
  explicit TrayIcon(std::function<void(TrayEntry)> chosen) : chosen_(std::move(chosen)) {}
  ~TrayIcon() { Remove(); }
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // False when the shell has no notification area to take the icon.
  bool Show(const TrayState& state);
  // False when the shell did not take the icon back.
  bool Remove();
  // A shown icon's tip follows the state at once; the menu at its next showing.
  void SetState(const TrayState& state);
  // The icon's own window (for the checks under Wine); nullptr when not shown.
  HWND Window() const { return hwnd_; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
  bool AddIcon();
  std::wstring ToolTip() const;
  void ShowMenu(POINT at);

  std::function<void(TrayEntry)> chosen_;
  TrayState state_;
  HWND hwnd_ = nullptr;
  HICON icon_ = nullptr;
  UINT taskbarCreated_ = 0;
};

}  // namespace varnel::win

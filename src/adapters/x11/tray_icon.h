// The tray icon and its menu (QSystemTrayIcon: StatusNotifierItem where the desktop has it,
// the XEmbed tray elsewhere). It only shows the menu and reports the chosen entry.
#pragma once

#include <functional>
#include <memory>

#include "ports/platform.h"

class QMenu;
class QSystemTrayIcon;
class QAction;

namespace varnel {

class TrayIcon {
 public:
  explicit TrayIcon(std::function<void(TrayEntry)> chosen);
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // False when no tray host is there to show it.
  static bool HostAvailable();
  void SetState(const TrayState& state);

 private:
  QAction* Add(TrayEntry entry, const char* text, bool checkable);

  std::function<void(TrayEntry)> chosen_;
  std::unique_ptr<QMenu> menu_;
  QSystemTrayIcon* icon_ = nullptr;  // deleted later: it may be inside its own signal
  QAction* voice_ = nullptr;
  QAction* login_ = nullptr;
};

}  // namespace varnel

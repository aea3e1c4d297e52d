// The toolbox for taking and handing back the foreground and for finding processes and windows.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "ports/desktop.h"
#include "ports/event_loop.h"
#include "ports/form_controls.h"
#include "ports/processes.h"
#include "ports/view_window.h"

namespace varnel {

class KeyboardHook;
class SearchWindow;

std::string ImageNameOf(const std::string& path);

inline constexpr int kZOrderStepLimit = 250;
// The centred window's top is moved to this share of its offset from the screen's top.
inline constexpr double kRaisedShare = 0.75;

class WindowUtils {
 public:
  WindowUtils(EventLoop& loop, Desktop& desktop, Processes& processes, ViewWindow& view,
              FormControls& controls, KeyboardHook& hook, SearchWindow& window)
      : loop_(loop),
        desktop_(desktop),
        processes_(processes),
        view_(view),
        controls_(controls),
        hook_(hook),
        window_(window) {}

  // Milliseconds since system start, 0 to 2^32 - 1 (fixed point with four decimals in the
  // original; whole milliseconds are all the program uses).
  std::uint64_t TickNow();
  void WaitMs(std::int32_t ms, bool yield);
  void HideSearchWindow();
  WindowId NextShownWindow(WindowId from);
  bool IsShownWindow(WindowId window);
  void PlaceBehindForeground(WindowId window);
  void SetWindowOwner(WindowId window, WindowId requestedOwner);
  void CentreWindow();
  // The first running process whose image matches (by prefix, without case), 0 when none.
  ProcessId RunningProcess(const std::string& image);
  // That process's first visible window with a title bar, restored and brought to the front;
  // 0 when there is none.
  WindowId BringProgramToFront(const std::string& image);
  // The main window of the sibling product, when it runs; 0 otherwise.
  WindowId SiblingMainWindow();
  bool IsMdiMainFormClass(WindowId window);
  ProcessId WindowProcessId(WindowId window);

 private:
  WindowId FirstWindowWhere(const std::function<bool(WindowId)>& wanted);
  EventLoop& loop_;
  Desktop& desktop_;
  Processes& processes_;
  ViewWindow& view_;
  FormControls& controls_;
  KeyboardHook& hook_;
  SearchWindow& window_;
};

}  // namespace varnel

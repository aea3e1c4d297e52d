// The toolbox for taking and handing back the foreground and for finding processes and windows.
#pragma once

#include <cstdint>
#include <string>

#include "ports/desktop.h"
#include "ports/event_loop.h"
#include "ports/processes.h"
#include "ports/search_view.h"

namespace varnel {

class KeyboardHook;
class SearchWindow;

std::string GetFileName(const std::string& path);

inline constexpr int kModeSiblingMainWindow = 0;
inline constexpr int kModeCaptionedOfFound = 159312;
inline constexpr int kZOrderStepLimit = 250;
// The centred window's top is moved to this share of its offset from the screen's top.
inline constexpr double kRaisedShare = 0.75;

class WindowUtils {
 public:
  WindowUtils(EventLoop& loop, Desktop& desktop, Processes& processes, SearchView& view,
              KeyboardHook& hook, SearchWindow& window)
      : loop_(loop),
        desktop_(desktop),
        processes_(processes),
        view_(view),
        hook_(hook),
        window_(window) {}

  // Milliseconds since system start, 0 to 2^32 - 1 (fixed point with four decimals in the
  // original; whole milliseconds are all the program uses).
  std::uint64_t TickNow();
  void WaitMs(std::int32_t ms, bool yield);
  void HideSearchWindow();
  Hwnd NextShownWindow(Hwnd hStart);
  bool IsShownWindow(Hwnd hwnd);
  void PlaceBehindForeground(Hwnd hwnd);
  void SetWindowOwner(Hwnd hwnd, Hwnd hOwner);
  void CentreForm();
  std::uint32_t FindProcess(const std::string& image, bool pidOnly, bool activate);
  Hwnd FindAppWindow(int mode);
  bool IsMdiMainFormClass(Hwnd hwnd);
  ProcessId WindowProcessId(Hwnd hwnd);

  // What the last process or window search found.
  ProcessId foundProcess = 0;
  ProcessId helperProcess = 0;
  Hwnd foundWindow = 0;

 private:
  bool EnumWindowProc(Hwnd hwnd, int mode, ProcessId requested);
  EventLoop& loop_;
  Desktop& desktop_;
  Processes& processes_;
  SearchView& view_;
  KeyboardHook& hook_;
  SearchWindow& window_;
};

}  // namespace varnel

#include "winsys/window_utils.h"
#include "app/program.h"
// PLACEHOLDER until implemented.
namespace varnel {
std::string GetFileName(const std::string& p) { return p; }
std::uint64_t WindowUtils::TickNow() { return 0; }
void WindowUtils::WaitMs(std::int32_t, bool) {}
void WindowUtils::ForceForeground(Hwnd, bool) {}
void WindowUtils::RetryForeground(Hwnd) {}
void WindowUtils::SetTopmost(Hwnd, bool) {}
void WindowUtils::ActivateWindow(Hwnd) {}
void WindowUtils::HideSearchWindow() {}
Hwnd WindowUtils::NextShownWindow(Hwnd) { return 0; }
bool WindowUtils::IsShownWindow(Hwnd) { return false; }
void WindowUtils::PlaceBehindForeground(Hwnd) {}
void WindowUtils::SetWindowOwner(Hwnd, Hwnd) {}
void WindowUtils::CentreForm() {}
std::uint32_t WindowUtils::FindProcess(const std::string&, bool, bool) { return 0; }
Hwnd WindowUtils::FindAppWindow(int) { return 0; }
bool WindowUtils::IsMdiMainFormClass(Hwnd) { return false; }
ProcessId WindowUtils::WindowProcessId(Hwnd) { return 1; }
bool WindowUtils::EnumWindowProc(Hwnd, int, ProcessId) { return true; }
}  // namespace varnel

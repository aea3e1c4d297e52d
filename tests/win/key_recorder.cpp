// Test helper for the Windows key checks.
//
//   key_recorder LOG             a window titled "KeyLog" that appends to LOG every key event
//                                its own low-level hook sees ("ll +VK flags=F extra=X") and
//                                every character typed into it ("char C"); a request to
//                                close it is logged ("close") and refused
//   key_recorder stall MS LOG    asks the running Varnel to keep its window thread busy for
//                                MS milliseconds; appends "stall begin" before and
//                                "stall end" once that thread answers again
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

FILE* logFile = nullptr;
constexpr UINT kProbeMs = 50;
constexpr UINT kPatientMs = 60000;

void Log(const std::string& line) {
  if (logFile == nullptr) return;
  std::fputs((line + "\n").c_str(), logFile);
  std::fflush(logFile);
}

LRESULT CALLBACK LowLevel(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    const auto* k = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    const bool up = (k->flags & LLKHF_UP) != 0;
    Log(std::string("ll ") + (up ? "-" : "+") + std::to_string(k->vkCode) +
        " flags=" + std::to_string(k->flags) + " extra=" + std::to_string(k->dwExtraInfo));
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK WindowProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_CHAR:
      Log("char " + std::to_string(w));
      return 0;
    case WM_CLOSE:
      // Noted, not obeyed: the recorder stays to see the rest of the chord.
      Log("close");
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(h, msg, w, l);
  }
}

int Record() {
  const HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, LowLevel, GetModuleHandleW(nullptr), 0);
  WNDCLASSW wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"VarnelKeyLog";
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassW(&wc);
  const HWND h = CreateWindowExW(0, wc.lpszClassName, L"KeyLog", WS_OVERLAPPEDWINDOW, 100, 100, 400,
                                 200, nullptr, nullptr, wc.hInstance, nullptr);
  ShowWindow(h, SW_SHOWNORMAL);
  SetForegroundWindow(h);
  Log("ready");
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  if (hook != nullptr) UnhookWindowsHookEx(hook);
  return 0;
}

int Stall(unsigned ms) {
  const HWND varnel = FindWindowW(L"Varnel", nullptr);
  if (varnel == nullptr) {
    std::fprintf(stderr, "no Varnel window\n");
    return 1;
  }
  PostMessageW(varnel, RegisterWindowMessageW(L"VarnelTestStall"), ms, 0);
  // The thread is busy once a quick message goes unanswered; it is free again once a
  // patient one is answered.
  DWORD_PTR ignored = 0;
  while (SendMessageTimeoutW(varnel, WM_NULL, 0, 0, SMTO_NORMAL, kProbeMs, &ignored) != 0) {
    Sleep(kProbeMs);
  }
  Log("stall begin");
  SendMessageTimeoutW(varnel, WM_NULL, 0, 0, SMTO_NORMAL, kPatientMs, &ignored);
  Log("stall end");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const bool stall = argc == 4 && std::string(argv[1]) == "stall";
  if (argc != 2 && !stall) {
    std::fprintf(stderr, "usage: key_recorder LOG | key_recorder stall MS LOG\n");
    return 2;
  }
  logFile = std::fopen(argv[argc - 1], "a");
  if (logFile == nullptr) return 1;
  const int status = stall ? Stall(static_cast<unsigned>(std::atoi(argv[2]))) : Record();
  std::fclose(logFile);
  return status;
}

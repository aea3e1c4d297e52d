#include "adapters/win32/tray_icon.h"

#include <shellapi.h>
#include <windowsx.h>

#include <array>
#include <cwchar>
#include <string>

#include "adapters/win32/win_text.h"
#include "domain/codes.h"

namespace varnel::win {
namespace {

constexpr wchar_t kWindowClass[] = L"VarnelTray";
constexpr UINT kIconId = 1;
constexpr UINT kCallbackMessage = WM_APP + 1;
constexpr WORD kAppIconResource = 1;  // varnel.rc

struct MenuItem {
  TrayEntry entry;
  const wchar_t* text;  // also the entry's accessible name, without the ampersand
  bool separatorBefore;
};
constexpr std::array<MenuItem, 5> kMenu{{
    {TrayEntry::Search, L"&Search", false},
    {TrayEntry::VoiceCommands, L"&Voice commands", false},
    {TrayEntry::StartAtLogin, L"Start at &login", false},
    {TrayEntry::About, L"&About Varnel", true},
    {TrayEntry::Quit, L"&Quit", false},
}};

// Menu command ids start at 1: TrackPopupMenu returns 0 for no choice.
UINT CommandId(TrayEntry e) {
  return static_cast<UINT>(e) + 1;
}

void RegisterClassOnce(HINSTANCE instance, WNDPROC proc) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.lpszClassName = kWindowClass;
  RegisterClassExW(&wc);  // fails harmlessly when registered already
}

}  // namespace

bool TrayIcon::Show(const TrayState& state) {
  state_ = state;
  if (hwnd_ != nullptr) {
    return true;
  }
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterClassOnce(instance, &TrayIcon::Proc);
  // Explorer announces a restart to top-level windows only, so not a message-only window.
  hwnd_ = CreateWindowExW(0, kWindowClass, L"Varnel tray", WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                          nullptr, instance, this);
  if (hwnd_ == nullptr) {
    return false;
  }
  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  // Admit Explorer's announcement past the message filter of an elevated process.
  ChangeWindowMessageFilterEx(hwnd_, taskbarCreated_, MSGFLT_ALLOW, nullptr);
  const int size = GetSystemMetrics(SM_CXSMICON);
  icon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kAppIconResource), IMAGE_ICON,
                                        size, size, LR_DEFAULTCOLOR));
  if (AddIcon()) {
    return true;
  }
  DestroyWindow(hwnd_);
  hwnd_ = nullptr;
  return false;
}

bool TrayIcon::AddIcon() {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = hwnd_;
  data.uID = kIconId;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
  data.uCallbackMessage = kCallbackMessage;
  data.hIcon = icon_ != nullptr ? icon_ : LoadIconW(nullptr, IDI_APPLICATION);
  wcsncpy_s(data.szTip, ToolTip().c_str(), _TRUNCATE);
  if (Shell_NotifyIconW(NIM_ADD, &data) == FALSE) {
    return false;
  }
  data.uVersion = NOTIFYICON_VERSION_4;
  Shell_NotifyIconW(NIM_SETVERSION, &data);
  return true;
}

std::wstring TrayIcon::ToolTip() const {
  return Widen(state_.voiceAsleep ? kTrayToolTipAsleep : kTrayToolTip);
}

void TrayIcon::SetState(const TrayState& state) {
  const bool tipChanged = state.voiceAsleep != state_.voiceAsleep;
  state_ = state;
  if (hwnd_ == nullptr || !tipChanged) {
    return;
  }
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = hwnd_;
  data.uID = kIconId;
  data.uFlags = NIF_TIP | NIF_SHOWTIP;
  wcsncpy_s(data.szTip, ToolTip().c_str(), _TRUNCATE);
  Shell_NotifyIconW(NIM_MODIFY, &data);
}

bool TrayIcon::Remove() {
  if (hwnd_ == nullptr) {
    return true;
  }
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = hwnd_;
  data.uID = kIconId;
  const bool removed = Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
  const HWND h = hwnd_;
  hwnd_ = nullptr;
  DestroyWindow(h);
  if (icon_ != nullptr) {
    DestroyIcon(icon_);
  }
  icon_ = nullptr;
  return removed;
}

LRESULT CALLBACK TrayIcon::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* self = reinterpret_cast<TrayIcon*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr || self->hwnd_ != hwnd) {
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  return self->Handle(msg, wParam, lParam);
}

LRESULT TrayIcon::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == taskbarCreated_ && taskbarCreated_ != 0) {
    AddIcon();  // Explorer restarted and forgot every icon
    return 0;
  }
  // A close sent to every window of the program (taskkill) is the search window's to act
  // on; this window goes when the program ends.
  if (msg == WM_CLOSE) {
    return 0;
  }
  if (msg != kCallbackMessage) {
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
  }
  // NOTIFYICON_VERSION_4: the event in the low word, the anchor point in wParam.
  switch (LOWORD(lParam)) {
    case WM_CONTEXTMENU:
    case NIN_KEYSELECT:
      ShowMenu(POINT{GET_X_LPARAM(wParam), GET_Y_LPARAM(wParam)});
      break;
    case NIN_SELECT:
      chosen_(TrayEntry::Search);
      break;
    default:
      break;
  }
  return 0;
}

void TrayIcon::ShowMenu(POINT at) {
  const HMENU menu = CreatePopupMenu();
  if (menu == nullptr) {
    return;
  }
  for (const MenuItem& item : kMenu) {
    if (item.separatorBefore) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    }
    UINT flags = MF_STRING;
    if ((item.entry == TrayEntry::VoiceCommands && state_.voiceCommands) ||
        (item.entry == TrayEntry::StartAtLogin && state_.startAtLogin)) {
      flags |= MF_CHECKED;
    }
    std::wstring text = item.text;
    if (item.entry == TrayEntry::VoiceCommands && state_.voiceAsleep) {
      text += Widen(kTrayAsleepNote);
    }
    AppendMenuW(menu, flags, CommandId(item.entry), text.c_str());
  }
  SetMenuDefaultItem(menu, CommandId(TrayEntry::Search), FALSE);
  // As documented for notification-icon menus: without the foreground the menu would not
  // close when the user clicks elsewhere.
  const HWND owner = hwnd_;
  SetForegroundWindow(owner);
  const UINT flags = TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON |
                     (GetSystemMetrics(SM_MENUDROPALIGNMENT) != 0 ? TPM_RIGHTALIGN : TPM_LEFTALIGN);
  const auto command =
      static_cast<UINT>(TrackPopupMenu(menu, flags, at.x, at.y, 0, owner, nullptr));
  PostMessageW(owner, WM_NULL, 0, 0);
  DestroyMenu(menu);
  for (const MenuItem& item : kMenu) {
    if (command == CommandId(item.entry)) {
      // Last: Quit takes this window down.
      chosen_(item.entry);
      return;
    }
  }
}

}  // namespace varnel::win

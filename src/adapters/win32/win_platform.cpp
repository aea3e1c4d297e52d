#include "adapters/win32/win_platform.h"

#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <array>

#include "adapters/shared/activation.h"
#include "adapters/shared/key_scan.h"
#include "adapters/win32/speech_sapi.h"
#include "adapters/win32/win_handles.h"
#include "adapters/win32/win_text.h"
#include "domain/codes.h"
#include "domain/key_masks.h"
#include "domain/summon_chord.h"

namespace varnel::win {
namespace {

// A low-level hook procedure gets no context argument, so the one platform object that
// owns the hook is reachable only through this pointer.
WinPlatform* hookOwner = nullptr;

constexpr int kMaxMessagesPerYield = 10000;

// The value the installer's "Start Varnel when I sign in" writes too.
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"Varnel";

std::string ReadRegistryString(HKEY root, const std::wstring& subkey, const wchar_t* value) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, subkey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return {};
  }
  DWORD type = 0;
  DWORD bytes = 0;
  std::wstring data;
  if (RegQueryValueExW(key, value, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ)) {
    // Room for a terminator the stored data may lack.
    data.assign(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key, value, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &bytes) != ERROR_SUCCESS) {
      data.clear();
    }
    data.resize(wcsnlen(data.c_str(), data.size()));
  }
  RegCloseKey(key);
  if (type == REG_EXPAND_SZ && !data.empty()) {
    const DWORD n = ExpandEnvironmentStringsW(data.c_str(), nullptr, 0);
    std::wstring expanded(n, L'\0');
    if (n != 0 && ExpandEnvironmentStringsW(data.c_str(), expanded.data(), n) == n) {
      expanded.resize(n - 1);
      data = expanded;
    }
  }
  return Narrow(data);
}

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) {
      return {};
    }
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::string WithSeparator(std::wstring folder) {
  if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') {
    folder += L'\\';
  }
  return Narrow(folder);
}

// Marks the keys this program synthesises (dwExtraInfo); the low bits number the batch.
constexpr ULONG_PTR kInjectTag = 0x56520000;

// The integrity level (a mandatory-label RID) of a process's token; 0 when unreadable.
DWORD IntegrityLevel(HANDLE process) {
  HANDLE token = nullptr;
  if (OpenProcessToken(process, TOKEN_QUERY, &token) == 0) {
    return 0;
  }
  DWORD bytes = 0;
  GetTokenInformation(token, TokenIntegrityLevel, nullptr, 0, &bytes);
  std::vector<BYTE> buffer(bytes);
  DWORD level = 0;
  if (bytes != 0 &&
      GetTokenInformation(token, TokenIntegrityLevel, buffer.data(), bytes, &bytes) != 0) {
    const auto* label = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer.data());
    const DWORD count = *GetSidSubAuthorityCount(label->Label.Sid);
    if (count > 0) {
      level = *GetSidSubAuthority(label->Label.Sid, count - 1);
    }
  }
  CloseHandle(token);
  return level;
}

// The window in front belongs to a process of a higher integrity level than ours (an
// elevated one), or to one whose token we may not even read.
bool ForegroundRunsHigher() {
  DWORD pid = 0;
  GetWindowThreadProcessId(GetForegroundWindow(), &pid);
  if (pid == 0) {
    return false;
  }
  const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (process == nullptr) {
    return GetLastError() == ERROR_ACCESS_DENIED;
  }
  const DWORD theirs = IntegrityLevel(process);
  CloseHandle(process);
  const DWORD ours = IntegrityLevel(GetCurrentProcess());
  return theirs == 0 ? ours != 0 : theirs > ours;
}

BOOL CALLBACK VisitWindow(HWND h, LPARAM visit) {
  const auto& fn = *reinterpret_cast<const std::function<bool(WindowId)>*>(visit);
  return fn(ToId(h)) ? TRUE : FALSE;
}

}  // namespace

WinPlatform::WinPlatform() : uiThread_(GetCurrentThreadId()) {
  hookOwner = this;
  // The Windows tests make this thread busy on request, to show that keys do not wait for it.
  if (GetEnvironmentVariableW(L"VARNEL_TEST_STALL", nullptr, 0) != 0) {
    stallMessage_ = RegisterWindowMessageW(L"VarnelTestStall");
  }
}

WinPlatform::~WinPlatform() {
  hookThread_.Stop();
  if (hookOwner == this) {
    hookOwner = nullptr;
  }
}

// ---- clock, waiting and the event loop

std::uint32_t WinPlatform::Milliseconds() {
  return GetTickCount();
}

void WinPlatform::Sleep(std::uint32_t ms) {
  ::Sleep(ms);
}

bool WinPlatform::Process(MSG& m) {
  if (m.message == WM_QUIT) {
    quit_ = true;
    exitCode_ = static_cast<int>(m.wParam);
    return false;
  }
  if (m.hwnd == nullptr && m.message == kMsgDeferredCode) {
    if (sink_ != nullptr) {
      sink_->OnDeferredCode(static_cast<Code>(m.wParam));
    }
    return true;
  }
  if (stallMessage_ != 0 && m.message == stallMessage_) {
    ::Sleep(static_cast<DWORD>(m.wParam));
    return true;
  }
  if (form_.PreTranslate(m)) {
    return true;
  }
  TranslateMessage(&m);
  DispatchMessageW(&m);
  return true;
}

void WinPlatform::RunPendingEvents() {
  MSG m;
  for (int i = 0;
       i < kMaxMessagesPerYield && !quit_ && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE) != 0; ++i) {
    if (!Process(m)) {
      // Leave the quit for the event loop proper.
      PostQuitMessage(exitCode_);
      break;
    }
  }
}

void WinPlatform::Post(Code code) {
  // Also called from the hook's thread: the codes always go to the window thread.
  const auto w = static_cast<WPARAM>(static_cast<std::uint32_t>(code));
  if (const HWND target = codeTarget_.load(); target != nullptr) {
    PostMessageW(target, kMsgDeferredCode, w, 0);
  } else {
    PostThreadMessageW(uiThread_, kMsgDeferredCode, w, 0);
  }
}

void WinPlatform::StartTimer(std::uint32_t intervalMs) {
  form_.StartTimer(intervalMs);
}

int WinPlatform::RunUntilClosed() {
  // Without a window nothing could ever end the loop.
  if (form_.Handle() == nullptr) {
    return quit_ ? exitCode_ : 1;
  }
  MSG m;
  while (!quit_) {
    const BOOL r = GetMessageW(&m, nullptr, 0, 0);
    if (r == -1) {
      return 1;
    }
    if (r == 0) {
      quit_ = true;
      exitCode_ = static_cast<int>(m.wParam);
      break;
    }
    Process(m);
  }
  return exitCode_;
}

// ---- top-level windows and stacking order

WindowId WinPlatform::WindowInFront() {
  return ToId(GetForegroundWindow());
}

namespace {

// Windows grants the foreground to a program that shares the input state of the window in
// front; the sharing lasts only for the request.
class WinActivationSteps final : public ActivationSteps {
 public:
  explicit WinActivationSteps(WinPlatform& platform) : platform_(platform) {}
  WindowId InFront() override { return ToId(GetForegroundWindow()); }
  void FirstRequest(WindowId hwnd) override {
    const DWORD front = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    const DWORD target = GetWindowThreadProcessId(ToHwnd(hwnd), nullptr);
    const bool share = front != 0 && target != 0 && front != target;
    if (share) {
      ::AttachThreadInput(front, target, TRUE);
    }
    ::SetForegroundWindow(ToHwnd(hwnd));
    if (share) {
      ::AttachThreadInput(front, target, FALSE);
    }
  }
  void Request(WindowId hwnd) override { ::SetForegroundWindow(ToHwnd(hwnd)); }
  void RaiseToTop(WindowId hwnd) override {
    SetWindowPos(ToHwnd(hwnd), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }
  void KeepAboveOthers(WindowId hwnd, bool on) override {
    SetWindowPos(ToHwnd(hwnd), on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE);
  }
  void LetEventsRun() override {
    platform_.Sleep(1);
    platform_.RunPendingEvents();
  }

 private:
  WinPlatform& platform_;
};

}  // namespace

bool WinPlatform::Activate(WindowId hwnd, Lift lift) {
  if (hwnd == 0) {
    return false;
  }
  WinActivationSteps steps(*this);
  return ActivateWithRetry(steps, hwnd, lift);
}

WindowId WinPlatform::FocusedWindow() {
  return ToId(GetFocus());
}

WindowId WinPlatform::DesktopRoot() {
  return ToId(GetDesktopWindow());
}

WindowId WinPlatform::WindowBelow(WindowId hwnd) {
  if (hwnd == 0) {
    return 0;
  }
  return ToId(GetWindow(ToHwnd(hwnd), GW_HWNDNEXT));
}

bool WinPlatform::WindowExists(WindowId hwnd) {
  return hwnd != 0 && ::IsWindow(ToHwnd(hwnd)) != 0;
}

bool WinPlatform::WindowVisible(WindowId hwnd) {
  return hwnd != 0 && ::IsWindowVisible(ToHwnd(hwnd)) != 0;
}

bool WinPlatform::WindowMinimised(WindowId hwnd) {
  return hwnd != 0 && ::IsIconic(ToHwnd(hwnd)) != 0;
}

bool WinPlatform::HasTitleBar(WindowId hwnd) {
  if (hwnd == 0) {
    return false;
  }
  return (GetWindowLongPtrW(ToHwnd(hwnd), GWL_STYLE) & WS_CAPTION) != 0;
}

Rect WinPlatform::WindowRect(WindowId hwnd) {
  RECT r{};
  if (hwnd == 0 || GetWindowRect(ToHwnd(hwnd), &r) == 0) {
    return {};
  }
  return {r.left, r.top, r.right, r.bottom};
}

std::string WinPlatform::ClassName(WindowId hwnd) {
  if (hwnd == 0) {
    return {};
  }
  wchar_t buf[256];
  const int n = GetClassNameW(ToHwnd(hwnd), buf, 256);
  return n > 0 ? Narrow(std::wstring_view(buf, static_cast<std::size_t>(n))) : std::string();
}

ThreadId WinPlatform::WindowThread(WindowId hwnd) {
  return hwnd == 0 ? 0 : GetWindowThreadProcessId(ToHwnd(hwnd), nullptr);
}

ProcessId WinPlatform::WindowProcess(WindowId hwnd) {
  DWORD pid = 0;
  if (hwnd != 0) {
    GetWindowThreadProcessId(ToHwnd(hwnd), &pid);
  }
  return pid;
}

void WinPlatform::PlaceBelow(WindowId hwnd, WindowId above) {
  if (hwnd == 0 || above == 0 || hwnd == above) {
    return;
  }
  // Going behind another window must not take the activation.
  SetWindowPos(ToHwnd(hwnd), ToHwnd(above), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void WinPlatform::SetOwner(WindowId hwnd, WindowId owner) {
  if (hwnd == 0 || hwnd == owner) {
    return;
  }
  SetWindowLongPtrW(ToHwnd(hwnd), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(ToHwnd(owner)));
}

void WinPlatform::ChangeWindowState(WindowId hwnd, WindowChange cmd) {
  if (hwnd != 0) {
    ::ShowWindow(ToHwnd(hwnd), cmd == WindowChange::Minimise ? SW_MINIMIZE : SW_RESTORE);
  }
}

void WinPlatform::ForEachWindow(const std::function<bool(WindowId)>& visit) {
  ::EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&visit));
}

bool WinPlatform::SendPrivateMessage(WindowId hwnd, Code msg, std::uint32_t wParam,
                                     std::uint32_t lParam, std::uint32_t timeoutMs) {
  if (hwnd == 0) {
    return false;
  }
  DWORD_PTR result = 0;
  return ::SendMessageTimeoutW(ToHwnd(hwnd), static_cast<UINT>(msg), wParam, lParam,
                               SMTO_ABORTIFHUNG | SMTO_BLOCK, timeoutMs, &result) != 0;
}

bool WinPlatform::SendCommandPhrase(WindowId hwnd, const std::string& phrase,
                                    std::uint32_t timeoutMs) {
  if (hwnd == 0 || phrase.size() > kMaxPhraseBytes) {
    return false;
  }
  COPYDATASTRUCT cd{};
  cd.dwData = kPhraseTag;
  cd.cbData = static_cast<DWORD>(phrase.size());
  cd.lpData = const_cast<char*>(phrase.data());
  DWORD_PTR result = 0;
  const LRESULT ok =
      ::SendMessageTimeoutW(ToHwnd(hwnd), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cd),
                            SMTO_ABORTIFHUNG | SMTO_BLOCK, timeoutMs, &result);
  return ok != 0 && result == TRUE;
}

void WinPlatform::DrawAsActive(WindowId hwnd) {
  if (hwnd != 0) {
    SendMessageW(ToHwnd(hwnd), WM_NCACTIVATE, TRUE, 0);
  }
}

// ---- processes

std::vector<ProcessEntry> WinPlatform::RunningProcesses() {
  std::vector<ProcessEntry> out;
  // Processes only: the records asked for carry the ids and names, and walking every
  // module and heap of every process would cost far more.
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) {
    return out;
  }
  PROCESSENTRY32W pe{};
  pe.dwSize = sizeof(pe);
  for (BOOL more = Process32FirstW(snap, &pe); more != 0; more = Process32NextW(snap, &pe)) {
    out.push_back({pe.th32ProcessID,
                   Narrow(std::wstring_view(pe.szExeFile, wcsnlen(pe.szExeFile, MAX_PATH)))});
  }
  CloseHandle(snap);
  return out;
}

std::string WinPlatform::OwnExecutableName() {
  return Narrow(FileNamePart(ModulePath()));
}

// ---- the single instance

void WinPlatform::GrantForeground(ProcessId pid) {
  if (pid != 0) {
    AllowSetForegroundWindow(pid);
  }
}

bool WinPlatform::RunsWithMoreRights(ProcessId pid) {
  return pid != 0 && ProcessRunsAbove(pid);
}

// ---- keys

bool WinPlatform::KeyHeldNow(int vk) {
  return (GetAsyncKeyState(vk) & 0x8000) != 0;
}

// Runs on the hook's own thread (HookThread). The logic's decision reads only atomics and
// the system's key and foreground state, and hands its work to the window thread by posted
// codes.
LRESULT CALLBACK WinPlatform::HookProc(int nCode, WPARAM wParam, LPARAM lParam) {
  WinPlatform* self = hookOwner;
  if (nCode != HC_ACTION || self == nullptr || self->sink_ == nullptr || lParam == 0) {
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
  }
  const auto* k = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
  KeyEvent ev;
  ev.vkCode = k->vkCode;
  ev.scanCode = k->scanCode;
  ev.up = (k->flags & LLKHF_UP) != 0;
  ev.injected = (k->flags & LLKHF_INJECTED) != 0;
  ev.time = k->time;
  if (self->sink_->OnGlobalKey(ev) == KeyVerdict::Swallow) {
    return 1;
  }
  return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

HookHandle WinPlatform::InstallKeyHook() {
  return reinterpret_cast<HookHandle>(hookThread_.Start(HookProc));
}

void WinPlatform::RemoveKeyHook(HookHandle hook) {
  if (hook != 0) {
    hookThread_.Stop();
  }
}

std::optional<KeyPlace> WinPlatform::KeyToType(char ch) {
  return KeyPlaceFromKeyScan(VkKeyScanA(ch));
}

namespace {

// The layout of the window the user types into: each thread has its own.
HKL ForegroundLayout() {
  return GetKeyboardLayout(GetWindowThreadProcessId(GetForegroundWindow(), nullptr));
}

// Whether the layout has an AltGr: the right Alt is one where some character is typed with
// Ctrl+Alt, as Windows reports AltGr ("@" and "{" on a German keyboard, the euro sign on a
// British one). Elsewhere, as on a US keyboard, the right Alt is a plain Alt.
bool LayoutHasAltGr(HKL layout) {
  struct Range {
    wchar_t first, last;
  };
  static constexpr std::array<Range, 3> kTypedWithAltGr = {
      {{L'!', L'~'}, {L'\u00A1', L'\u00FF'}, {L'\u20AC', L'\u20AC'}}};
  for (const Range& r : kTypedWithAltGr) {
    for (wchar_t ch = r.first; ch <= r.last; ++ch) {
      const std::optional<KeyPlace> key = KeyPlaceFromKeyScan(VkKeyScanExW(ch, layout));
      if (key && (key->mods & kLayoutCharMods) == kLayoutCharMods) {
        return true;
      }
    }
  }
  return false;
}

}  // namespace

bool WinPlatform::AltGrHeldNow() {
  // Read on the hook's thread only, when the right Alt is down with the chord's key. The
  // layout's answer is kept until the layout changes, so the hook scans each layout once.
  if (!KeyHeldNow(vk::RightAlt)) {
    return false;
  }
  thread_local HKL scanned = nullptr;
  thread_local bool hasAltGr = false;
  const HKL layout = ForegroundLayout();
  if (layout != scanned) {
    hasAltGr = LayoutHasAltGr(layout);
    scanned = layout;
  }
  return hasAltGr;
}

std::uintptr_t WinPlatform::LayoutId() {
  return reinterpret_cast<std::uintptr_t>(ForegroundLayout());
}

std::size_t WinPlatform::LocateCharacter(char32_t ch, std::span<KeyPlace> places) {
  constexpr char32_t kLastBmp = 0xFFFF;
  if (places.empty() || ch > kLastBmp) {
    return 0;
  }
  // Ctrl+Alt among the modifiers is AltGr.
  const std::optional<KeyPlace> key =
      KeyPlaceFromKeyScan(VkKeyScanExW(static_cast<WCHAR>(ch), ForegroundLayout()));
  if (!key) {
    return 0;
  }
  places[0] = *key;
  return 1;
}

bool WinPlatform::ChordTakenElsewhere(const KeyPlace& key, int mods) {
  // A hot key of our own on the chord is refused while another program has registered it.
  constexpr int kProbeId = 0xB00;
  if (key.vk == 0) {
    return false;
  }
  UINT hotMods = MOD_NOREPEAT;
  if ((mods & kMaskShift) != 0) {
    hotMods |= MOD_SHIFT;
  }
  if ((mods & kMaskCtrl) != 0) {
    hotMods |= MOD_CONTROL;
  }
  if ((mods & kMaskAlt) != 0) {
    hotMods |= MOD_ALT;
  }
  if ((mods & kMaskSuper) != 0) {
    hotMods |= MOD_WIN;
  }
  if (RegisterHotKey(nullptr, kProbeId, hotMods, key.vk) == 0) {
    return GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED;
  }
  UnregisterHotKey(nullptr, kProbeId);
  return false;
}

std::uint32_t WinPlatform::ScanCodeOf(std::uint32_t vk) {
  return MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
}

char32_t WinPlatform::CharacterOf(std::uint32_t vk) {
  // The top bit marks a dead key; the character is below it.
  constexpr UINT kDeadKey = 0x80000000U;
  return MapVirtualKeyA(vk, MAPVK_VK_TO_CHAR) & ~kDeadKey;
}

InjectResult WinPlatform::InjectKeys(std::span<const KeyInput> keys) {
  std::vector<INPUT> inputs(keys.size());
  // Each batch carries its own tag: whoever watches the input can tell our keys, and
  // which of them went out together.
  const ULONG_PTR tag = kInjectTag | ++injectBatch_;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = keys[i].vk;
    inputs[i].ki.wScan = keys[i].scan;
    inputs[i].ki.dwFlags =
        (keys[i].extended ? KEYEVENTF_EXTENDEDKEY : 0) | (keys[i].up ? KEYEVENTF_KEYUP : 0);
    inputs[i].ki.dwExtraInfo = tag;
  }
  if (inputs.empty()) {
    return {};
  }
  const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  InjectResult r;
  r.injected = sent;
  if (sent < inputs.size()) {
    // User Interface Privilege Isolation refuses input to a window of a higher integrity
    // level; SendInput itself does not say that this was the reason.
    r.elevated = GetLastError() == ERROR_ACCESS_DENIED || ForegroundRunsHigher();
  }
  return r;
}

// ---- the search window

WindowId WinPlatform::CreateSearchWindow(const WindowDesign& design) {
  form_.Create(design);
  // A later start at a lower integrity level may summon the window (harmless); the other
  // messages from there, commands among them, stay blocked.
  if (form_.Handle() != nullptr) {
    ChangeWindowMessageFilterEx(form_.Handle(), static_cast<UINT>(kSummonMessage), MSGFLT_ALLOW,
                                nullptr);
  }
  codeTarget_.store(form_.Handle());
  return ToId(form_.Handle());
}

void WinPlatform::ShowView() {
  HWND h = form_.Handle();
  if (h == nullptr) {
    return;
  }
  ::ShowWindow(h, SW_SHOW);
  UpdateWindow(h);
}

void WinPlatform::DestroySearchWindow() {
  codeTarget_.store(nullptr);
  form_.Destroy();
}

bool WinPlatform::ViewVisible() {
  return form_.Visible(ControlRef{Control::Window, 0});
}

void WinPlatform::RaiseView() {
  if (form_.Handle() != nullptr) {
    SetWindowPos(form_.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

WindowId WinPlatform::ControlWindow(ControlRef c) {
  return ToId(form_.ControlWindow(c));
}

// ---- user-interface services

MessageAnswer WinPlatform::ShowMessageBox(const std::string& text, MessageStyle style,
                                          const std::string& title) {
  // A box owned by the parked window would open off screen with it.
  const HWND owner = !form_.Parked() && form_.Frame().top > 0 ? form_.Handle() : nullptr;
  UINT flags = style.buttons == MessageButtons::OkCancel ? MB_OKCANCEL : MB_OK;
  if (style.icon == MessageIcon::Information) {
    flags |= MB_ICONINFORMATION;
  }
  if (owner == nullptr) {
    flags |= MB_SETFOREGROUND;
  }
  // Closed by its frame or Escape, a box answers Cancel where it has one, else OK.
  switch (::MessageBoxW(owner, Widen(text).c_str(), Widen(title).c_str(), flags)) {
    case IDOK:
      return MessageAnswer::Ok;
    case IDCANCEL:
      return MessageAnswer::Cancel;
    default:
      return MessageAnswer::NotShown;
  }
}

void WinPlatform::Beep() {
  MessageBeep(MB_OK);
}

bool WinPlatform::OpenAddress(const std::string& target) {
  if (target.empty()) {
    return false;
  }
  // Values above 32 mean success; the rest are error codes.
  constexpr INT_PTR kFirstSuccess = 33;
  const HINSTANCE r =
      ShellExecuteW(nullptr, L"open", Widen(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(r) >= kFirstSuccess;
}

// ---- default browser

std::string WinPlatform::BrowserUserCommand() {
  return ReadRegistryString(HKEY_CURRENT_USER, L"Software\\Classes\\http\\shell\\open\\command",
                            nullptr);
}

std::string WinPlatform::BrowserChosenHandler() {
  return ReadRegistryString(
      HKEY_CURRENT_USER,
      L"Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\http\\UserChoice",
      L"ProgId");
}

std::string WinPlatform::BrowserHandlerCommand(const std::string& handler) {
  if (handler.empty()) {
    return {};
  }
  // The user's classes, then the machine's, as the merged HKEY_CLASSES_ROOT view orders
  // them: browsers installed for every user (Edge among them) register only the latter.
  const std::wstring key = L"SOFTWARE\\Classes\\" + Widen(handler) + L"\\shell\\open\\command";
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    std::string command = ReadRegistryString(root, key, nullptr);
    if (!command.empty()) {
      return command;
    }
  }
  return {};
}

std::string WinPlatform::ExecutableForDocument(const std::string& path) {
  wchar_t buf[MAX_PATH + 1] = {};
  const auto r = reinterpret_cast<INT_PTR>(FindExecutableW(Widen(path).c_str(), nullptr, buf));
  if (r <= 32) {
    return {};
  }
  return Narrow(std::wstring_view(buf, wcsnlen(buf, MAX_PATH)));
}

std::string WinPlatform::ExecutableFromCommand(const std::string& commandLine) {
  std::size_t i = commandLine.find_first_not_of(" \t");
  if (i == std::string::npos) {
    return {};
  }
  if (commandLine[i] == '"') {
    const std::size_t end = commandLine.find('"', i + 1);
    return commandLine.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
  }
  const std::size_t end = commandLine.find_first_of(" \t", i);
  return commandLine.substr(i, end == std::string::npos ? std::string::npos : end - i);
}

// ---- files

std::string WinPlatform::ExecutableFolder() {
  const std::wstring path = ModulePath();
  const auto cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? std::string() : Narrow(path.substr(0, cut + 1));
}

std::string WinPlatform::TempFolder() {
  wchar_t buf[MAX_PATH + 2] = {};
  const DWORD n = GetTempPathW(MAX_PATH + 1, buf);
  if (n == 0 || n > MAX_PATH + 1) {
    return {};
  }
  return WithSeparator(std::wstring(buf, n));
}

NewFile WinPlatform::CreateNewFile(const std::string& path) {
  const HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? NewFile::Exists
                                                                       : NewFile::Failed;
  }
  CloseHandle(file);
  return NewFile::Created;
}

void WinPlatform::RemoveFile(const std::string& path) {
  DeleteFileW(Widen(path).c_str());
}

std::string WinPlatform::UserConfigFolder() {
  wchar_t buf[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                              SHGFP_TYPE_CURRENT, buf))) {
    return {};
  }
  std::wstring folder = std::wstring(buf) + L"\\Varnel";
  CreateDirectoryW(folder.c_str(), nullptr);
  return WithSeparator(folder);
}

std::string WinPlatform::EnvironmentVariable(const std::string& name) {
  if (name.empty()) {
    return {};
  }
  const std::wstring wname = Widen(name);
  const DWORD n = GetEnvironmentVariableW(wname.c_str(), nullptr, 0);
  if (n == 0) {
    return {};
  }
  std::wstring value(n, L'\0');
  const DWORD got = GetEnvironmentVariableW(wname.c_str(), value.data(), n);
  if (got == 0 || got >= n) {
    return {};
  }
  value.resize(got);
  return Narrow(value);
}

// ---- speech

// ---- start at login

bool WinPlatform::StartAtLogin() {
  return !ReadRegistryString(HKEY_CURRENT_USER, kRunKey, kRunValue).empty();
}

bool WinPlatform::SetStartAtLogin(bool on) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  LSTATUS status = ERROR_SUCCESS;
  if (on) {
    const std::wstring command = L"\"" + ModulePath() + L"\"";
    status =
        RegSetValueExW(key, kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                       static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  } else {
    status = RegDeleteValueW(key, kRunValue);
    if (status == ERROR_FILE_NOT_FOUND) {
      status = ERROR_SUCCESS;
    }
  }
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

std::unique_ptr<SpeechService> WinPlatform::CreateSpeechService(SpeechError& error) {
  return CreateSapiSpeechService(error);
}

}  // namespace varnel::win

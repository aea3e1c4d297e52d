// Checks of the Win32 platform layer that need the real system calls: handle and text
// conversion, the search window's controls and events, the deferred and cross-process
// routes, the registry, the process list and the single instance. Runs under Wine; exit 1 on
// any failure.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "adapters/win32/instance_mutex.h"
#include "adapters/win32/speech_sapi.h"
#include "adapters/win32/tray_icon.h"
#include "adapters/win32/win_handles.h"
#include "adapters/win32/win_platform.h"
#include "adapters/win32/win_text.h"
#include "contract/contract.h"
#include "core/program.h"
#include "domain/codes.h"
#include "domain/window_design.h"

namespace {

using namespace varnel;

int failures = 0;

void Expect(bool ok, const std::string& what) {
  std::printf("  %s %s\n", ok ? "ok  " : "FAIL", what.c_str());
  if (!ok) ++failures;
}

// Records what the platform delivers.
struct Recorder final : PlatformEvents {
  std::vector<Code> codes;
  std::vector<std::string> phrases;
  std::vector<ControlRef> clicks;
  std::vector<int> keys;
  std::vector<char32_t> altCharacters;
  std::vector<std::uint32_t> messages;
  std::vector<TrayEntry> trayEntries;
  void OnDeferredCode(Code c) override { codes.push_back(c); }
  void OnWindowMessage(WindowId, Code msg, std::uint32_t w, std::uint32_t l) override {
    messages.insert(messages.end(), {static_cast<std::uint32_t>(msg), w, l});
  }
  void OnCommandPhrase(const std::string& p) override { phrases.push_back(p); }
  void OnTimer() override {}
  KeyVerdict OnGlobalKey(const KeyEvent&) override { return KeyVerdict::PassOn; }
  void OnViewResized() override {}
  void OnDeactivate() override {}
  void OnViewClosed() override {}
  bool OnCloseRequest() override { return true; }
  void OnTrayEntry(TrayEntry e) override { trayEntries.push_back(e); }
  void OnCharacterTyped(int& ch) override {
    keys.push_back(ch);
    if (ch == 13) ch = 0;
  }
  void OnKeyUp(int, int) override {}
  bool OnAltCharacter(char32_t ch) override {
    altCharacters.push_back(ch);
    return true;
  }
  void OnPointerOver(ControlRef) override {}
  void OnBackgroundDoubleClick() override {}
  void OnClick(ControlRef c) override { clicks.push_back(c); }
};

void Conversions() {
  std::printf("conversions\n");
  const char* texts[] = {"", "abc", "caf\xC3\xA9", "\xE6\x97\xA5\xE6\x9C\xAC",
                         "\xF0\x9F\x98\x80 smile"};
  for (const char* t : texts) {
    Expect(win::Narrow(win::Widen(t)) == t, std::string("UTF-8 round trip of \"") + t + "\"");
  }
  Expect(win::Widen("\xF0\x9F\x98\x80").size() == 2,
         "a character beyond the BMP becomes a surrogate pair");
  Expect(
      win::ToHwnd(0x80000010u) == reinterpret_cast<HWND>(static_cast<std::intptr_t>(-2147483632)),
      "handles widen with sign extension");
  Expect(win::ToId(win::ToHwnd(0x0001002Au)) == 0x0001002Au, "handle round trip");
}

// What the ports' contracts need done on Windows.
class WinDriver final : public contract::Driver {
 public:
  explicit WinDriver(win::WinPlatform& p) : p_(p) {}
  bool RunUntil(const std::function<bool()>& done) override {
    constexpr DWORD kPatienceMs = 5000;
    constexpr DWORD kPollMs = 10;
    const ULONGLONG deadline = GetTickCount64() + kPatienceMs;
    while (!done()) {
      if (GetTickCount64() >= deadline) return false;
      p_.RunPendingEvents();
      ::Sleep(kPollMs);
    }
    return true;
  }
  WindowId MakeWindow() override {
    constexpr wchar_t kClass[] = L"VarnelContractWindow";
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);  // fails harmlessly when already registered
    const HWND h = CreateWindowExW(0, kClass, L"Contract", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                                   240, 160, nullptr, nullptr, wc.hInstance, nullptr);
    return win::ToId(h);
  }
  void DestroyWindow(WindowId hwnd) override { ::DestroyWindow(win::ToHwnd(hwnd)); }
  void SetEnvironment(const std::string& name, const std::string& value) override {
    SetEnvironmentVariableW(win::Widen(name).c_str(),
                            value.empty() ? nullptr : win::Widen(value).c_str());
  }
  ProcessId OwnProcess() override { return GetCurrentProcessId(); }

 private:
  win::WinPlatform& p_;
};

class PrintedCheck final : public contract::Check {
 public:
  int failed = 0;
  void Fail(const std::string& what) override {
    std::printf("  FAIL %s\n", what.c_str());
    ++failed;
  }
};

// The ports' contracts, the cases the fake and the X11 adapters run too. First, while no
// search window exists; the window they make stays for the checks after them, since
// destroying it would end the event loop.
void Contracts(win::WinPlatform& p) {
  std::printf("contracts\n");
  contract::Recorder events;
  p.SetEventSink(&events);
  WinDriver driver(p);
  contract::Subject subject{p.AllPorts(), events, driver};
  for (const contract::Case& c : contract::AllContracts()) {
    PrintedCheck check;
    c.run(subject, check);
    Expect(check.failed == 0, std::string(c.port) + "." + c.name);
  }
  p.SetEventSink(nullptr);
}

void Window(win::WinPlatform& p, Recorder& r) {
  std::printf("search window\n");
  const WindowId h = p.CreateSearchWindow(SearchWindowDesign());
  Expect(h != 0 && p.WindowExists(h), "the window is created");
  Expect(p.ClassName(h) == "Varnel", "its class is Varnel");
  Expect(p.Text({Control::Scope, 3}) == "e&How", "option captions keep their accelerator marks");
  p.ShowView();
  p.RunPendingEvents();

  p.Park();
  Expect(p.Parked() && p.WindowRect(h).bottom < 0, "parked, it is above every screen");

  struct ValueCase {
    ControlRef control;
    int value;
    std::size_t clicks;  // clicks raised by this step
    const char* what;
  };
  const ValueCase cases[] = {
      {{Control::Scope, 3}, 1, 1, "selecting a scope raises its click"},
      {{Control::Scope, 3}, 1, 0, "selecting it again raises nothing"},
      {{Control::DateRange, 2}, 1, 0, "selecting a date raises nothing"},
      {{Control::VoiceCommands, 0}, 1, 1, "ticking the check box raises its click"},
      {{Control::VoiceCommands, 0}, 1, 0, "ticking it again raises nothing"},
      {{Control::VoiceCommands, 0}, 0, 1, "clearing it raises its click"},
  };
  for (const auto& c : cases) {
    const std::size_t before = r.clicks.size();
    p.SetValue(c.control, c.value);
    const bool ok = r.clicks.size() - before == c.clicks &&
                    (c.clicks == 0 || r.clicks.back() == c.control) &&
                    p.Value(c.control) == c.value;
    Expect(ok, c.what);
  }
  Expect(p.Value({Control::Scope, 0}) == 0, "only one scope stays selected");
  Expect(p.Value({Control::DateRange, 0}) == 0 && p.Value({Control::DateRange, 2}) == 1,
         "date group is exclusive");

  const std::string text =
      "Gr\xC3\xBC\xC3\x9F"
      "e \xF0\x9F\x98\x80";
  p.SetText({Control::Terms, 0}, text);
  Expect(p.Text({Control::Terms, 0}) == text, "the terms keep every character");
  p.SetSelection({Control::Terms, 0}, 1, 3);
  Expect(p.SelStart({Control::Terms, 0}) == 1 && p.SelLength({Control::Terms, 0}) == 3,
         "selection reads back");
  p.SetSelection({Control::Terms, 0}, 5, 999);
  Expect(p.SelStart({Control::Terms, 0}) + p.SelLength({Control::Terms, 0}) == 8,
         "selection is clamped to the text");

  Expect(!p.SetTabStop({Control::Heading, 0}, false) && p.SetTabStop({Control::Terms, 0}, false),
         "labels have no tab stop, the text box has");
  p.SetEnabled({Control::DateRange, 1}, false);
  Expect(!p.SetFocus({Control::DateRange, 1}), "a disabled option cannot take the focus");
  Expect(p.SetFocus({Control::Terms, 0}) && p.FocusedControl() == ControlRef{Control::Terms, 0},
         "the text box takes the focus");
  p.SetControlTop({Control::DateKey, 0}, 8);
  Expect(p.ControlTop({Control::DateKey, 0}) == 8, "a control's Top reads back");

  std::printf("keys\n");
  HWND edit = win::ToHwnd(p.ControlWindow({Control::Terms, 0}));
  // The window's keys are the program's to decide: the view only reports them.
  r.clicks.clear();
  PostMessageW(edit, WM_SYSCHAR, L'W', 0);
  PostMessageW(edit, WM_SYSCHAR, L'f', 0);
  p.RunPendingEvents();
  Expect(r.altCharacters == std::vector<char32_t>{U'W', U'f'} && r.clicks.empty() &&
             p.Value({Control::Scope, 9}) == 0,
         "Alt+W and Alt+F reach the program as they were typed, and the view acts on neither");
  p.SetText({Control::Terms, 0}, "");
  p.SetFocus({Control::Terms, 0});
  PostMessageW(edit, WM_CHAR, L'x', 0);
  PostMessageW(edit, WM_CHAR, 13, 0);
  p.RunPendingEvents();
  Expect(r.keys.size() >= 2 && r.keys[r.keys.size() - 2] == 'x' && r.keys.back() == 13,
         "typed characters reach the key preview");
  Expect(p.Text({Control::Terms, 0}) == "x", "a dropped character never reaches the text box");

  std::printf("routes\n");
  p.Post(kCycleFocus);
  p.Post(-5);
  Expect(r.codes.empty(), "posted codes wait for the event loop");
  p.RunPendingEvents();
  Expect(r.codes == std::vector<Code>{kCycleFocus, -5}, "posted codes arrive in order, unchanged");
  Expect(p.SendPrivateMessage(h, kSummonMessage, kSummonParam, kSummonParam, 1000) &&
             r.messages == std::vector<std::uint32_t>{static_cast<std::uint32_t>(kSummonMessage),
                                                      kSummonParam, kSummonParam},
         "the hand-off message reaches the program");
  const std::string phrase = "find it caf\xC3\xA9";
  Expect(p.SendCommandPhrase(h, phrase, 1000), "a command phrase is accepted");
  Expect(r.phrases.empty(), "the phrase is carried out after the send returns");
  p.RunPendingEvents();
  Expect(r.phrases == std::vector<std::string>{phrase}, "the phrase arrives whole");
  Expect(!p.SendCommandPhrase(h, std::string(5000, 'a'), 1000), "an oversized phrase is refused");
  Expect(!p.SendCommandPhrase(0, phrase, 1000), "no window, no delivery");
  p.DestroySearchWindow();
  Expect(!p.WindowExists(h), "the window is destroyed");
}

void System(win::WinPlatform& p) {
  std::printf("system\n");
  const std::string name = p.OwnExecutableName();
  Expect(name == "platform_checks.exe", "own executable name: " + name);
  bool found = false;
  for (const auto& e : p.RunningProcesses()) found = found || e.exeFile == name;
  Expect(found, "the process list holds this program");
  const std::string folder = p.ExecutableFolder();
  Expect(!folder.empty() && folder.back() == '\\', "the executable folder ends with a separator");
  Expect(!p.TempFolder().empty() && p.TempFolder().back() == '\\',
         "the temporary folder ends with a separator");
  SetEnvironmentVariableW(L"VARNEL_CHECK", L"x\u00E9");
  Expect(p.EnvironmentVariable("VARNEL_CHECK") == "x\xC3\xA9" &&
             p.EnvironmentVariable("VARNEL_UNSET_CHECK").empty(),
         "environment values");

  const wchar_t* key = L"SOFTWARE\\Classes\\VarnelCheckProgId\\shell\\open\\command";
  const wchar_t* command = L"\"C:\\Browser\\app.exe\" -url \"%1\"";
  HKEY k = nullptr;
  const LONG made =
      RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr);
  if (made == ERROR_SUCCESS) {
    RegSetValueExW(k, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command),
                   static_cast<DWORD>((wcslen(command) + 1) * sizeof(wchar_t)));
    RegCloseKey(k);
  }
  const std::string read = p.BrowserHandlerCommand("VarnelCheckProgId");
  Expect(made == ERROR_SUCCESS && read == "\"C:\\Browser\\app.exe\" -url \"%1\"",
         "a handler's command line is read from the registry: " + read);
  RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Classes\\VarnelCheckProgId");
  Expect(
      p.BrowserHandlerCommand("VarnelCheckProgId").empty() && p.BrowserHandlerCommand("").empty(),
      "a missing handler reads as empty");

  const HookHandle hook = p.InstallKeyHook();
  Expect(hook != 0, "the low-level keyboard hook installs");
  p.RemoveKeyHook(hook);

  SpeechError error;
  auto speech = p.CreateSpeechService(error);
  Expect(speech != nullptr || (error.number != 0 && !error.text.empty()),
         "the speech service is created or says why not: " + error.text);
}

// Sets a registry key's default or named value, creating the key.
bool SetRegistryString(HKEY root, const std::wstring& key, const wchar_t* name,
                       const std::wstring& value) {
  HKEY k = nullptr;
  if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  const LONG set = RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(k);
  return set == ERROR_SUCCESS;
}

bool FolderIsEmpty(const std::wstring& folder) {
  WIN32_FIND_DATAW found{};
  const HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return true;
  bool empty = true;
  do {
    const std::wstring name = found.cFileName;
    empty = empty && (name == L"." || name == L"..");
  } while (FindNextFileW(h, &found));
  FindClose(h);
  return empty;
}

// A registry string value, "" when missing.
std::wstring GetRegistryString(HKEY root, const std::wstring& key, const wchar_t* name) {
  wchar_t buf[1024] = {};
  DWORD bytes = sizeof buf;
  if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buf, &bytes) != ERROR_SUCCESS) {
    return {};
  }
  return buf;
}

// The default browser's lookup and launch on the real registry and file system. The user's
// own choice is set aside meanwhile and put back after.
void DefaultBrowser(win::WinPlatform& p) {
  std::printf("default browser\n");
  Program program(p.AllPorts());
  const std::wstring choice =
      L"Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\http\\UserChoice";
  const std::wstring userChoice = GetRegistryString(HKEY_CURRENT_USER, choice, L"ProgId");
  RegDeleteTreeW(HKEY_CURRENT_USER, choice.c_str());
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring present = std::wstring(system) + L"\\hostname.exe";

  // Only the ".htm" association names a browser, and the temporary folder's name is not
  // ASCII: the document the association is asked about is made there. Machine-wide, as
  // Wine's file associations see only those.
  const std::wstring htm = L"SOFTWARE\\Classes\\.htm";
  const std::wstring oldHtm = GetRegistryString(HKEY_LOCAL_MACHINE, htm, nullptr);
  const std::wstring docClass = L"SOFTWARE\\Classes\\VarnelHtmCheck";
  SetRegistryString(HKEY_LOCAL_MACHINE, htm, nullptr, L"VarnelHtmCheck");
  SetRegistryString(HKEY_LOCAL_MACHINE, docClass + L"\\shell\\open\\command", nullptr,
                    L"\"" + present + L"\" \"%1\"");
  wchar_t base[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, base);
  const std::wstring temp = std::wstring(base) + L"varnel-caf\u00E9-\u65E5\u672C";
  CreateDirectoryW(temp.c_str(), nullptr);
  wchar_t oldTmp[MAX_PATH + 1] = {};
  wchar_t oldTemp[MAX_PATH + 1] = {};
  GetEnvironmentVariableW(L"TMP", oldTmp, MAX_PATH + 1);
  GetEnvironmentVariableW(L"TEMP", oldTemp, MAX_PATH + 1);
  SetEnvironmentVariableW(L"TMP", temp.c_str());
  SetEnvironmentVariableW(L"TEMP", temp.c_str());
  const std::string viaDocument = p.DefaultBrowser();
  Expect(p.BrowserUserCommand().empty() &&
             _wcsicmp(win::Widen(viaDocument).c_str(), present.c_str()) == 0,
         "the .htm association is asked from a temporary folder with a non-ASCII name: " +
             viaDocument + " (user command \"" + p.BrowserUserCommand() + "\")");
  Expect(FolderIsEmpty(temp), "the document is removed again");
  SetEnvironmentVariableW(L"TMP", oldTmp[0] != 0 ? oldTmp : nullptr);
  SetEnvironmentVariableW(L"TEMP", oldTemp[0] != 0 ? oldTemp : nullptr);
  RemoveDirectoryW(temp.c_str());
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, docClass.c_str());
  if (oldHtm.empty()) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, htm.c_str());
  } else {
    SetRegistryString(HKEY_LOCAL_MACHINE, htm, nullptr, oldHtm);
  }

  // A browser registered for the machine only, chosen by the user.
  const std::wstring progId = L"VarnelMachineCheck";
  const std::wstring command = L"SOFTWARE\\Classes\\" + progId + L"\\shell\\open\\command";
  const bool set = SetRegistryString(HKEY_CURRENT_USER, choice, L"ProgId", progId) &&
                   SetRegistryString(HKEY_LOCAL_MACHINE, command, nullptr,
                                     L"\"C:\\Machine Browser\\browser.exe\" --single-argument %1");
  const std::string found = p.DefaultBrowser();
  Expect(set && found == "C:\\Machine Browser\\browser.exe",
         "a handler registered for the machine only is found: " + found);
  SetRegistryString(HKEY_CURRENT_USER, command, nullptr, L"\"C:\\Mine\\browser.exe\" %1");
  Expect(p.BrowserHandlerCommand("VarnelMachineCheck") == "\"C:\\Mine\\browser.exe\" %1",
         "the user's own registration comes first");
  RegDeleteTreeW(HKEY_CURRENT_USER, (L"SOFTWARE\\Classes\\" + progId).c_str());
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, (L"SOFTWARE\\Classes\\" + progId).c_str());
  RegDeleteTreeW(HKEY_CURRENT_USER, choice.c_str());
  if (!userChoice.empty()) {
    SetRegistryString(HKEY_CURRENT_USER, choice, L"ProgId", userChoice);
  }

  Expect(!p.OpenAddress("C:\\Varnel Missing\\browser.exe"), "a program that is not there fails");
  Expect(p.OpenAddress(win::Narrow(present)), "a program that is there starts");
}

void Instance() {
  std::printf("single instance\n");
  const std::wstring name = win::InstanceMutexName();
  Expect(name.rfind(L"Local\\Varnel-", 0) == 0 && name.size() > 14,
         "the mutex is per session and user: " + win::Narrow(name));
  auto first = std::make_unique<win::InstanceMutex>();
  win::InstanceMutex second;
  Expect(first->Claim() == InstanceClaim::First && first->Claim() == InstanceClaim::First,
         "the first claim wins and keeps winning");
  Expect(second.Claim() == InstanceClaim::Taken, "a second claim finds it taken");
  Expect(second.Published() == 0, "no window before the holder publishes one");
  second.Publish(0x1234);
  Expect(second.Published() == 0, "only the holder publishes");
  first->Publish(0x0001002Au);
  Expect(second.Published() == 0x0001002Au, "the holder's window reaches later starts");
  first.reset();
  Expect(second.Claim() == InstanceClaim::First, "the claim is free once the holder ends");
  Expect(second.Published() == 0, "the former holder's window went with it");
}

void Speech() {
  std::printf("speech\n");
  struct ItemCase {
    const char* item;
    const char* spoken;
  };
  const ItemCase items[] = {
      {"1", "one"},
      {"13", "thirteen"},
      {"20", "twenty"},
      {"21", "twenty one"},
      {"25", "twenty five"},
      {"99", "ninety nine"},
      {"Page Down", "Page Down"},
      {"0", "zero"},
      {"07", "07"},
      {"100", "100"},
      {"", ""},
      {"4x", "4x"},
  };
  for (const auto& c : items) {
    const std::string got = win::SpokenListItem(c.item);
    Expect(got == c.spoken,
           std::string("list item \"") + c.item + "\" is spoken as \"" + got + "\"");
  }
  struct EndCase {
    unsigned long hr;
    bool lost;
    const char* what;
  };
  const EndCase ends[] = {
      {0x00000000UL, false, "a stream that ends normally"},
      {0x8004500FUL, false, "a stream stopped on request"},
      {0x8004502FUL, false, "an overflowing buffer, reopened by the recogniser"},
      {0x8004505BUL, false, "an underflowing buffer, reopened by the recogniser"},
      {0x8004505CUL, true, "a device that stopped unexpectedly"},
      {0x80045009UL, true, "a missing audio driver"},
      {0x80004005UL, true, "an unspecified failure"},
  };
  for (const auto& c : ends) {
    Expect(win::InputLost(static_cast<long>(c.hr)) == c.lost,
           std::string(c.what) + (c.lost ? " means the input is lost" : " is not a loss"));
  }
  const SpeechError classMissing = win::ErrorFromHresult(static_cast<long>(0x80040154UL));
  Expect(classMissing.number == static_cast<std::int32_t>(0x80040154UL) &&
             classMissing.text.find("0x") == std::string::npos && !classMissing.text.empty(),
         "a missing recogniser class has a readable text: " + classMissing.text);
}

// The notification icon, its callback route, and start at login in the Run key.
void CheckTray(win::WinPlatform& p, Recorder& r) {
  std::printf("tray icon and start at login\n");
  std::vector<TrayEntry> chosen;
  {
    win::TrayIcon icon([&chosen](TrayEntry e) { chosen.push_back(e); });
    Expect(icon.Show(TrayState{}), "Shell_NotifyIconW NIM_ADD takes the icon");
    const HWND w = icon.Window();
    Expect(w != nullptr, "the icon has its own window");
    // A click on the icon (NOTIFYICON_VERSION_4: the event in the low word of lParam).
    SendMessageW(w, WM_APP + 1, 0, MAKELPARAM(NIN_SELECT, 1));
    Expect(chosen.size() == 1 && chosen[0] == TrayEntry::Search, "a click on the icon summons");
    // An Explorer restart: the icon is added again and nothing else happens.
    SendMessageW(w, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    Expect(icon.Window() == w && chosen.size() == 1, "TaskbarCreated is taken calmly");
    Expect(icon.Remove(), "Shell_NotifyIconW NIM_DELETE takes it away");
    Expect(icon.Window() == nullptr && IsWindow(w) == FALSE, "its window is gone");
  }
  Expect(p.ShowTrayIcon(TrayState{}) && p.TrayWindow() != nullptr, "the platform shows it");
  SendMessageW(p.TrayWindow(), WM_APP + 1, 0, MAKELPARAM(NIN_SELECT, 1));
  Expect(r.trayEntries.size() == 1 && r.trayEntries[0] == TrayEntry::Search,
         "the platform reports the choice");
  p.RemoveTrayIcon();
  Expect(p.TrayWindow() == nullptr, "and removes it");

  const wchar_t* runKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  auto runValue = [&]() -> std::wstring {
    wchar_t data[1024] = {};
    DWORD bytes = sizeof data;
    if (RegGetValueW(HKEY_CURRENT_USER, runKey, L"Varnel", RRF_RT_REG_SZ, nullptr, data, &bytes) !=
        ERROR_SUCCESS) {
      return L"-";
    }
    return data;
  };
  const bool before = p.StartAtLogin();
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  Expect(p.SetStartAtLogin(true) && p.StartAtLogin(), "start at login switches on");
  Expect(runValue() == std::wstring(L"\"") + self + L"\"",
         "HKCU Run \"Varnel\" holds the quoted program path");
  Expect(p.SetStartAtLogin(false) && !p.StartAtLogin(), "start at login switches off");
  Expect(runValue() == L"-", "the Run value is gone");
  Expect(p.SetStartAtLogin(false), "switching off twice is no failure");
  p.SetStartAtLogin(before);
}

}  // namespace

int main() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  {
    win::WinPlatform platform;
    Recorder recorder;
    platform.SetEventSink(&recorder);
    Conversions();
    Contracts(platform);
    platform.SetEventSink(&recorder);
    Window(platform, recorder);
    System(platform);
    DefaultBrowser(platform);
    platform.SetEventSink(&recorder);
    Instance();
    Speech();
    CheckTray(platform, recorder);
    platform.SetEventSink(nullptr);
  }
  CoUninitialize();
  std::printf("%d failed\n", failures);
  return failures == 0 ? 0 : 1;
}

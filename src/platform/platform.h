// The one interface through which Varnel's logic reaches the system.
//
// Everything here is called on the single user-interface thread, except the keyboard hook's
// calls (OnKeyboardHook and what it uses, below). Calls that let other
// events run before they return say so ("yields"). Window handles, thread ids and process
// ids are 32-bit values where 0 means none. Text is UTF-8.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace varnel {

struct WindowDesign;  // ui/window_design.h

using Hwnd = std::uint32_t;
using ThreadId = std::uint32_t;
using ProcessId = std::uint32_t;
using HookHandle = std::uintptr_t;  // 0 = no hook
using Code = std::int32_t;          // private codes and window-message numbers
using Colour = std::uint32_t;       // 0x00BBGGRR
using Twips = std::int32_t;

// The search window's controls, by the names the logic knows them under. Arrays
// (Scope, DateRange, DateKey, Heading, Rule, TermsFrame) are addressed by index; Window is
// the window itself.
enum class Control : std::uint8_t {
  Window,
  Terms,
  Scope,
  DateRange,
  DateKey,
  VoiceCommands,
  Message,
  DoIt,
  JustSay,
  FindButton,
  Heading,
  Rule,
  ScopePanel,
  TermsFrame,
  DatePanel,
  Microphone,
};

struct ControlRef {
  Control id = Control::Window;
  int index = 0;
  friend bool operator==(const ControlRef&, const ControlRef&) = default;
};

// The low-level keyboard event as a global hook receives it.
struct KeyEvent {
  std::uint32_t vkCode = 0;
  std::uint32_t scanCode = 0;
  std::uint32_t flags = 0;  // kKeyEventUp set = key released
  std::uint32_t time = 0;
  std::uintptr_t extraInfo = 0;
};
inline constexpr std::uint32_t kKeyEventUp = 0x80;

// A key of the current layout that types a character: by virtual-key code, or by scan code
// where the code says nothing (vk 0); mods (Shift 1, Ctrl 2, Alt 4) are what the layout needs
// held to type the character on it.
struct KeyPlace {
  std::uint32_t vk = 0;
  std::uint32_t scanCode = 0;
  int mods = 0;
};
inline constexpr std::size_t kMaxKeyPlaces = 4;

struct Rect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

enum class WindowState : std::uint8_t { Normal = 0, Minimised = 1, Maximised = 2 };
enum class ShowCmd : std::uint8_t { Minimise = 6, Restore = 9 };
enum class ZPlace : std::uint8_t { Top, TopMost, NoTopMost };

enum class NewFile : std::uint8_t { Created, Exists, Failed };

struct ProcessEntry {
  ProcessId pid = 0;
  std::string exeFile;  // executable file name, no folder
};

// The answer to a claim of the one running instance.
enum class InstanceClaim : std::uint8_t {
  First,        // this process is the running instance
  Taken,        // another process holds the claim
  Unavailable,  // the system could not tell; the settings file's record decides
};

// Flags of a synthesised key event (the Windows KEYEVENTF_ values).
inline constexpr std::uint32_t kKeyExtended = 1;
inline constexpr std::uint32_t kKeyUp = 2;

// One synthesised key-down or key-up.
struct KeyInput {
  std::uint8_t vk = 0;
  std::uint8_t scan = 0;
  std::uint32_t flags = 0;  // kKeyExtended, kKeyUp
};

// What became of a batch of synthesised keys.
struct InjectResult {
  std::size_t injected = 0;  // events that went in, counted from the first
  bool elevated = false;     // refused because the window in front runs with higher rights
};

// Mouse pointers.
inline constexpr int kPointerDefault = 0;
inline constexpr int kPointerHourglass = 11;

// Message-box answers and styles (the Windows values).
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kMbOk = 0;
inline constexpr int kMbOkCancel = 1;
inline constexpr int kMbIconInformation = 64;

// The tray icon's menu, in menu order.
enum class TrayEntry : std::uint8_t { Search, VoiceCommands, StartAtLogin, About, Quit };

// The check marks of the tray menu's checkable entries.
struct TrayChecks {
  bool voiceCommands = false;
  bool startAtLogin = false;
  friend bool operator==(const TrayChecks&, const TrayChecks&) = default;
};

// A failure reported by the speech service: a number and the platform's text for it.
struct SpeechError {
  std::int32_t number = 0;
  std::string text;
  std::string advice{};  // what the user can do about it, when the service knows; shown instead
};

// What the recogniser heard for one of the program's commands.
struct SpeechRecognition {
  std::string command;  // the spoken form as registered
  std::int32_t id = 0;  // identifier the command was added under
  std::string action;
  std::vector<std::string> listResults;  // words recognised for list placeholders
};

// Events of a speech service, delivered on the user-interface thread.
class SpeechEvents {
 public:
  virtual void OnCommandRecognize(const SpeechRecognition& r) = 0;
  virtual void OnCommandOther(const std::string& command, const std::string& app,
                              const std::string& state) = 0;
  // The service went away (its process ended) while commands were registered.
  virtual void OnServiceLost() = 0;

 protected:
  ~SpeechEvents() = default;
};

// A speech-command service: one voice-command object with one menu. Every operation returns
// an error when it fails; the caller decides what a failure means.
class SpeechService {
 public:
  virtual ~SpeechService() = default;
  virtual std::optional<SpeechError> Register(SpeechEvents* events) = 0;
  virtual std::optional<SpeechError> CreateMenu(const std::string& app, const std::string& state,
                                                int language) = 0;
  // items: every item followed by one NUL.
  virtual std::optional<SpeechError> SetList(const std::string& name, int count,
                                             const std::string& items) = 0;
  virtual std::optional<SpeechError> AddCommand(std::int32_t id, const std::string& spoken,
                                                const std::string& description) = 0;
  virtual std::optional<SpeechError> SetActive(bool active) = 0;
  virtual std::optional<SpeechError> RemoveCommand(std::int32_t id) = 0;
  virtual std::optional<SpeechError> ReleaseMenu() = 0;
  virtual std::optional<SpeechError> Unregister() = 0;
};

// Events that the platform delivers to the program, always on the user-interface thread
// and never from inside another call unless that call yields.
class PlatformEvents {
 public:
  // A code posted with Platform::PostCode, after the event that posted it has finished.
  virtual void OnDeferredCode(Code code) = 0;
  // A window message sent to the search window by another instance.
  virtual void OnWindowMessage(Hwnd hwnd, Code msg, std::uint32_t wParam, std::uint32_t lParam) = 0;
  // A phrase handed over by `varnel --command`.
  virtual void OnCommandPhrase(const std::string& phrase) = 0;
  // The search window's timer.
  virtual void OnTimer() = 0;
  // The global keyboard hook. Returns non-zero to swallow the event; otherwise returns the
  // result of Platform::CallNextHook. Must be quick: nothing slow, no allocation. A platform
  // may call it on a thread of its own, so it may only read state kept in atomics, ask
  // ForegroundWindow and AsyncKeyDown, call CallNextHook, and post with PostCode.
  virtual std::intptr_t OnKeyboardHook(int nCode, std::uint32_t wParam, const KeyEvent& ev) = 0;

  // Search window events.
  virtual void OnResize() = 0;      // size or state changed (minimised included)
  virtual void OnDeactivate() = 0;  // the window lost the activation
  virtual void OnUnload() = 0;      // the user closed the window; the program ends after it
  // The user asks to close the window (close box, Alt+F4). True lets the close go on
  // (OnUnload follows); false keeps the window loaded.
  virtual bool OnCloseRequest() = 0;
  // An entry of the tray icon's menu was chosen.
  virtual void OnTrayEntry(TrayEntry entry) = 0;
  virtual void OnKeyPress(int& ch) = 0;  // typed character, before the focused control; 0 drops it
  // Key pressed, before the focused control; mask as for OnKeyUp; repeat for the auto-repeats
  // of a held key. True: the focused control must not see the key.
  virtual bool OnKeyDown(int /*key*/, int /*mask*/, bool /*repeat*/) { return false; }
  // A character typed with Alt held and Ctrl not, as the layout types it (0 for a key that
  // types none): the captions' accelerators. True: the window took it, nothing is typed.
  virtual bool OnAltCharacter(char32_t /*ch*/) { return false; }
  virtual void OnKeyUp(int key, int mask) = 0;    // key released; mask Shift 1, Ctrl 2, Alt 4
  virtual void OnMouseMove(ControlRef over) = 0;  // over the form's background or DoIt
  virtual void OnDblClick() = 0;                  // double click on the form's background
  // FindButton and DoIt clicks; Scope(i) whenever it becomes selected (also when code
  // sets its value); VoiceCommands whenever its value changes (also when code sets it).
  virtual void OnClick(ControlRef control) = 0;

 protected:
  ~PlatformEvents() = default;
};

class Platform {
 public:
  virtual ~Platform() = default;

  virtual void SetEventSink(PlatformEvents* sink) = 0;

  // ---- clock, waiting and the event loop
  virtual std::uint32_t TickCount() = 0;  // ms since system start, wraps at 2^32
  virtual void Sleep(std::uint32_t ms) = 0;
  virtual void DoEvents() = 0;  // yields: runs the events pending now, once
  // Deferred to OnDeferredCode after the current event; may be called from the hook.
  virtual void PostCode(Code code) = 0;
  virtual void StartTimer(std::uint32_t intervalMs) = 0;  // the search window's timer
  virtual int RunEventLoop() = 0;  // until the search window is unloaded; exit status

  // ---- top-level windows and stacking order
  virtual Hwnd ForegroundWindow() = 0;
  virtual bool SetForegroundWindow(Hwnd hwnd) = 0;  // may be refused
  virtual Hwnd FocusWindow() = 0;  // control with the focus in this program, 0 when none
  virtual Hwnd DesktopWindow() = 0;
  virtual Hwnd NextWindow(Hwnd hwnd) = 0;  // next below in the stacking order, 0 at the end
  virtual bool IsWindow(Hwnd hwnd) = 0;
  virtual bool IsWindowVisible(Hwnd hwnd) = 0;
  virtual bool IsIconic(Hwnd hwnd) = 0;
  virtual bool HasCaption(Hwnd hwnd) = 0;  // any of the caption style bits
  virtual Rect WindowRect(Hwnd hwnd) = 0;
  virtual std::string ClassName(Hwnd hwnd) = 0;
  virtual ThreadId WindowThread(Hwnd hwnd) = 0;
  virtual ProcessId WindowProcess(Hwnd hwnd) = 0;  // 0 when unknown
  virtual void AttachThreadInput(ThreadId from, ThreadId to, bool attach) = 0;
  virtual void SetZOrder(Hwnd hwnd, ZPlace place) = 0;
  virtual void PlaceBehind(Hwnd hwnd, Hwnd above) = 0;  // directly below `above`
  virtual void SetOwner(Hwnd hwnd, Hwnd owner) = 0;
  virtual void ShowWindow(Hwnd hwnd, ShowCmd cmd) = 0;
  // Top-level windows in the platform's enumeration order; stop by returning false.
  virtual void EnumWindows(const std::function<bool(Hwnd)>& visit) = 0;
  // Sends a message and waits for the receiver, at most timeoutMs. False when not delivered.
  virtual bool SendMessageTimeout(Hwnd hwnd, Code msg, std::uint32_t wParam, std::uint32_t lParam,
                                  std::uint32_t timeoutMs) = 0;
  // Hands a command phrase to the instance owning hwnd. False when not delivered.
  virtual bool SendCommandPhrase(Hwnd hwnd, const std::string& phrase, std::uint32_t timeoutMs) = 0;
  virtual void DrawCaptionActive(Hwnd hwnd) = 0;  // WM_NCACTIVATE with 1

  // ---- processes
  virtual std::vector<ProcessEntry> Processes() = 0;  // snapshot order; empty on failure
  virtual std::string OwnExecutableName() = 0;        // this program's file name

  // ---- the single instance, one per user and desktop session
  // Claims it atomically; the claim lasts until this process ends. Asked again after Taken,
  // the claim goes to this process when the holder has ended meanwhile.
  virtual InstanceClaim ClaimSingleInstance() = 0;
  // The holder tells later starts which window takes the hand-off.
  virtual void PublishInstanceWindow(Hwnd hwnd) = 0;
  virtual Hwnd PublishedInstanceWindow() = 0;  // 0 until the holder has published one
  // Lets that process take the foreground, which a start by the user may pass on.
  virtual void GrantForeground(ProcessId pid) = 0;
  // The process runs with more rights than this one (Windows: a higher integrity level), so
  // the system keeps this one from driving its windows.
  virtual bool RunsWithMoreRights(ProcessId pid) = 0;

  // ---- keys
  virtual bool AsyncKeyDown(int vk) = 0;         // the key is held down now
  virtual HookHandle InstallKeyboardHook() = 0;  // events reach OnKeyboardHook; 0 on failure
  virtual void RemoveKeyboardHook(HookHandle hook) = 0;
  virtual std::intptr_t CallNextHook(HookHandle hook, int nCode, std::uint32_t wParam,
                                     const KeyEvent& ev) = 0;
  // Layout lookups with the Windows meanings (VkKeyScanA, MapVirtualKeyA).
  virtual std::int16_t VkKeyScan(char ch) = 0;
  virtual std::uint32_t MapVirtualKey(std::uint32_t code, std::uint32_t mode) = 0;
  // Injects the events in order as one batch that no other input comes between (SendInput).
  virtual InjectResult InjectKeys(std::span<const KeyInput> keys) = 0;
  // Changes whenever the layout the user types with changes; cheap enough for the hook.
  virtual std::uintptr_t KeyboardLayout() { return 0; }
  // The keys (up to places.size()) that type `ch` in the current layout; their count.
  virtual std::size_t LocateCharacter(char32_t ch, std::span<KeyPlace> places) {
    constexpr char32_t kLastAscii = 0x7E;
    constexpr unsigned kByte = 0xFF;
    constexpr unsigned kModBits = 7;
    if (ch > kLastAscii || places.empty()) {
      return 0;
    }
    const std::int16_t scan = VkKeyScan(static_cast<char>(ch));
    if (scan == -1) {
      return 0;
    }
    const auto bits = static_cast<std::uint16_t>(scan);
    places[0] = KeyPlace{bits & kByte, 0, static_cast<int>((bits >> 8U) & kModBits)};
    return 1;
  }
  // True when another program already holds this chord for itself (mods as KeyPlace's, and
  // 8 for the Super key).
  virtual bool ChordTakenElsewhere(const KeyPlace& /*key*/, int /*mods*/) { return false; }

  // ---- the search window (built from the design table)
  virtual Hwnd CreateSearchWindow(const WindowDesign& design) = 0;  // loaded, not shown
  virtual void ShowForm() = 0;                                      // show, not modal, no owner
  virtual void DestroySearchWindow() = 0;
  virtual Twips FormLeft() = 0;
  virtual Twips FormTop() = 0;
  virtual Twips FormWidth() = 0;
  virtual Twips FormHeight() = 0;
  virtual void SetFormTop(Twips top) = 0;
  virtual void MoveForm(Twips left, Twips top, Twips width, Twips height) = 0;
  virtual WindowState FormState() = 0;
  virtual void SetFormState(WindowState state) = 0;
  virtual bool FormVisible() = 0;
  virtual void FormToFront() = 0;  // top of the z-order (ZOrder 0)
  virtual Twips ScreenWidth() = 0;
  virtual Twips ScreenHeight() = 0;
  virtual int TwipsPerPixelY() = 0;

  // ---- the search window's controls
  virtual std::string Text(ControlRef c) = 0;  // text box text or caption
  virtual void SetText(ControlRef c, const std::string& text) = 0;
  // Positions and lengths in UTF-16 code units, as Qt's and Win32's text controls count them
  // (Utf16Length in app/utf8.h): a character outside the BMP takes two.
  virtual int SelStart(ControlRef c) = 0;
  virtual int SelLength(ControlRef c) = 0;
  virtual void SetSelection(ControlRef c, int start, int length) = 0;
  virtual int Value(ControlRef c) = 0;                 // option: 1 selected; check box: 0 or 1
  virtual void SetValue(ControlRef c, int value) = 0;  // raises OnClick as described there
  virtual bool Enabled(ControlRef c) = 0;
  virtual void SetEnabled(ControlRef c, bool enabled) = 0;
  virtual bool Visible(ControlRef c) = 0;
  virtual void SetVisible(ControlRef c, bool visible) = 0;
  virtual Colour ForeColor(ControlRef c) = 0;
  virtual void SetForeColor(ControlRef c, Colour colour) = 0;
  virtual Twips ControlTop(ControlRef c) = 0;
  virtual void SetControlTop(ControlRef c, Twips top) = 0;
  virtual bool SetTabStop(ControlRef c, bool on) = 0;  // false when it has no tab stop
  virtual bool SetFocus(ControlRef c) = 0;             // false when it cannot take the focus
  virtual std::optional<ControlRef> ActiveControl() = 0;
  virtual Hwnd ControlHwnd(ControlRef c) = 0;

  // ---- user-interface services
  virtual int MessageBox(const std::string& text, int style, const std::string& title) = 0;
  virtual void SetMousePointer(int pointer) = 0;
  virtual void Beep() = 0;
  // Opens an address or starts a program, like ShellExecute "open" with a normal window.
  // True once a program to open it has started (without waiting for it to end); false when
  // none could be started.
  virtual bool ShellOpen(const std::string& target) = 0;

  // ---- default browser: the sources, asked in this order; "" when missing
  virtual std::string BrowserUserCommand() = 0;    // per-user http command line
  virtual std::string BrowserChosenHandler() = 0;  // the user's chosen handler id
  virtual std::string BrowserHandlerCommand(const std::string& handler) = 0;
  virtual std::string ExecutableForDocument(const std::string& path) = 0;  // FindExecutable
  // True when command lines are Windows style (".exe" rules); otherwise the platform turns
  // a command line into an executable path itself with ExecutableFromCommand.
  virtual bool WindowsCommandLines() = 0;
  virtual std::string ExecutableFromCommand(const std::string& commandLine) = 0;

  // ---- files
  virtual std::string ExecutableFolder() = 0;  // ends with the path separator
  virtual std::string TempFolder() = 0;        // ends with the path separator
  // Creates an empty file, never opening one that exists already.
  virtual NewFile CreateNewFile(const std::string& path) = 0;
  virtual void RemoveFile(const std::string& path) = 0;
  virtual std::string UserConfigFolder() = 0;  // fallback home of the settings file
  virtual std::string Environment(const std::string& name) = 0;  // "" when unset

  // ---- tray icon and start at login
  // Shows the icon with its menu; false when no tray host can show it.
  virtual bool ShowTrayIcon(const TrayChecks& checks) = 0;
  virtual void RemoveTrayIcon() = 0;
  virtual void SetTrayChecks(const TrayChecks& checks) = 0;
  // Whether this program starts when the user signs in; setting returns false on failure.
  virtual bool StartAtLogin() = 0;
  virtual bool SetStartAtLogin(bool on) = 0;

  // ---- speech
  // nullptr when no service can be created; `error` then says why.
  virtual std::unique_ptr<SpeechService> CreateSpeechService(SpeechError& error) = 0;
  virtual std::string RecogniserProcessName() = 0;
  virtual std::string RecogniserDisplayName() = 0;
};

}  // namespace varnel

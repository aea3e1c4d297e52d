// An in-memory Platform for unit tests: windows, processes, keys, a clock and an event loop
// that only move when a test (or the program) moves them. Every call the program makes that
// changes something is recorded in an ordered log.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "domain/key_codes.h"
#include "domain/key_masks.h"
#include "domain/window_design.h"
#include "ports/platform.h"

namespace varnel {

// One recorded call or delivered event: an operation name, numeric arguments and a text.
struct FakeCall {
  std::string op;
  std::vector<std::int64_t> args;
  std::string text;
  std::string ToString() const;
};

struct FakeWindow {
  Hwnd hwnd = 0;
  ThreadId thread = 0;
  ProcessId pid = 0;
  std::string className = "AppWindow";
  bool caption = true;
  bool visible = true;
  bool minimised = false;
  Hwnd owner = 0;
  Rect rect{100, 100, 900, 700};
  // Whether a sent message is answered; false makes SendMessageTimeout time out.
  bool answers = true;
  // Receives messages sent to this window (the running instance of a second start).
  std::function<void(Code, std::uint32_t, std::uint32_t)> onMessage;
  std::function<void(const std::string&)> onCommandPhrase;
};

// What happened to one key event fed through the keyboard hook.
struct FakeKeyRecord {
  KeyEvent ev;
  bool hookCalled = false;
  bool swallowed = false;
};

struct FakeControl {
  const ControlDesign* design = nullptr;
  std::string text;
  int selStart = 0;
  int selLength = 0;
  int value = 0;
  bool enabled = true;
  bool visible = true;
  Colour fore = 0;
  int top = 0;  // pixels
  bool tabStop = false;
  Hwnd hwnd = 0;
};

class FakePlatform final : public Platform {
 public:
  struct Config {
    ProcessId ownPid = 4000;
    ThreadId ownThread = 4001;
    Hwnd firstHwnd = 0x1000;
  };
  FakePlatform();
  explicit FakePlatform(const Config& config);
  ~FakePlatform() override;

  // ======== test controls ========

  // -- log
  const std::vector<FakeCall>& Log() const { return log_; }
  std::vector<FakeCall> Calls(const std::string& op) const;  // entries with this op, in order
  std::size_t CountCalls(const std::string& op) const;
  std::vector<std::string> LogLines() const;  // every entry as text
  void ClearLog() { log_.clear(); }

  // -- windows
  // Adds a top-level window at the top of the ordinary band; hwnd 0 allocates one.
  Hwnd AddWindow(FakeWindow w);
  void CloseWindow(Hwnd hwnd);
  FakeWindow* Window(Hwnd hwnd);
  // Topmost first, like the platform's stacking order.
  const std::vector<Hwnd>& ZOrder() const { return zorder_; }
  // The user brings a window to the front (never refused).
  void UserActivate(Hwnd hwnd);
  Hwnd Desktop() const { return desktop_; }
  // Activations of a window not in front: this many are refused first.
  int refuseForeground = 0;
  // Deactivate is queued when the foreground leaves the search window.
  bool autoDeactivate = true;

  // -- processes
  ProcessId OwnPid() const { return cfg_.ownPid; }
  ThreadId OwnThread() const { return cfg_.ownThread; }
  void AddProcess(ProcessId pid, const std::string& exe);
  void RemoveProcess(ProcessId pid);
  void SetProcesses(std::vector<ProcessEntry> list) { processes_ = std::move(list); }
  std::string ownExecutableName = "varnel";

  // -- the single instance: claims are answered in this order, the last one repeats
  std::deque<InstanceClaim> instanceClaims{InstanceClaim::First};
  Hwnd publishedWindow = 0;
  std::set<ProcessId> moreRightsProcesses;
  // Runs at every Sleep: the world changing while the program waits.
  std::function<void()> onSleep;

  // -- clock, loop
  void SetTick(std::uint32_t tick) { tick_ = tick; }
  void AdvanceTime(std::uint32_t ms) { tick_ += ms; }
  // Runs pending events until none is left (and due timer ticks); returns how many ran.
  int RunPending();
  std::size_t PendingCount() const { return queue_.size(); }
  void QueueEvent(const std::string& what, std::function<void()> fn);
  void QueueTimerTick();
  bool autoTimer = true;  // the search window's timer ticks when its interval has passed
  bool Unloaded() const { return unloaded_; }
  std::uint32_t TimerInterval() const { return timerInterval_; }

  // -- keys
  void SetKeyDown(int vkCode, bool down);
  // Feeds one event to the installed hook now and, when passed on, to the foreground window.
  FakeKeyRecord FeedKey(const KeyEvent& ev);
  const std::vector<FakeKeyRecord>& KeyRecords() const { return keyRecords_; }
  std::vector<HookHandle> InstalledHooks() const { return {hooks_.begin(), hooks_.end()}; }
  bool hookInstallFails = false;
  std::intptr_t nextHookResult = 0;
  // Injected keys go through the hook and to the foreground window on the next loop.
  bool injectedKeysReachHook = true;
  // Injection takes only this many events of each batch (-1: all); refused ones are
  // reported as refused by a window with higher rights when injectElevated is set.
  int injectLimit = -1;
  bool injectElevated = false;
  // One injected event, recorded as "KeybdEvent" {vk, scan, flags}.
  void KeybdEvent(std::uint8_t vkCode, std::uint8_t scan, std::uint32_t flags);
  void SetKeyScan(char ch, std::int16_t result) { keyScanOverride_[ch] = result; }

  // -- the user: queue input events, delivered in order by DoEvents/RunPending
  void UserKeyDown(int vkCode);
  void UserKeyUp(int vkCode);
  // Presses vk with the given modifiers held (mask Shift 1, Ctrl 2, Alt 4) and releases all.
  void UserChord(int vkCode, int mask);
  void UserType(const std::string& text);
  void UserClick(ControlRef c);
  void UserMouseMove(ControlRef over);
  void UserDblClick();
  void UserMinimise();
  void UserClose();
  void UserDeactivate();

  // -- search window
  bool FormCreated() const { return formCreated_; }
  Hwnd SearchHwnd() const { return formHwnd_; }
  FakeControl* ControlAt(ControlRef c);
  int TabStopCount() const;
  // Selected index of an option group (Scope or DateRange); -1 when none.
  int SelectedOption(Control group) const;
  void SetScreenPixels(int width, int height);
  // Focused control as "name(index)", "" when none.
  std::string FocusName();
  std::string SelectedText(ControlRef c);

  // -- tray icon and start at login
  bool trayHost = false;  // a tray host is there to show the icon
  bool TrayShown() const { return trayShown_; }
  TrayChecks trayChecks;  // the menu's check marks as last shown
  bool startAtLogin = false;
  bool startAtLoginFails = false;  // SetStartAtLogin fails and changes nothing
  void UserChooseTray(TrayEntry entry);

  // -- message boxes: answers are used in order; kIdOk when none is left
  std::deque<int> messageBoxAnswers;
  std::function<void(const std::string& text)> onMessageBox;

  // -- browser, files, environment, speech
  std::string browserUserCommand, browserChosenHandler;
  std::map<std::string, std::string> browserHandlerCommands;
  std::string executableForDocument;
  bool launchesStart = true;  // false: ShellOpen finds no program that starts
  bool windowsCommandLines = true;
  std::function<std::string(const std::string&)> executableFromCommand;
  std::string executableFolder = "/nonexistent-varnel-exe/";
  std::string tempFolder;
  std::string userConfigFolder = "/nonexistent-varnel-config/";
  std::map<std::string, std::string> environment;
  std::function<std::unique_ptr<SpeechService>(SpeechError&)> speechFactory;
  std::string recogniserProcessName = "natspeak.exe";
  std::string recogniserDisplayName = "Dragon NaturallySpeaking";

  // ======== Platform ========
  void SetEventSink(PlatformEvents* sink) override { sink_ = sink; }

  std::uint32_t Milliseconds() override { return tick_; }
  void Sleep(std::uint32_t ms) override;
  void RunPendingEvents() override;
  void Post(Code code) override;
  void StartTimer(std::uint32_t intervalMs) override;
  int RunUntilClosed() override;

  Hwnd WindowInFront() override { return foreground_; }
  bool Activate(Hwnd hwnd, Lift lift) override;
  Hwnd FocusedWindow() override;
  Hwnd DesktopRoot() override { return desktop_; }
  Hwnd WindowBelow(Hwnd hwnd) override;
  bool WindowExists(Hwnd hwnd) override;
  bool WindowVisible(Hwnd hwnd) override;
  bool WindowMinimised(Hwnd hwnd) override;
  bool HasTitleBar(Hwnd hwnd) override;
  Rect WindowRect(Hwnd hwnd) override;
  std::string ClassName(Hwnd hwnd) override;
  ThreadId WindowThread(Hwnd hwnd) override;
  ProcessId WindowProcess(Hwnd hwnd) override;
  void PlaceBelow(Hwnd hwnd, Hwnd above) override;
  void SetOwner(Hwnd hwnd, Hwnd owner) override;
  void ChangeWindowState(Hwnd hwnd, ShowCmd cmd) override;
  void ForEachWindow(const std::function<bool(Hwnd)>& visit) override;
  bool SendPrivateMessage(Hwnd hwnd, Code msg, std::uint32_t wParam, std::uint32_t lParam,
                          std::uint32_t timeoutMs) override;
  bool SendCommandPhrase(Hwnd hwnd, const std::string& phrase, std::uint32_t timeoutMs) override;
  void DrawAsActive(Hwnd hwnd) override;

  std::vector<ProcessEntry> RunningProcesses() override { return processes_; }
  std::string OwnExecutableName() override { return ownExecutableName; }

  InstanceClaim ClaimSingleInstance() override;
  void PublishInstanceWindow(Hwnd hwnd) override;
  Hwnd PublishedInstanceWindow() override { return publishedWindow; }
  void GrantForeground(ProcessId pid) override;
  bool RunsWithMoreRights(ProcessId pid) override { return moreRightsProcesses.contains(pid); }

  bool KeyHeldNow(int vkCode) override;
  HookHandle InstallKeyHook() override;
  void RemoveKeyHook(HookHandle hook) override;
  std::intptr_t PassKeyOn(HookHandle hook, int nCode, std::uint32_t wParam,
                          const KeyEvent& ev) override;
  std::int16_t KeyForCharacter(char ch) override;
  std::uint32_t TranslateKeyCode(std::uint32_t code, std::uint32_t mode) override;
  InjectResult InjectKeys(std::span<const KeyInput> keys) override;

  Hwnd CreateSearchWindow(const WindowDesign& design) override;
  void ShowView() override;
  void DestroySearchWindow() override;
  Rect ViewFrame() override { return formFrame_; }
  void MoveView(const Rect& frame) override;
  void SetViewTop(int top) override;
  void Park() override;
  bool Parked() override { return formParked_; }
  WindowState ViewState() override { return formState_; }
  void SetViewState(WindowState state) override;
  bool ViewVisible() override { return formCreated_ && formVisible_; }
  void RaiseView() override;
  Rect WorkArea() override { return {0, 0, screenWidthPx_, screenHeightPx_}; }

  std::string Text(ControlRef c) override;
  void SetText(ControlRef c, const std::string& text) override;
  int SelStart(ControlRef c) override;
  int SelLength(ControlRef c) override;
  void SetSelection(ControlRef c, int start, int length) override;
  int Value(ControlRef c) override;
  void SetValue(ControlRef c, int value) override;
  bool Enabled(ControlRef c) override;
  void SetEnabled(ControlRef c, bool enabled) override;
  bool Visible(ControlRef c) override;
  void SetVisible(ControlRef c, bool visible) override;
  Colour TextColour(ControlRef c) override;
  void SetTextColour(ControlRef c, Colour colour) override;
  int ControlTop(ControlRef c) override;
  void SetControlTop(ControlRef c, int top) override;
  bool SetTabStop(ControlRef c, bool on) override;
  bool SetFocus(ControlRef c) override;
  std::optional<ControlRef> FocusedControl() override { return focus_; }
  Hwnd ControlWindow(ControlRef c) override;

  int ShowMessageBox(const std::string& text, int style, const std::string& title) override;
  void SetMousePointer(int pointer) override;
  void Beep() override;
  bool OpenAddress(const std::string& target) override;

  std::string BrowserUserCommand() override { return browserUserCommand; }
  std::string BrowserChosenHandler() override { return browserChosenHandler; }
  std::string BrowserHandlerCommand(const std::string& handler) override;
  std::string ExecutableForDocument(const std::string& path) override;
  bool WindowsCommandLines() override { return windowsCommandLines; }
  std::string ExecutableFromCommand(const std::string& commandLine) override;

  std::string ExecutableFolder() override { return executableFolder; }
  std::string TempFolder() override { return tempFolder; }
  NewFile CreateNewFile(const std::string& path) override;
  void RemoveFile(const std::string& path) override;
  std::string UserConfigFolder() override { return userConfigFolder; }
  std::string EnvironmentVariable(const std::string& name) override;

  bool ShowTrayIcon(const TrayChecks& checks) override;
  void RemoveTrayIcon() override;
  void SetTrayChecks(const TrayChecks& checks) override;
  bool StartAtLogin() override { return startAtLogin; }
  bool SetStartAtLogin(bool on) override;

  std::unique_ptr<SpeechService> CreateSpeechService(SpeechError& error) override;
  std::string RecogniserProcessName() override { return recogniserProcessName; }
  std::string RecogniserDisplayName() override { return recogniserDisplayName; }

  int mousePointer = kPointerDefault;

 private:
  struct Pending {
    std::string what;
    std::function<void()> fn;
  };
  void Record(std::string op, std::vector<std::int64_t> args = {}, std::string text = {});
  void RunOne();
  void QueueDueTimer();
  void Restack(Hwnd hwnd, std::optional<Hwnd> below);
  void ChangeForeground(Hwnd hwnd);
  Hwnd NewHwnd() { return nextHwnd_ += 4; }
  void SyncFormWindow();
  bool EffectiveVisible(const FakeControl& c);
  bool CanTakeFocus(const FakeControl& c);
  void SelectOption(ControlRef c, bool raiseClick);
  void DeliverKeyToForm(const KeyEvent& ev);
  void DeliverChar(int ch);
  int ModifierMask();
  void ClickNow(ControlRef c);

  Config cfg_;
  PlatformEvents* sink_ = nullptr;
  std::vector<FakeCall> log_;

  std::map<Hwnd, FakeWindow> windows_;
  std::vector<Hwnd> zorder_;
  Hwnd nextHwnd_;
  Hwnd desktop_;
  Hwnd foreground_ = 0;
  std::vector<ProcessEntry> processes_;

  std::uint32_t tick_ = 1'000'000;
  std::deque<Pending> queue_;
  std::uint32_t timerInterval_ = 0;
  std::uint32_t timerDue_ = 0;
  bool unloaded_ = false;

  std::set<int> keysDown_;
  std::set<HookHandle> hooks_;
  HookHandle nextHook_ = 0x500;
  std::vector<FakeKeyRecord> keyRecords_;
  std::map<char, std::int16_t> keyScanOverride_;

  bool trayShown_ = false;
  bool formCreated_ = false;
  bool formVisible_ = false;
  Hwnd formHwnd_ = 0;
  Rect formFrame_;
  bool formParked_ = false;
  WindowState formState_ = WindowState::Normal;
  std::map<std::pair<Control, int>, FakeControl> controls_;
  std::optional<ControlRef> focus_;
  int screenWidthPx_ = 1920, screenHeightPx_ = 1080;
};

// Name of a control as the logic knows it ("Terms", "Scope", ...).
const char* ControlName(Control id);

}  // namespace varnel

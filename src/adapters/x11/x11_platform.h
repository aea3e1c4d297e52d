// Varnel on the X11 desktop: Qt Widgets for the search window, xcb for windows, stacking,
// the key feed, key injection and the messages between instances.
#pragma once

#include <QAbstractNativeEventFilter>
#include <QMargins>
#include <QPointer>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "adapters/shared/browser_lookup.h"
#include "adapters/shared/monitor_places.h"
#include "ports/platform.h"

class QApplication;
class QScreen;
class QTimer;

namespace varnel {

class InstanceLock;
class SearchForm;
class TrayIcon;
class XDisplay;
class RecordHook;
class XTestInjector;
struct RecordedKey;

class X11Platform final : public Platform,
                          public BrowserSources,
                          private QAbstractNativeEventFilter {
 public:
  // Nothing connects to the display until a primitive needs it, so that commands that never
  // show a window also run without one.
  X11Platform(int& argc, char** argv);
  ~X11Platform() override;
  X11Platform(const X11Platform&) = delete;
  X11Platform& operator=(const X11Platform&) = delete;

  // The installed fonts that stand in for the design's, once the window exists.
  std::string FontReport() const;

  void SetEventSink(PlatformEvents* sink) override { sink_ = sink; }

  std::uint32_t Milliseconds() override;
  void Sleep(std::uint32_t ms) override;
  void RunPendingEvents() override;
  void Post(Code code) override;
  void StartTimer(std::uint32_t intervalMs) override;
  int RunUntilClosed() override;

  WindowId WindowInFront() override;
  bool Activate(WindowId hwnd, Lift lift) override;
  WindowId FocusedWindow() override;
  WindowId DesktopRoot() override;
  WindowId WindowBelow(WindowId hwnd) override;
  bool WindowExists(WindowId hwnd) override;
  bool WindowVisible(WindowId hwnd) override;
  bool WindowMinimised(WindowId hwnd) override;
  bool HasTitleBar(WindowId hwnd) override;
  Rect WindowRect(WindowId hwnd) override;
  std::string ClassName(WindowId hwnd) override;
  ThreadId WindowThread(WindowId hwnd) override;
  ProcessId WindowProcess(WindowId hwnd) override;
  void PlaceBelow(WindowId hwnd, WindowId above) override;
  void SetOwner(WindowId hwnd, WindowId owner) override;
  void ChangeWindowState(WindowId hwnd, WindowChange cmd) override;
  void ForEachWindow(const std::function<bool(WindowId)>& visit) override;
  bool SendPrivateMessage(WindowId hwnd, Code msg, std::uint32_t wParam, std::uint32_t lParam,
                          std::uint32_t timeoutMs) override;
  bool SendCommandPhrase(WindowId hwnd, const std::string& phrase,
                         std::uint32_t timeoutMs) override;
  void DrawAsActive(WindowId) override {}  // the window manager draws the frames

  std::vector<ProcessEntry> RunningProcesses() override;
  std::string OwnExecutableName() override;

  InstanceClaim ClaimSingleInstance() override;
  void PublishInstanceWindow(WindowId hwnd) override;
  WindowId PublishedInstanceWindow() override;
  void GrantForeground(ProcessId) override {}                    // no foreground lock to lift on X
  bool RunsWithMoreRights(ProcessId) override { return false; }  // any client may send to any

  bool KeyHeldNow(int vk) override;
  bool AltGrHeldNow() override;
  std::uintptr_t LayoutId() override;
  std::size_t LocateCharacter(char32_t ch, std::span<KeyPlace> places) override;
  bool ChordTakenElsewhere(const KeyPlace& key, int mods) override;
  HookHandle InstallKeyHook() override;
  void RemoveKeyHook(HookHandle hook) override;
  std::optional<KeyPlace> KeyToType(char ch) override;
  std::uint32_t ScanCodeOf(std::uint32_t vk) override;
  char32_t CharacterOf(std::uint32_t vk) override;
  InjectResult InjectKeys(std::span<const KeyInput> keys) override;

  WindowId CreateSearchWindow(const WindowDesign& design) override;
  void ShowView() override;
  void DestroySearchWindow() override;
  Rect ViewFrame() override;
  void MoveView(const Rect& frame) override;
  void SetViewTop(int top) override;
  void Park() override;
  bool Parked() override;
  WindowState ViewState() override;
  void SetViewState(WindowState state) override;
  bool ViewVisible() override;
  void RaiseView() override;
  Rect WorkArea() override;

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
  std::optional<ControlRef> FocusedControl() override;
  WindowId ControlWindow(ControlRef c) override;

  MessageAnswer ShowMessageBox(const std::string& text, MessageStyle style,
                               const std::string& title) override;
  void SetMousePointer(Pointer pointer) override;
  void Beep() override;
  bool OpenAddress(const std::string& target) override;

  std::string BrowserUserCommand() override;
  std::string BrowserChosenHandler() override;
  std::string BrowserHandlerCommand(const std::string& handler) override;
  std::string ExecutableForDocument(const std::string& path) override;
  std::string DefaultBrowser() override {
    return FindDefaultBrowser(*this, *this, CommandLineRules::Posix);
  }
  std::string ExecutableFromCommand(const std::string& commandLine) override;

  std::string ExecutableFolder() override;
  std::string TempFolder() override;
  NewFile CreateNewFile(const std::string& path) override;
  void RemoveFile(const std::string& path) override;
  std::string UserConfigFolder() override;
  std::string EnvironmentVariable(const std::string& name) override;

  bool ShowTrayIcon(const TrayState& state) override;
  void RemoveTrayIcon() override;
  void SetTrayState(const TrayState& state) override;
  bool StartAtLogin() override;
  bool SetStartAtLogin(bool on) override;

  std::unique_ptr<SpeechService> CreateSpeechService(SpeechError& error) override;
  std::string RecogniserProcessName() override;
  std::string RecogniserDisplayName() override;

 private:
  class Watcher;

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
  QMargins FormMargins(const std::array<std::uint32_t, 4>& extents) const;
  void OnFormFrameChanged();
  // The monitor of the application in front; without one, the window's own when shown, the
  // one it was last shown on, the pointer's, the primary one.
  QScreen* ScreenInFront();
  // The monitor the window's place is measured from: the one it is shown on, once shown.
  QScreen* MeasuredOn();
  void RememberPlace();  // where the window is shown, or dragged, on its monitor
  // In place of the options hint until the next summons, the whole advice in its tooltip.
  void ShowKeysNotice(const char* notice, const char* advice);
  QApplication& App();
  XDisplay* X();
  XTestInjector* Injector();
  int GroupInForce();  // the keyboard map's group keys are read and typed in
  WindowId FormHwnd() const;
  bool IsPseudo(WindowId h) const { return (h & 0x80000000U) != 0; }
  std::uint32_t VkOfKeycode(std::uint32_t keycode);
  void OnRecordedKey(const RecordedKey& key);
  InstanceLock& Lock();
  // Another client destroyed the search window: the program ends as if it had been closed.
  void OnFormDestroyed();

  int& argc_;
  char** argv_;
  PlatformEvents* sink_ = nullptr;
  std::unique_ptr<QApplication> app_;
  std::unique_ptr<XDisplay> x_;
  bool xTried_ = false;
  std::unique_ptr<XTestInjector> injector_;
  std::unique_ptr<SearchForm> form_;
  std::unique_ptr<QTimer> timer_;
  std::unique_ptr<RecordHook> record_;
  std::unique_ptr<Watcher> watcher_;
  std::unique_ptr<InstanceLock> lock_;
  bool formDestroyed_ = false;
  std::unique_ptr<TrayIcon> tray_;
  std::vector<unsigned long> parkedStacking_;  // the order when the window was last parked
  QPointer<QScreen> screen_;                   // the window's place is measured from it
  MonitorPlaces places_;
  std::array<bool, 256> KeysDownNow();
  std::array<bool, 256> keyDown_{};           // by X keycode, from the recorded events
  std::array<std::uint16_t, 256> vkCache_{};  // X keycode -> vk + 1, 0 = not looked up
  std::uint32_t vkCacheGeneration_ = 0;       // the keyboard map vkCache_ was read from
  int group_ = 0;                             // ... and the group in force then
  std::optional<int> keyGroup_;               // the group of the key being handled
  static constexpr int kBaseLevel = 0;        // a key's levels: plain and with Shift
  static constexpr int kShiftLevel = 1;
  static constexpr int kGroupBits = 2;  // XKB has four groups
  int GroupColumn(int level) const;     // a level's column in the core map
  HookHandle installedHook_ = 0;
  HookHandle nextHook_ = 0;
  bool waitCursor_ = false;
  bool loopRunning_ = false;
};

}  // namespace varnel

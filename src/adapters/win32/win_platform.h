// Platform on Win32: every call of the program's platform interface made with the system's
// own functions, text converted to UTF-16 at the boundary.
#pragma once

#include <windows.h>

#include <atomic>

#include "adapters/shared/browser_lookup.h"
#include "adapters/win32/hook_thread.h"
#include "adapters/win32/instance_mutex.h"
#include "adapters/win32/search_form.h"
#include "adapters/win32/tray_icon.h"
#include "ports/platform.h"

namespace varnel::win {

class WinPlatform final : public Platform, public BrowserSources {
 public:
  WinPlatform();
  WinPlatform(const WinPlatform&) = delete;
  WinPlatform& operator=(const WinPlatform&) = delete;
  ~WinPlatform() override;

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
  void DrawAsActive(WindowId hwnd) override;

  std::vector<ProcessEntry> RunningProcesses() override;
  std::string OwnExecutableName() override;

  InstanceClaim ClaimSingleInstance() override { return instance_.Claim(); }
  void PublishInstanceWindow(WindowId hwnd) override { instance_.Publish(hwnd); }
  WindowId PublishedInstanceWindow() override { return instance_.Published(); }
  void GrantForeground(ProcessId pid) override;
  bool RunsWithMoreRights(ProcessId pid) override;

  bool KeyHeldNow(int vk) override;
  bool AltGrHeldNow() override;
  HookHandle InstallKeyHook() override;
  void RemoveKeyHook(HookHandle hook) override;
  std::optional<KeyPlace> KeyToType(char ch) override;
  std::uintptr_t LayoutId() override;
  std::size_t LocateCharacter(char32_t ch, std::span<KeyPlace> places) override;
  bool ChordTakenElsewhere(const KeyPlace& key, int mods) override;
  std::uint32_t ScanCodeOf(std::uint32_t vk) override;
  char32_t CharacterOf(std::uint32_t vk) override;
  InjectResult InjectKeys(std::span<const KeyInput> keys) override;

  WindowId CreateSearchWindow(const WindowDesign& design) override;
  void ShowView() override;
  void DestroySearchWindow() override;
  Rect ViewFrame() override { return form_.Frame(); }
  void MoveView(const Rect& frame) override { form_.Move(frame); }
  void SetViewTop(int top) override { form_.SetTop(top); }
  void Park() override { form_.Park(); }
  bool Parked() override { return form_.Parked(); }
  WindowState ViewState() override { return form_.State(); }
  void SetViewState(WindowState state) override { form_.SetState(state); }
  bool ViewVisible() override;
  void RaiseView() override;
  Rect WorkArea() override { return form_.WorkArea(); }

  std::string Text(ControlRef c) override { return form_.Text(c); }
  void SetText(ControlRef c, const std::string& text) override { form_.SetText(c, text); }
  int SelStart(ControlRef c) override { return form_.SelStart(c); }
  int SelLength(ControlRef c) override { return form_.SelLength(c); }
  void SetSelection(ControlRef c, int start, int length) override {
    form_.SetSelection(c, start, length);
  }
  int Value(ControlRef c) override { return form_.Value(c); }
  void SetValue(ControlRef c, int value) override { form_.SetValue(c, value); }
  bool Enabled(ControlRef c) override { return form_.Enabled(c); }
  void SetEnabled(ControlRef c, bool enabled) override { form_.SetEnabled(c, enabled); }
  bool Visible(ControlRef c) override { return form_.Visible(c); }
  void SetVisible(ControlRef c, bool visible) override { form_.SetVisible(c, visible); }
  Colour TextColour(ControlRef c) override { return form_.ForeColor(c); }
  void SetTextColour(ControlRef c, Colour colour) override { form_.SetForeColor(c, colour); }
  int ControlTop(ControlRef c) override { return form_.ControlTop(c); }
  void SetControlTop(ControlRef c, int top) override { form_.SetControlTop(c, top); }
  bool SetTabStop(ControlRef c, bool on) override { return form_.SetTabStop(c, on); }
  bool SetFocus(ControlRef c) override { return form_.SetFocus(c); }
  std::optional<ControlRef> FocusedControl() override { return form_.ActiveControl(); }
  WindowId ControlWindow(ControlRef c) override;

  MessageAnswer ShowMessageBox(const std::string& text, MessageStyle style,
                               const std::string& title) override;
  void SetMousePointer(Pointer pointer) override { form_.SetPointer(pointer); }
  void Beep() override;
  bool OpenAddress(const std::string& target) override;

  std::string BrowserUserCommand() override;
  std::string BrowserChosenHandler() override;
  std::string BrowserHandlerCommand(const std::string& handler) override;
  std::string ExecutableForDocument(const std::string& path) override;
  std::string DefaultBrowser() override {
    return FindDefaultBrowser(*this, *this, CommandLineRules::Windows);
  }
  std::string ExecutableFromCommand(const std::string& commandLine) override;

  std::string ExecutableFolder() override;
  std::string TempFolder() override;
  NewFile CreateNewFile(const std::string& path) override;
  void RemoveFile(const std::string& path) override;
  std::string UserConfigFolder() override;
  std::string EnvironmentVariable(const std::string& name) override;

  bool ShowTrayIcon(const TrayState& state) override { return tray_.Show(state); }
  void RemoveTrayIcon() override { tray_.Remove(); }
  void SetTrayState(const TrayState& state) override { tray_.SetState(state); }
  bool StartAtLogin() override;
  bool SetStartAtLogin(bool on) override;
  // The tray icon's window, for the checks under Wine.
  HWND TrayWindow() const { return tray_.Window(); }

  std::unique_ptr<SpeechService> CreateSpeechService(SpeechError& error) override;
  std::string RecogniserProcessName() override { return "natspeak.exe"; }
  std::string RecogniserDisplayName() override { return "Dragon NaturallySpeaking\xC2\xAE"; }

 private:
  static LRESULT CALLBACK HookProc(int nCode, WPARAM wParam, LPARAM lParam);
  // Runs one retrieved message through key preview and dispatch; false on WM_QUIT.
  bool Process(MSG& msg);

  PlatformEvents* sink_ = nullptr;
  InstanceMutex instance_;
  SearchForm form_{sink_};
  // Kept for the program's life: Quit, chosen from its menu, takes the icon down from inside
  // the icon's own window procedure.
  TrayIcon tray_{[this](TrayEntry entry) {
    if (sink_ != nullptr) sink_->OnTrayEntry(entry);
  }};
  const DWORD uiThread_;
  std::atomic<HWND> codeTarget_{nullptr};  // the search window, where posted codes go
  HookThread hookThread_;
  bool quit_ = false;
  int exitCode_ = 0;
  UINT stallMessage_ = 0;          // test-only: a message that keeps this thread busy for wParam ms
  std::uint32_t injectBatch_ = 0;  // numbers the batches of synthesised keys
};

}  // namespace varnel::win

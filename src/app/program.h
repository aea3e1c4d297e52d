// The program: its state, its subsystems and the routing of platform events to them.
#pragma once

#include <memory>
#include <string>

#include "app/program_state.h"
#include "app/settings.h"
#include "app/startup.h"
#include "platform/platform.h"
#include "search/browser.h"
#include "search/search_actions.h"
#include "ui/key_navigation.h"
#include "ui/search_window.h"
#include "ui/summoning.h"
#include "ui/tray_menu.h"
#include "voice/send_key.h"
#include "voice/voice_activation.h"
#include "voice/vox_form.h"
#include "winsys/foreground_tracker.h"
#include "winsys/keyboard_hook.h"
#include "winsys/window_utils.h"

namespace varnel {

class Program final : public PlatformEvents {
 public:
  explicit Program(Platform& platform);
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  ~Program();

  // Runs Main and then the event loop; returns the exit status.
  int Run();

  Platform& platform;
  ProgramState state;

  Settings settings{state};
  Startup startup{*this};
  SearchWindow window{*this};
  Summoning summoning{*this};
  KeyNavigation keys{*this};
  SearchActions search{*this};
  Browser browser{*this};
  WindowUtils winutil{*this};
  KeyboardHook hook{*this};
  ForegroundTracker tracker{*this};
  VoiceActivation voice{*this};
  TrayMenu tray{*this};
  std::unique_ptr<KeySender> sendKey;
  // May exist unstarted to run command phrases.
  std::unique_ptr<VoiceCommandSession> vox;

  // Starts the voice command session (it registers the commands) unless it runs already.
  void StartVoiceCommands();
  // Stops the voice command session (it removes the commands) when it runs.
  void StopVoiceCommands();

  // True while the search window is on screen (its Top above 0).
  bool OnScreen();

  // PlatformEvents
  void OnDeferredCode(Code code) override;
  void OnWindowMessage(Hwnd hwnd, Code msg, std::uint32_t wParam, std::uint32_t lParam) override;
  void OnCommandPhrase(const std::string& phrase) override;
  void OnTimer() override;
  std::intptr_t OnKeyboardHook(int nCode, std::uint32_t wParam, const KeyEvent& ev) override;
  void OnResize() override;
  void OnDeactivate() override;
  void OnUnload() override;
  bool OnCloseRequest() override;
  void OnTrayEntry(TrayEntry entry) override;
  void OnKeyPress(int& ch) override;
  bool OnKeyDown(int key, int mask, bool repeat) override;
  bool OnAltCharacter(char32_t ch) override;
  void OnKeyUp(int key, int mask) override;
  void OnMouseMove(ControlRef over) override;
  void OnDblClick() override;
  void OnClick(ControlRef control) override;
};

}  // namespace varnel

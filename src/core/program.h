// The program: its state, its subsystems and the routing of platform events to them.
#pragma once

#include <memory>
#include <string>

#include "core/browser.h"
#include "core/foreground_tracker.h"
#include "core/key_navigation.h"
#include "core/key_sender.h"
#include "core/keyboard_hook.h"
#include "core/program_state.h"
#include "core/search_actions.h"
#include "core/search_window.h"
#include "core/settings.h"
#include "core/startup.h"
#include "core/summoning.h"
#include "core/tray_menu.h"
#include "core/voice_activation.h"
#include "core/voice_command_session.h"
#include "core/window_utils.h"
#include "ports/platform.h"

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
  void OnKeyDown(int key, int mask) override;
  void OnKeyUp(int key, int mask) override;
  void OnMouseMove(ControlRef over) override;
  void OnDblClick() override;
  void OnClick(ControlRef control) override;
};

}  // namespace varnel

// The program's wiring: it builds the parts, hands each the ports and parts it works with,
// and routes the system's events to them.
#pragma once

#include <memory>
#include <string>

#include "core/browser.h"
#include "core/foreground_tracker.h"
#include "core/key_navigation.h"
#include "core/key_sender.h"
#include "core/keyboard_hook.h"
#include "core/messages.h"
#include "core/search_actions.h"
#include "core/search_window.h"
#include "core/settings.h"
#include "core/startup.h"
#include "core/summoning.h"
#include "core/tray_menu.h"
#include "core/voice_activation.h"
#include "core/voice_command_session.h"
#include "core/window_utils.h"
#include "ports/events.h"
#include "ports/ports.h"

namespace varnel {

class Program final : public PlatformEvents {
 public:
  explicit Program(const Ports& ports);
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  ~Program();

  // Runs Main and then the event loop; returns the exit status.
  int Run();

  Ports ports;

  // The parts, each given the ports and the other parts it works with. They refer to each
  // other, so each is built before any is used: constructors only keep the references.
  Settings settings;
  Startup startup{ports.loop,    ports.desktop, ports.instances, ports.processes, ports.paths,
                  ports.notices, hook,          settings,        summoning,       voice,
                  window};
  SearchWindow window{ports.loop, ports.viewWindow, ports.controls, ports.notices, hook, tray,
                      voice,      winutil};
  Summoning summoning{ports.loop, ports.desktop, ports.viewWindow, ports.controls, hook,    keys,
                      settings,   tracker,       window,           winutil,        messages};
  Messages messages{ports.loop, ports.controls, ports.notices, settings, window};
  KeyNavigation keys{ports.controls, search, winutil, *this};
  SearchActions search{ports.loop, ports.controls, ports.launcher, browser, hook,
                       settings,   summoning,      messages,       window,  winutil};
  Browser browser{ports.notices, ports.launcher, messages, winutil};
  WindowUtils winutil{ports.loop,     ports.desktop, ports.processes, ports.viewWindow,
                      ports.controls, hook,          window};
  KeyboardHook hook{ports.loop, ports.desktop, ports.hotkeys, ports.layout, window};
  ForegroundTracker tracker{ports.desktop, ports.viewWindow, ports.controls, hook,
                            voice,         window,           winutil};
  VoiceActivation voice{ports.viewWindow, ports.controls, ports.speech, settings,
                        messages,         window,         winutil,      tray};
  TrayMenu tray{ports.loop, ports.notices, ports.tray, voice, window, winutil, messages};

  // PlatformEvents
  void OnDeferredCode(Code code) override;
  void OnWindowMessage(WindowId target, Code message, std::uint32_t first,
                       std::uint32_t second) override;
  void OnCommandPhrase(const std::string& phrase) override;
  void OnTimer() override;
  KeyVerdict OnGlobalKey(const KeyEvent& ev) override;
  void OnViewResized() override;
  void OnDeactivate() override;
  void OnViewClosed() override;
  bool OnCloseRequest() override;
  void OnTrayEntry(TrayEntry entry) override;
  void OnCharacterTyped(int& ch) override;
  bool OnKeyDown(int key, int mask, bool repeat) override;
  bool OnAltCharacter(char32_t ch) override;
  void OnKeyUp(int key, int mask) override;
  void OnPointerOver(ControlRef over) override;
  void OnBackgroundDoubleClick() override;
  void OnClick(ControlRef control) override;
};

}  // namespace varnel

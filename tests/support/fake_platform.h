// Every port's fake, wired together, for behaviour tests: one log, one event loop, one
// desktop the search window lives on. It hands the program its Ports and keeps what
// the user does across ports (keys through the hook to the window in front, clicks).
#pragma once

#include <string>

#include "domain/key_codes.h"
#include "domain/key_masks.h"
#include "ports/ports.h"
#include "support/fake_desktop.h"
#include "support/fake_event_loop.h"
#include "support/fake_form_controls.h"
#include "support/fake_hotkeys.h"
#include "support/fake_instances.h"
#include "support/fake_key_injector.h"
#include "support/fake_keyboard_layout.h"
#include "support/fake_launcher.h"
#include "support/fake_log.h"
#include "support/fake_processes.h"
#include "support/fake_speech.h"
#include "support/fake_system_paths.h"
#include "support/fake_tray.h"
#include "support/fake_user_notices.h"
#include "support/fake_view_input.h"
#include "support/fake_view_window.h"

namespace varnel {

class FakePlatform {
 public:
  struct Config {
    ProcessId ownPid = 4000;
    ThreadId ownThread = 4001;
    WindowId firstHwnd = 0x1000;  // the desktop's own; later windows count up from it
  };
  FakePlatform() : FakePlatform(Config{}) {}
  explicit FakePlatform(const Config& settings);
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;

  Ports AllPorts();
  ProcessId OwnPid() const { return config.ownPid; }
  ThreadId OwnThread() const { return config.ownThread; }

  // The user: input queued on the loop, delivered in order when it runs.
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

  const Config config;
  // Each fake is built after the ones it takes.
  FakeLog log;
  FakeEventLoop loop{log};
  FakeDesktop desktop{log, loop, config.firstHwnd};
  FakeInstances instances{log, loop, desktop};
  FakeProcesses processes{config.ownPid};
  FakeHotkeys hotkeys{log, loop, desktop};
  FakeKeyboardLayout layout;
  FakeKeyInjector injector{log, loop, hotkeys};
  FakeViewWindow viewWindow{log, loop, desktop, {config.ownPid, config.ownThread}};
  FakeFormControls controls{log, loop, desktop, viewWindow};
  FakeUserNotices notices{log};
  FakeViewInput viewInput{loop, desktop, hotkeys, layout, viewWindow, controls};
  FakeLauncher launcher{log};
  FakeSystemPaths paths;
  FakeTray tray{log, loop};
  FakeSpeechServices speech{log};
};

}  // namespace varnel

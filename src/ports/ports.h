// The ports the core is given: one reference per port. A system's adapters hand them out,
// the apps wire them, and the tests give one small fake for each.
//
// Everything is called on the single user-interface thread, except the keyboard hook's calls
// (PlatformEvents::OnGlobalKey and what it uses). Text is UTF-8.
#pragma once

#include "ports/desktop.h"
#include "ports/event_loop.h"
#include "ports/form_controls.h"
#include "ports/hotkeys.h"
#include "ports/instances.h"
#include "ports/key_injector.h"
#include "ports/keyboard_layout.h"
#include "ports/launcher.h"
#include "ports/processes.h"
#include "ports/speech.h"
#include "ports/system_paths.h"
#include "ports/tray.h"
#include "ports/user_notices.h"
#include "ports/view_window.h"

namespace varnel {

struct Ports {
  EventLoop& loop;
  Desktop& desktop;
  Instances& instances;
  Processes& processes;
  Hotkeys& hotkeys;
  KeyboardLayout& layout;
  KeyInjector& injector;
  // The search window's three faces, which one object or several may provide.
  ViewWindow& viewWindow;
  FormControls& controls;
  UserNotices& notices;
  Launcher& launcher;
  SystemPaths& paths;
  Tray& tray;
  SpeechServices& speech;
};

}  // namespace varnel

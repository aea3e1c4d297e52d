// Every port together: what one system's adapters provide. The core's parts take only the
// ports they use; the program's wiring and the tests' fake hold the whole.
//
// Everything is called on the single user-interface thread, except the keyboard hook's calls
// (PlatformEvents::OnKeyboardHook and what it uses). Text is UTF-8.
#pragma once

#include "ports/desktop.h"
#include "ports/event_loop.h"
#include "ports/events.h"
#include "ports/hotkeys.h"
#include "ports/instances.h"
#include "ports/key_injector.h"
#include "ports/keyboard_layout.h"
#include "ports/launcher.h"
#include "ports/processes.h"
#include "ports/search_view.h"
#include "ports/speech.h"
#include "ports/system_paths.h"
#include "ports/tray.h"

namespace varnel {

class Platform : public EventLoop,
                 public Desktop,
                 public Instances,
                 public Processes,
                 public Hotkeys,
                 public KeyboardLayout,
                 public KeyInjector,
                 public SearchView,
                 public Launcher,
                 public SystemPaths,
                 public Tray,
                 public SpeechServices {
 public:
  Platform() = default;
  Platform(const Platform&) = delete;
  Platform& operator=(const Platform&) = delete;
  virtual ~Platform() = default;

  virtual void SetEventSink(PlatformEvents* sink) = 0;
};

}  // namespace varnel

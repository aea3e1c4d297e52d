// Every port in one class: what one system's adapters provide. The core never sees it; it
// takes the Ports that AllPorts hands out.
#pragma once

#include "ports/events.h"
#include "ports/ports.h"
#include "ports/search_view.h"

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

  Ports AllPorts() {
    return {*this, *this, *this, *this, *this, *this, *this,
            *this, *this, *this, *this, *this, *this, *this};
  }
};

}  // namespace varnel

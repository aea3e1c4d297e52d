#include "support/fake_platform.h"

#include "support/fake_control_name.h"

namespace varnel {

FakePlatform::FakePlatform(const Config& settings) : config(settings) {}

Ports FakePlatform::AllPorts() {
  return {loop,       desktop,  instances, processes, hotkeys, layout, injector,
          viewWindow, controls, notices,   launcher,  paths,   tray,   speech};
}

void FakePlatform::UserKeyDown(int vkCode) {
  KeyEvent ev;
  ev.vkCode = static_cast<std::uint32_t>(vkCode);
  ev.scanCode = layout.ScanCodeOf(ev.vkCode);
  loop.QueueEvent("KeyDown " + std::to_string(vkCode), [this, ev]() mutable {
    ev.time = loop.Milliseconds();
    hotkeys.FeedKey(ev);
  });
}

void FakePlatform::UserKeyUp(int vkCode) {
  KeyEvent ev;
  ev.vkCode = static_cast<std::uint32_t>(vkCode);
  ev.scanCode = layout.ScanCodeOf(ev.vkCode);
  ev.up = true;
  loop.QueueEvent("KeyUp " + std::to_string(vkCode), [this, ev]() mutable {
    ev.time = loop.Milliseconds();
    hotkeys.FeedKey(ev);
  });
}

void FakePlatform::UserChord(int vkCode, int mask) {
  if ((mask & kMaskCtrl) != 0) {
    UserKeyDown(vk::Control);
  }
  if ((mask & kMaskAlt) != 0) {
    UserKeyDown(vk::Alt);
  }
  if ((mask & kMaskShift) != 0) {
    UserKeyDown(vk::Shift);
  }
  UserKeyDown(vkCode);
  UserKeyUp(vkCode);
  if ((mask & kMaskShift) != 0) {
    UserKeyUp(vk::Shift);
  }
  if ((mask & kMaskAlt) != 0) {
    UserKeyUp(vk::Alt);
  }
  if ((mask & kMaskCtrl) != 0) {
    UserKeyUp(vk::Control);
  }
}

void FakePlatform::UserType(const std::string& text) {
  for (char ch : text) {
    const std::optional<KeyPlace> key = layout.KeyToType(ch);
    if (!key) {
      continue;
    }
    UserChord(static_cast<int>(key->vk), key->mods);
  }
}

void FakePlatform::UserClick(ControlRef c) {
  loop.QueueEvent(std::string("Click ") + ControlName(c.id), [this, c] { viewInput.Click(c); });
}

void FakePlatform::UserMouseMove(ControlRef over) {
  loop.QueueEvent(std::string("MouseMove ") + ControlName(over.id),
                  [this, over] { viewWindow.MouseMove(over); });
}

void FakePlatform::UserDblClick() {
  loop.QueueEvent("DblClick", [this] { viewWindow.DoubleClick(); });
}

void FakePlatform::UserMinimise() {
  loop.QueueEvent("Minimise", [this] { viewWindow.Minimise(); });
}

void FakePlatform::UserClose() {
  loop.QueueEvent("Close", [this] { viewWindow.Close(); });
}

void FakePlatform::UserDeactivate() {
  loop.QueueEvent("OnDeactivate", [this] { viewWindow.Deactivate(); });
}

}  // namespace varnel

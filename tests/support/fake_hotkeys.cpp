#include "support/fake_hotkeys.h"

namespace varnel {

void FakeHotkeys::SetKeyDown(int vkCode, bool down) {
  if (down) {
    keysDown_.insert(vkCode);
  } else {
    keysDown_.erase(vkCode);
  }
}

HookHandle FakeHotkeys::InstallKeyHook() {
  const HookHandle h = hookInstallFails ? 0 : ++nextHook_;
  log_.Record("InstallKeyHook", {static_cast<std::int64_t>(h)});
  if (h != 0) {
    hooks_.insert(h);
  }
  return h;
}

void FakeHotkeys::RemoveKeyHook(HookHandle hook) {
  log_.Record("RemoveKeyHook", {static_cast<std::int64_t>(hook)});
  hooks_.erase(hook);
}

FakeKeyRecord FakeHotkeys::FeedKey(const KeyEvent& ev) {
  FakeKeyRecord rec;
  rec.ev = ev;
  const bool up = ev.up;
  if (!hooks_.empty() && loop_.Sink() != nullptr) {
    rec.hookCalled = true;
    rec.swallowed = loop_.Sink()->OnGlobalKey(ev) == KeyVerdict::Swallow;
  }
  keyRecords_.push_back(rec);
  if (rec.swallowed) {
    return rec;
  }
  // The key state changes after the low-level hook has seen the event.
  SetKeyDown(static_cast<int>(ev.vkCode), !up);
  if (FakeWindow* w = desktop_.Window(desktop_.WindowInFront()); w != nullptr && w->onKey) {
    w->onKey(ev);
  }
  return rec;
}

}  // namespace varnel

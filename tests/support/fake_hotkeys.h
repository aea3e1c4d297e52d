// The global key hook and the keys held down. A key fed in goes through the installed hook
// first and, when passed on, to the window in front.
#pragma once

#include <cstdint>
#include <set>
#include <vector>

#include "ports/hotkeys.h"
#include "support/fake_desktop.h"
#include "support/fake_event_loop.h"
#include "support/fake_log.h"

namespace varnel {

// What happened to one key event fed through the keyboard hook.
struct FakeKeyRecord {
  KeyEvent ev;
  bool hookCalled = false;
  bool swallowed = false;
};

class FakeHotkeys final : public Hotkeys {
 public:
  FakeHotkeys(FakeLog& log, FakeEventLoop& loop, FakeDesktop& desktop)
      : log_(log), loop_(loop), desktop_(desktop) {}

  void SetKeyDown(int vkCode, bool down);
  // Feeds one event to the installed hook now and, when passed on, to the window in front.
  FakeKeyRecord FeedKey(const KeyEvent& ev);
  const std::vector<FakeKeyRecord>& KeyRecords() const { return keyRecords_; }
  std::vector<HookHandle> InstalledHooks() const { return {hooks_.begin(), hooks_.end()}; }
  bool hookInstallFails = false;
  // A layout whose right Alt is a plain Alt (US) rather than AltGr (German).
  bool rightAltIsPlainAlt = false;

  bool KeyHeldNow(int vkCode) override { return keysDown_.contains(vkCode); }
  bool AltGrHeldNow() override { return !rightAltIsPlainAlt && KeyHeldNow(vk::RightAlt); }
  HookHandle InstallKeyHook() override;
  void RemoveKeyHook(HookHandle hook) override;

 private:
  static constexpr HookHandle kFirstHook = 0x500;
  FakeLog& log_;
  FakeEventLoop& loop_;
  FakeDesktop& desktop_;
  std::set<int> keysDown_;
  std::set<HookHandle> hooks_;
  HookHandle nextHook_ = kFirstHook;
  std::vector<FakeKeyRecord> keyRecords_;
};

}  // namespace varnel

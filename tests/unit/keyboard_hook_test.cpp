#include "core/keyboard_hook.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/program.h"
#include "domain/codes.h"
#include "domain/window_design.h"
#include "support/fake_platform.h"

namespace varnel {
namespace {

struct HookDesk {
  FakePlatform pf;
  Program p{pf.AllPorts()};
  WindowId box = 0;
  WindowId app = 0;

  HookDesk() {
    FakeWindow w;
    w.thread = 77;
    app = pf.desktop.AddWindow(w);
    box = pf.viewWindow.CreateSearchWindow(SearchWindowDesign());
    p.window.handle = box;
    p.window.loaded = true;
    p.hook.HookKeyboard();
  }
  void Hold(int mask) {
    pf.hotkeys.SetKeyDown(vk::Shift, (mask & kMaskShift) != 0);
    pf.hotkeys.SetKeyDown(vk::Control, (mask & kMaskCtrl) != 0);
    pf.hotkeys.SetKeyDown(vk::Alt, (mask & kMaskAlt) != 0);
  }
  KeyVerdict Key(int vkCode, bool up = false, int latched = 0) {
    KeyEvent ev;
    ev.vkCode = static_cast<std::uint32_t>(vkCode);
    ev.up = up;
    ev.latchedMask = latched;
    return p.hook.Judge(ev);
  }
  std::vector<std::int64_t> Posted() const {
    std::vector<std::int64_t> out;
    for (const FakeCall& c : pf.log.Calls("Post")) {
      out.push_back(c.args[0]);
    }
    return out;
  }
};

TEST(KeyboardHookDecision, Table) {
  struct Row {
    const char* name;
    int vk;
    int mask;
    bool boxInFront;
    bool swallowed;
    bool keyboard;
    std::vector<std::int64_t> posted;
  };
  const std::int64_t show = kSummonMessage;
  const std::int64_t cycle = kCycleFocus;
  const Row rows[] = {
      {"Ctrl+Alt+/ elsewhere", vk::Slash, 6, false, false, false, {show}},
      {"Ctrl+Alt+/ in front", vk::Slash, 6, true, false, false, {show}},
      {"Ctrl+Alt+Shift+/", vk::Slash, 7, false, false, false, {}},
      {"Alt+/ elsewhere", vk::Slash, 4, false, false, false, {}},
      {"Alt+/ in front: an Alt chord like any other", vk::Slash, 4, true, false, true, {}},
      {"plain / in front", vk::Slash, 0, true, false, false, {}},
      {"Tab in front", vk::Tab, 0, true, true, true, {cycle}},
      {"Shift+Tab in front", vk::Tab, 1, true, true, true, {cycle}},
      {"Alt+Tab in front", vk::Tab, 4, true, true, true, {cycle}},
      {"Tab elsewhere", vk::Tab, 0, false, false, false, {}},
      {"Up in front", vk::Up, 0, true, false, true, {}},
      {"Down in front", vk::Down, 1, true, false, true, {}},
      {"Left in front", vk::Left, 2, true, false, true, {}},
      {"Right in front", vk::Right, 0, true, false, true, {}},
      {"Left elsewhere", vk::Left, 0, false, false, false, {}},
      {"Alt+1 in front", '1', 4, true, false, true, {}},
      {"Alt+W in front", 'W', 4, true, false, true, {}},
      {"Ctrl+Alt+1 in front", '1', 6, true, false, false, {}},
      {"Alt+Shift+W in front", 'W', 5, true, false, false, {}},
      {"Alt+1 elsewhere", '1', 4, false, false, false, {}},
      {"plain letter in front", 'A', 0, true, false, false, {}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    HookDesk d;
    d.pf.desktop.UserActivate(r.boxInFront ? d.box : d.app);
    d.Hold(r.mask);
    EXPECT_EQ(d.Key(r.vk), r.swallowed ? KeyVerdict::Swallow : KeyVerdict::PassOn);
    EXPECT_EQ(d.p.window.Keyboard(), r.keyboard);
    EXPECT_EQ(d.Posted(), r.posted);
    EXPECT_EQ(d.p.hook.heldModifiers, r.mask);
  }
}

TEST(KeyboardHookDecision, KeyUpsArePassedOnUntouched) {
  HookDesk d;
  d.pf.desktop.UserActivate(d.box);
  d.Hold(kMaskCtrl | kMaskAlt);
  for (int vkCode : {int{vk::Slash}, int{vk::Tab}, int{vk::Up}, int{'1'}}) {
    EXPECT_EQ(d.Key(vkCode, /*up=*/true), KeyVerdict::PassOn);
  }
  EXPECT_TRUE(d.Posted().empty());
  EXPECT_FALSE(d.p.window.Keyboard());
}

TEST(KeyboardHookDecision, AutoRepeatPostsOnEveryKeyDown) {
  HookDesk d;
  d.pf.desktop.UserActivate(d.app);
  d.Hold(kMaskCtrl | kMaskAlt);
  for (int i = 0; i < 3; ++i) {
    d.Key(vk::Slash);
  }
  d.Key(vk::Slash, true);
  EXPECT_EQ(d.Posted().size(), 3u);
}

// Sticky keys: a modifier pressed and let go, or pressed twice, stays in force for the next
// key though no key is held.
TEST(KeyboardHookDecision, ModifiersLatchedBySystemCountAsHeld) {
  struct Row {
    const char* name;
    int held, latched;
    int vk;
    bool boxInFront;
    bool summons, swallowed;
    int mask;
  } rows[] = {
      {"Ctrl and Alt latched, then /", 0, kMaskCtrl | kMaskAlt, vk::Slash, false, true, false, 6},
      {"Ctrl held, Alt latched", kMaskCtrl, kMaskAlt, vk::Slash, false, true, false, 6},
      {"only Ctrl latched", 0, kMaskCtrl, vk::Slash, false, false, false, 2},
      {"Shift latched as well: another chord", 0, 7, vk::Slash, false, false, false, 7},
      {"Shift latched, then Tab in front", 0, kMaskShift, vk::Tab, true, false, true, 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    HookDesk d;
    d.pf.desktop.UserActivate(r.boxInFront ? d.box : d.app);
    d.Hold(r.held);
    EXPECT_EQ(d.Key(r.vk, false, r.latched),
              r.swallowed ? KeyVerdict::Swallow : KeyVerdict::PassOn);
    EXPECT_EQ(d.Posted().size() == 1 && d.Posted()[0] == kSummonMessage, r.summons);
    EXPECT_EQ(d.p.hook.heldModifiers, r.mask);
  }
}

TEST(KeyboardHookDecision, KeyUpReportsTheMaskOfTheLastKeyDown) {
  HookDesk d;
  d.Hold(kMaskCtrl | kMaskShift);
  d.Key('K');
  d.Hold(0);
  KeyEvent up;
  up.vkCode = 0x1004B;  // only the low 16 bits are the key
  up.up = true;
  const KeyboardHook::DecodedKey key = d.p.hook.Decode(up);
  EXPECT_EQ(key.key, 'K');
  EXPECT_FALSE(key.down);
  EXPECT_EQ(key.mask, kMaskCtrl | kMaskShift);
}

TEST(KeyboardHookInstall, OneHookAtATime) {
  FakePlatform pf;
  Program p{pf.AllPorts()};
  p.hook.RefreshKeyboardHook();  // with none installed it simply installs one
  const HookHandle first = p.hook.handle;
  EXPECT_NE(first, 0u);
  p.hook.HookKeyboard();
  EXPECT_EQ(p.hook.handle, first);
  EXPECT_EQ(pf.hotkeys.InstalledHooks().size(), 1u);

  bool yielded = false;
  pf.loop.QueueEvent("pending", [&] { yielded = true; });
  p.hook.RefreshKeyboardHook();
  EXPECT_TRUE(yielded);
  EXPECT_NE(p.hook.handle, first);
  EXPECT_EQ(pf.hotkeys.InstalledHooks(), std::vector<HookHandle>{p.hook.handle});

  p.hook.UnhookKeyboard();
  p.hook.UnhookKeyboard();
  EXPECT_EQ(p.hook.handle, 0u);
  EXPECT_TRUE(pf.hotkeys.InstalledHooks().empty());
  EXPECT_EQ(pf.log.CountCalls("RemoveKeyHook"), 2u);
}

TEST(KeyboardHookInstall, FailedInstallIsRetriedOnTheNextRefresh) {
  FakePlatform pf;
  Program p{pf.AllPorts()};
  pf.hotkeys.hookInstallFails = true;
  p.hook.HookKeyboard();
  EXPECT_EQ(p.hook.handle, 0u);
  pf.hotkeys.hookInstallFails = false;
  p.hook.RefreshKeyboardHook();
  EXPECT_NE(p.hook.handle, 0u);
  EXPECT_EQ(pf.log.CountCalls("RemoveKeyHook"), 0u);
}

TEST(KeyboardHookInstall, TheProgramRemovesItsHookWhenItEnds) {
  FakePlatform pf;
  {
    Program p{pf.AllPorts()};
    p.hook.HookKeyboard();
    ASSERT_EQ(pf.hotkeys.InstalledHooks().size(), 1u);
  }
  // A hook on a thread of its own must not call into a program that is gone.
  EXPECT_TRUE(pf.hotkeys.InstalledHooks().empty());
}

}  // namespace
}  // namespace varnel

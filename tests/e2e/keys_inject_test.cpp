// Key chords built by the program's key sender reach a real X server through XTEST, in order,
// and leave no key down. Runs against the display in $DISPLAY (keys_xvfb.sh starts one).
#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "adapters/x11/keysym_vk.h"
#include "adapters/x11/xtest_injector.h"
#include "core/key_sender.h"
#include "core/program.h"
#include "support/fake_platform.h"

namespace varnel {
namespace {

using Clock = std::chrono::steady_clock;

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }  // NOLINT(cppcoreguidelines-no-malloc)
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

// The server refuses quick reconnects now and then.
xcb_connection_t* Connect() {
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  for (int i = 0; i < 20 && xcb_connection_has_error(c) != 0; ++i) {
    xcb_disconnect(c);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    c = xcb_connect(nullptr, nullptr);
  }
  return c;
}

// A focused window that records the key events it receives as "+vk" / "-vk".
class KeyWindow {
 public:
  KeyWindow() : c_(Connect()) {
    if (xcb_connection_has_error(c_) != 0) {
      return;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
    root_ = screen->root;
    win_ = xcb_generate_id(c_);
    const std::uint32_t mask = XCB_CW_EVENT_MASK;
    const std::uint32_t events = XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE |
                                 XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, win_, root_, 10, 10, 300, 200, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, mask, &events);
    xcb_map_window(c_, win_);
    xcb_flush(c_);
    syms_ = xcb_key_symbols_alloc(c_);
    // Wait until it is on screen, then take the focus.
    WaitForMap(std::chrono::seconds(3));
    if (!mapped_) {
      // Now and then, in a loaded full run, the window manager never maps it. The keys only
      // need a focused window: one that bypasses the manager is mapped by the server itself.
      const std::uint32_t bypass = 1;
      xcb_change_window_attributes(c_, win_, XCB_CW_OVERRIDE_REDIRECT, &bypass);
      xcb_map_window(c_, win_);
      xcb_flush(c_);
      WaitForMap(std::chrono::seconds(7));
    }
    xcb_set_input_focus(c_, XCB_INPUT_FOCUS_POINTER_ROOT, win_, XCB_CURRENT_TIME);
    xcb_flush(c_);
    Reply<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
    focused_ = focus && focus->focus == win_;
  }
  ~KeyWindow() {
    if (syms_ != nullptr) {
      xcb_key_symbols_free(syms_);
    }
    xcb_disconnect(c_);
  }
  KeyWindow(const KeyWindow&) = delete;
  KeyWindow& operator=(const KeyWindow&) = delete;

  bool Ok() const { return xcb_connection_has_error(c_) == 0 && mapped_ && focused_; }
  // Why Ok() is false, for the failure message.
  std::string Why() const {
    if (xcb_connection_has_error(c_) != 0) {
      return "no connection to the display";
    }
    if (!mapped_) {
      return "the window was not mapped within 10 s";
    }
    return focused_ ? "" : "the window did not get the input focus";
  }
  xcb_connection_t* Connection() { return c_; }

  bool Viewable() {
    Reply<xcb_get_window_attributes_reply_t> a(
        xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, win_), nullptr));
    return a && a->map_state == XCB_MAP_STATE_VIEWABLE;
  }
  xcb_window_t Id() const { return win_; }

  // Collects events until `count` keys arrived or `wait` passed without any.
  std::vector<std::string> Keys(std::size_t count, std::chrono::milliseconds wait) {
    auto last = Clock::now();
    while (keys_.size() < count && Clock::now() - last < wait) {
      const std::size_t before = keys_.size();
      Pump(std::chrono::milliseconds(5));
      if (keys_.size() != before) {
        last = Clock::now();
      }
    }
    return std::exchange(keys_, {});
  }
  std::size_t others() const { return others_; }

  // Keycodes the server has down now.
  std::vector<int> KeysDown() {
    std::vector<int> down;
    Reply<xcb_query_keymap_reply_t> map(xcb_query_keymap_reply(c_, xcb_query_keymap(c_), nullptr));
    if (!map) {
      return {-1};
    }
    for (int kc = 0; kc < 256; ++kc) {
      if ((map->keys[kc / 8] & (1 << (kc % 8))) != 0) {
        down.push_back(kc);
      }
    }
    return down;
  }

 private:
  void WaitForMap(std::chrono::seconds most) {
    const auto until = Clock::now() + most;
    while (!mapped_ && Clock::now() < until) {
      Pump(std::chrono::milliseconds(20));
      // The state itself as well as the event: a busy window manager may map it late.
      mapped_ = mapped_ || Viewable();
    }
  }
  void Pump(std::chrono::milliseconds nap) {
    xcb_generic_event_t* ev = xcb_poll_for_event(c_);
    if (ev == nullptr) {
      std::this_thread::sleep_for(nap);
      return;
    }
    for (; ev != nullptr; ev = xcb_poll_for_event(c_)) {
      const std::uint8_t type = ev->response_type & 0x7F;
      if (type == XCB_MAP_NOTIFY) {
        mapped_ = true;
      }
      if (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE) {
        auto* k = reinterpret_cast<xcb_key_press_event_t*>(ev);
        const std::uint32_t vk = VkFromKeysym(xcb_key_symbols_get_keysym(syms_, k->detail, 0));
        keys_.push_back((type == XCB_KEY_PRESS ? "+" : "-") + Generic(vk));
      } else {
        ++others_;
      }
      std::free(ev);  // NOLINT(cppcoreguidelines-no-malloc)
    }
  }
  static std::string Generic(std::uint32_t vk) {
    if (vk == vk::LeftShift || vk == vk::RightShift) {
      vk = vk::Shift;
    }
    if (vk == vk::LeftControl || vk == vk::RightControl) {
      vk = vk::Control;
    }
    if (vk == vk::LeftAlt || vk == vk::RightAlt) {
      vk = vk::Alt;
    }
    return std::to_string(vk);
  }

  xcb_connection_t* c_;
  xcb_window_t root_ = 0, win_ = 0;
  xcb_key_symbols_t* syms_ = nullptr;
  bool mapped_ = false, focused_ = false;
  std::vector<std::string> keys_;
  std::size_t others_ = 0;
};

// The program's key sender on the in-memory platform; what it sends is replayed through the
// injector, so the order and flags are exactly the program's.
class KeysTest : public ::testing::Test {
 protected:
  KeysTest() : injector(xcb_connect(nullptr, nullptr), true) {
    fake.injector.injectedKeysReachHook = false;
    program.voice.keySender = program.voice.MakeKeySender();
  }

  std::vector<std::string> Send(bool ctrl, bool alt, bool shift, int vk, int times = 1) {
    std::vector<std::string> expected;
    for (int i = 0; i < times; ++i) {
      fake.log.Clear();
      program.voice.keySender->SendChord(ctrl, alt, shift, vk, 0);
      for (const auto& c : fake.log.Calls("SentKey")) {
        const auto key = static_cast<std::uint8_t>(c.args[0]);
        injector.SendKey(key, c.args[2] != 0);
        expected.push_back((c.args[2] != 0 ? "-" : "+") + std::to_string(key));
      }
    }
    return expected;
  }

  FakePlatform fake;
  Program program{fake.AllPorts()};
  XTestInjector injector;
  KeyWindow window;
};

struct ChordCase {
  const char* name;
  bool ctrl, alt, shift;
  int vk;
  int times;
};

class ChordTest : public KeysTest, public ::testing::WithParamInterface<ChordCase> {};

TEST_P(ChordTest, ArrivesInOrderAndLeavesNothingDown) {
  ASSERT_TRUE(window.Ok()) << window.Why();
  ASSERT_TRUE(injector.Available());
  const ChordCase& c = GetParam();
  const auto expected = Send(c.ctrl, c.alt, c.shift, c.vk, c.times);
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(window.Keys(expected.size(), std::chrono::milliseconds(2000)), expected);
  EXPECT_EQ(window.KeysDown(), std::vector<int>{});
}

INSTANTIATE_TEST_SUITE_P(Chords, ChordTest,
                         ::testing::Values(ChordCase{"CtrlTab", true, false, false, 9, 1},
                                           ChordCase{"ShiftTabThrice", false, false, true, 9, 3},
                                           ChordCase{"CtrlKeypadAdd", true, false, false, 107, 1},
                                           ChordCase{"CtrlKeypadSubtract", true, false, false, 109,
                                                     1},
                                           ChordCase{"AltLeft", false, true, false, 37, 1},
                                           ChordCase{"CtrlAltR", true, true, false, 'R', 1},
                                           ChordCase{"LetterA", false, false, false, 'A', 1},
                                           ChordCase{"CtrlF", true, false, false, 'F', 1},
                                           ChordCase{"PageDown", false, false, false, 34, 1},
                                           ChordCase{"Menu", false, false, false, 93, 1},
                                           ChordCase{"CtrlSlash", true, false, false, 191, 1},
                                           ChordCase{"CtrlF4", true, false, false, 115, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(KeysTest, UnmappableKeyIsSkippedAndModifiersStillRelease) {
  ASSERT_TRUE(window.Ok()) << window.Why();
  // 0xE9 stands for no key at all; Ctrl goes down and up around nothing.
  Send(true, false, false, 0xE9);
  EXPECT_EQ(window.Keys(2, std::chrono::milliseconds(1000)),
            (std::vector<std::string>{"+17", "-17"}));
  EXPECT_EQ(window.KeysDown(), std::vector<int>{});
}

TEST_F(KeysTest, LayoutLookupsFollowTheServerMap) {
  EXPECT_EQ(injector.VkKeyScan('a'), 65);
  EXPECT_EQ(injector.VkKeyScan('A'), 0x100 | 65);
  EXPECT_EQ(injector.VkKeyScan('/'), 191);
  EXPECT_EQ(injector.VkKeyScan('?'), 0x100 | 191);
  EXPECT_EQ(injector.VkKeyScan('!'), 0x100 | '1');
  EXPECT_EQ(injector.VkKeyScan('\t'), 9);
  EXPECT_EQ(injector.VkKeyScan(static_cast<char>(0xA4)), -1);  // no currency sign on a US map
  EXPECT_EQ(injector.MapVirtualKey(65, 2), static_cast<std::uint32_t>('A'));
  EXPECT_EQ(injector.MapVirtualKey(36, 2), 0U);  // Home types nothing: sent as extended
  EXPECT_EQ(injector.MapVirtualKey(9, 2), 9U);
  EXPECT_EQ(injector.MapVirtualKey(107, 2), static_cast<std::uint32_t>('+'));
  EXPECT_EQ(injector.MapVirtualKey(65, 0), static_cast<std::uint32_t>(injector.KeycodeOf(65) - 8));
  EXPECT_EQ(injector.MapVirtualKey(0xE9, 0), 0U);
  EXPECT_EQ(injector.MapVirtualKey(65, 1), 0U);
  EXPECT_EQ(injector.MapVirtualKey(300, 0), 0U);
}

TEST_F(KeysTest, FollowsAKeyboardMapChange) {
  ASSERT_TRUE(window.Ok()) << window.Why();
  xcb_connection_t* c = window.Connection();
  const xcb_keycode_t home = injector.KeycodeOf(36);
  ASSERT_NE(home, 0);
  Reply<xcb_get_keyboard_mapping_reply_t> map(
      xcb_get_keyboard_mapping_reply(c, xcb_get_keyboard_mapping(c, home, 1), nullptr));
  ASSERT_TRUE(map);
  const int per = map->keysyms_per_keycode;
  const xcb_keysym_t* old = xcb_get_keyboard_mapping_keysyms(map.get());
  const std::vector<xcb_keysym_t> saved(old, old + per);
  const std::vector<xcb_keysym_t> none(static_cast<std::size_t>(per), 0);

  // Another client takes Home off the map, then puts it back.
  auto remap = [&](const std::vector<xcb_keysym_t>& syms, xcb_keycode_t want) {
    xcb_change_keyboard_mapping(c, 1, home, static_cast<std::uint8_t>(per), syms.data());
    xcb_flush(c);
    for (int i = 0; i < 200; ++i) {
      if (injector.KeycodeOf(36) == want) {
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  };
  EXPECT_TRUE(remap(none, 0));
  EXPECT_EQ(injector.MapVirtualKey(36, 0), 0U);
  EXPECT_TRUE(remap(saved, home));
}

TEST_F(KeysTest, TenThousandChordsAmidOtherEventsLeaveNoModifierDown) {
  ASSERT_TRUE(window.Ok()) << window.Why();
  // Another client keeps the window busy with events of its own meanwhile.
  std::atomic<bool> stop{false};
  std::thread noise([&] {
    xcb_connection_t* c = Connect();
    xcb_client_message_event_t msg{};
    msg.response_type = XCB_CLIENT_MESSAGE;
    msg.format = 32;
    msg.window = window.Id();
    msg.type = XCB_ATOM_STRING;
    while (!stop) {
      xcb_send_event(c, 0, window.Id(), XCB_EVENT_MASK_NO_EVENT,
                     reinterpret_cast<const char*>(&msg));
      xcb_clear_area(c, 1, window.Id(), 0, 0, 10, 10);
      xcb_flush(c);
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    xcb_disconnect(c);
  });
  const ChordCase mix[] = {{"", true, false, false, 9, 1},   {"", false, false, true, 9, 1},
                           {"", true, false, false, 107, 1}, {"", false, true, false, 37, 1},
                           {"", true, true, false, 'R', 1},  {"", false, false, false, 'A', 1},
                           {"", true, false, true, 9, 1}};
  std::size_t expected = 0;
  std::size_t received = 0;
  std::vector<std::string> mismatch;
  for (int i = 0; i < 10000; ++i) {
    const ChordCase& c = mix[static_cast<std::size_t>(i) % std::size(mix)];
    const auto sent = Send(c.ctrl, c.alt, c.shift, c.vk);
    expected += sent.size();
    if (i % 500 == 499) {
      const auto got = window.Keys(expected - received, std::chrono::milliseconds(3000));
      received += got.size();
    }
  }
  received += window.Keys(expected - received, std::chrono::milliseconds(3000)).size();
  stop = true;
  noise.join();
  EXPECT_EQ(received, expected);
  EXPECT_GT(window.others(), 0U);
  EXPECT_EQ(window.KeysDown(), std::vector<int>{});
}

}  // namespace
}  // namespace varnel

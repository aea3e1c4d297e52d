// Times the summon of the search window on a bare X display (no window manager), the same
// way for the Windows program under Wine and for the Linux one: presses Ctrl+Alt+/ through
// XTEST and waits until the X input focus is inside the search window; Escape hands it
// back. One latency (ms) a line; "timeout" when the window did not come.
//   focus_probe WIN N [OTHER]   OTHER: a window to give the focus to before each summon
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include "../probe_keys.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <iterator>
#include <thread>

namespace {

xcb_connection_t* c;
xcb_key_symbols_t* syms;

// Wine and toolkits may focus a child of the top-level window.
bool FocusInside(xcb_window_t top) {
  auto* f = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
  xcb_window_t w = f != nullptr ? f->focus : XCB_NONE;
  std::free(f);
  for (int depth = 0; w != XCB_NONE && depth < 16; ++depth) {
    if (w == top) return true;
    auto* t = xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr);
    if (t == nullptr) return false;
    const xcb_window_t parent = t->parent;
    const bool atRoot = parent == t->root;
    std::free(t);
    if (atRoot) return false;
    w = parent;
  }
  return false;
}

constexpr xcb_keysym_t kCtrl = 0xffe3, kAlt = 0xffe9, kSlash = 0x2f, kEscape = 0xff1b;

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c) != 0) return 1;
  syms = xcb_key_symbols_alloc(c);
  const auto win = static_cast<xcb_window_t>(std::strtoul(argv[1], nullptr, 0));
  const int n = std::atoi(argv[2]);
  const auto other = argc > 3 ? static_cast<xcb_window_t>(std::strtoul(argv[3], nullptr, 0)) : 0;
  for (int i = 0; i < n; ++i) {
    if (other != 0) {
      xcb_set_input_focus(c, XCB_INPUT_FOCUS_POINTER_ROOT, other, XCB_CURRENT_TIME);
      xcb_flush(c);
    }
    // Let the program's foreground tracking see the other window first.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const double t0 = NowMs();
    Chord(c, syms, {kCtrl, kAlt, kSlash});
    if (!WaitUntil([&] { return FocusInside(win); }, 3000)) {
      std::puts("timeout");
      std::fflush(stdout);
      continue;
    }
    std::printf("%.2f\n", NowMs() - t0);
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    Chord(c, syms, {kEscape});
    // Without a window manager to take it, the focus may stay on a parked window; the
    // next round gives it to OTHER anyway.
    WaitUntil([&] { return !FocusInside(win); }, other != 0 ? 500 : 3000);
  }
  xcb_key_symbols_free(syms);
  xcb_disconnect(c);
  return 0;
}

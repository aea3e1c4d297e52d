// Shared by the desktop bench probes: a millisecond clock, polling with a limit, and key
// chords through XTEST.
#pragma once

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include <chrono>
#include <cstdlib>
#include <initializer_list>
#include <iterator>
#include <thread>

inline double NowMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

template <typename F>
bool WaitUntil(F done, double limitMs) {
  const double end = NowMs() + limitMs;
  while (!done()) {
    if (NowMs() > end) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(250));
  }
  return true;
}

inline void SendKey(xcb_connection_t* c, xcb_key_symbols_t* syms, xcb_keysym_t sym, bool down) {
  xcb_keycode_t* codes = xcb_key_symbols_get_keycode(syms, sym);
  if (codes == nullptr) return;
  xcb_test_fake_input(c, down ? XCB_KEY_PRESS : XCB_KEY_RELEASE, codes[0], XCB_CURRENT_TIME,
                      XCB_NONE, 0, 0, 0);
  std::free(codes);
  xcb_flush(c);
}

// Presses the keys in order and releases them in reverse.
inline void Chord(xcb_connection_t* c, xcb_key_symbols_t* syms,
                  std::initializer_list<xcb_keysym_t> keys) {
  for (xcb_keysym_t k : keys) SendKey(c, syms, k, true);
  for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) SendKey(c, syms, *it, false);
}

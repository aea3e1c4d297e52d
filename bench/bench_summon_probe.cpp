// Drives the desktop for bench_summon.sh: presses keys through XTEST and times, at
// sub-millisecond resolution, until the window manager reports the search window active.
//   probe summon WIN OTHER N   summons N times from OTHER; prints one latency (ms) a line
//   probe enter FILE N         summons, presses Enter, waits for FILE to grow; N times
//   probe find                 prints the id of the shown " Varnel" window (none: nothing)
//   probe cold N PROGRAM       starts PROGRAM N times, each without a settings file
//                              ($VARNEL_CFG); prints the time (ms) from the start to its
//                              " Varnel" window viewable, then stops it
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

#include "probe_keys.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

xcb_connection_t* c;
xcb_ewmh_connection_t ewmh;
xcb_key_symbols_t* syms;

xcb_window_t Active() {
  xcb_window_t w = 0;
  xcb_ewmh_get_active_window_reply(&ewmh, xcb_ewmh_get_active_window(&ewmh, 0), &w, nullptr);
  return w;
}

bool Viewable(xcb_window_t w) {
  auto* a = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr);
  const bool v = a != nullptr && a->map_state == XCB_MAP_STATE_VIEWABLE;
  std::free(a);
  return v;
}

void Activate(xcb_window_t w) {
  xcb_ewmh_request_change_active_window(&ewmh, 0, w, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER,
                                        XCB_CURRENT_TIME, Active());
  xcb_flush(c);
  WaitUntil([&] { return Active() == w; }, 2000);
}

// The client window titled " Varnel" that is viewable, or 0.
xcb_window_t ShownVarnel() {
  xcb_ewmh_get_windows_reply_t list;
  if (xcb_ewmh_get_client_list_reply(&ewmh, xcb_ewmh_get_client_list(&ewmh, 0), &list, nullptr) ==
      0) {
    return 0;
  }
  xcb_window_t found = 0;
  for (std::uint32_t i = 0; i < list.windows_len && found == 0; ++i) {
    const xcb_window_t w = list.windows[i];
    auto* p = xcb_get_property_reply(
        c, xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 0, 16), nullptr);
    if (p != nullptr && xcb_get_property_value_length(p) == 7 &&
        std::memcmp(xcb_get_property_value(p), " Varnel", 7) == 0 && Viewable(w)) {
      found = w;
    }
    std::free(p);
  }
  xcb_ewmh_get_windows_reply_wipe(&list);
  return found;
}

constexpr xcb_keysym_t kCtrl = 0xffe3, kAlt = 0xffe9, kSlash = 0x2f, kEscape = 0xff1b,
                       kReturn = 0xff0d;

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c) != 0) return 1;
  xcb_ewmh_init_atoms_replies(&ewmh, xcb_ewmh_init_atoms(c, &ewmh), nullptr);
  syms = xcb_key_symbols_alloc(c);
  const std::string mode = argv[1];
  if (mode == "find") {
    if (const xcb_window_t w = ShownVarnel()) std::printf("%u\n", w);
  } else if (mode == "summon" && argc >= 5) {
    const auto win = static_cast<xcb_window_t>(std::strtoul(argv[2], nullptr, 0));
    const auto other = static_cast<xcb_window_t>(std::strtoul(argv[3], nullptr, 0));
    const int n = std::atoi(argv[4]);
    for (int i = 0; i < n; ++i) {
      if (Viewable(win)) {  // on screen (first start): park it with Escape first
        Activate(win);
        Chord(c, syms, {kEscape});
        WaitUntil([&] { return !Viewable(win); }, 3000);
      }
      Activate(other);
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      if (Active() != other || Viewable(win)) {
        std::puts("timeout");  // not parked behind the other window: nothing to time
        continue;
      }
      const double t0 = NowMs();
      Chord(c, syms, {kCtrl, kAlt, kSlash});
      if (!WaitUntil([&] { return Active() == win && Viewable(win); }, 3000)) {
        std::puts("timeout");
        continue;
      }
      std::printf("%.2f\n", NowMs() - t0);
      std::fflush(stdout);
      Chord(c, syms, {kEscape});
      WaitUntil([&] { return !Viewable(win); }, 3000);
    }
  } else if (mode == "cold" && argc >= 4) {
    const int n = std::atoi(argv[2]);
    for (int i = 0; i < n; ++i) {
      if (const char* cfg = std::getenv("VARNEL_CFG")) unlink(cfg);
      const double t0 = NowMs();
      const pid_t child = fork();
      if (child == 0) {
        freopen("/dev/null", "w", stdout);
        freopen("/dev/null", "w", stderr);
        execv(argv[3], argv + 3);
        _exit(127);
      }
      const bool shown = WaitUntil([] { return ShownVarnel() != 0; }, 10000);
      if (shown) {
        std::printf("%.2f\n", NowMs() - t0);
      } else {
        std::puts("timeout");
      }
      std::fflush(stdout);
      kill(child, SIGTERM);
      waitpid(child, nullptr, 0);
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
  } else if (mode == "enter" && argc >= 4) {
    const std::string file = argv[2];
    const int n = std::atoi(argv[3]);
    auto size = [&] {
      struct stat st {};
      return stat(file.c_str(), &st) == 0 ? st.st_size : 0;
    };
    for (int i = 0; i < n; ++i) {
      Chord(c, syms, {kCtrl, kAlt, kSlash});
      std::this_thread::sleep_for(std::chrono::milliseconds(400));
      const auto before = size();
      Chord(c, syms, {0x78});  // "x": some terms to search for
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      const double t0 = NowMs();
      Chord(c, syms, {kReturn});
      if (!WaitUntil([&] { return size() > before; }, 5000)) {
        std::puts("timeout");
        continue;
      }
      std::printf("%.2f\n", NowMs() - t0);
      std::fflush(stdout);
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
  }
  xcb_key_symbols_free(syms);
  xcb_ewmh_connection_wipe(&ewmh);
  xcb_disconnect(c);
  return 0;
}

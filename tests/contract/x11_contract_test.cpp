// The ports' contracts on the X11 adapters, on the display the test script starts (Xvfb with
// a window manager). One platform serves every case, as one serves the program.
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "adapters/x11/x11_platform.h"
#include "contract/gtest_check.h"

namespace varnel::contract {
namespace {

constexpr auto kPatience = std::chrono::seconds(5);
constexpr auto kPoll = std::chrono::milliseconds(10);
constexpr std::uint16_t kWindowSide = 160;

class X11Driver final : public Driver {
 public:
  explicit X11Driver(EventLoop& loop) : loop_(loop), c_(xcb_connect(nullptr, nullptr)) {}
  ~X11Driver() { xcb_disconnect(c_); }
  X11Driver(const X11Driver&) = delete;
  X11Driver& operator=(const X11Driver&) = delete;

  bool RunUntil(const std::function<bool()>& done) override {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!done()) {
      if (std::chrono::steady_clock::now() >= deadline) {
        return false;
      }
      loop_.RunPendingEvents();
      std::this_thread::sleep_for(kPoll);
    }
    return true;
  }

  // A plain top-level window of its own class, mapped for the window manager to manage.
  WindowId MakeWindow() override {
    if (xcb_connection_has_error(c_) != 0) {
      return 0;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
    const xcb_window_t w = xcb_generate_id(c_);
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, screen->root, 0, 0, kWindowSide, kWindowSide, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    constexpr char kClass[] = "contract\0ContractWindow";
    xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        sizeof kClass, kClass);
    xcb_map_window(c_, w);
    xcb_flush(c_);
    // Shown means managed and mapped by the window manager.
    RunUntil([&] {
      auto* attrs = xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, w), nullptr);
      const bool viewable = attrs != nullptr && attrs->map_state == XCB_MAP_STATE_VIEWABLE;
      std::free(attrs);
      return viewable;
    });
    return w;
  }
  void DestroyWindow(WindowId hwnd) override {
    xcb_destroy_window(c_, hwnd);
    xcb_flush(c_);
  }
  void SetEnvironment(const std::string& name, const std::string& value) override {
    if (value.empty()) {
      unsetenv(name.c_str());
    } else {
      setenv(name.c_str(), value.c_str(), 1);
    }
  }
  ProcessId OwnProcess() override { return static_cast<ProcessId>(getpid()); }

 private:
  EventLoop& loop_;
  xcb_connection_t* c_;
};

}  // namespace
}  // namespace varnel::contract

int main(int argc, char** argv) {
  using namespace varnel::contract;
  testing::InitGoogleTest(&argc, argv);
  varnel::X11Platform platform(argc, argv);
  Recorder events;
  platform.SetEventSink(&events);
  X11Driver driver(platform);
  Subject subject{platform.AllPorts(), events, driver};
  RegisterContracts([&subject](const Case& c) {
    GtestCheck check;
    c.run(subject, check);
  });
  const int failed = RUN_ALL_TESTS();
  platform.SetEventSink(nullptr);
  return failed;
}

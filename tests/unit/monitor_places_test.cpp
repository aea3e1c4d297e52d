// Which monitor a window is on, and where the search window comes back on one.
#include "adapters/shared/monitor_places.h"

#include <gtest/gtest.h>

namespace varnel {
namespace {

constexpr Rect kLeft{0, 0, 1280, 1024};
constexpr Rect kRight{1280, 0, 2304, 768};
constexpr int kWidth = 585;
constexpr int kHeight = 564;

TEST(MonitorPlaces, AWindowIsOnTheMonitorItOverlapsMost) {
  const std::vector<Rect> monitors{kLeft, kRight};
  struct Case {
    Rect window;
    int monitor;
  } cases[] = {
      {{40, 60, 280, 260}, 0},       {{1700, 60, 1940, 260}, 1},
      {{1200, 60, 1440, 260}, 1},     // 80 px on the left, 160 on the right
      {{1100, 60, 1340, 260}, 0},     // 180 on the left
      {{0, 0, 2304, 1024}, 0},        // across both: the bigger share
      {{1400, 900, 1500, 1000}, -1},  // below the right monitor, on neither
      {{-300, 0, -100, 200}, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MostOverlapped(monitors, c.window), c.monitor)
        << c.window.left << "," << c.window.top;
  }
  EXPECT_EQ(MostOverlapped({}, {0, 0, 10, 10}), -1);
}

TEST(MonitorPlaces, TheWindowComesBackWhereItWasOnAMonitorOrCentredAcrossIt) {
  struct Case {
    const char* what;
    int rememberedLeft;  // on kLeft's left edge; -1: never there
    Rect monitor;
    int top;
    int wantLeft, wantTop;
  } cases[] = {
      {"its place on the monitor", 349, kLeft, 136, 349, 136},
      {"dragged partly past the edge, its middle on", 900, kLeft, 136, 900, 136},
      {"dragged partly past the left edge", -200, kLeft, 136, -200, 136},
      {"never there: centred across", -1, kRight, 136, 1499, 136},
      {"too low for a shorter monitor: moved up", -1, kRight, 400, 1499, 204},
      {"the monitor shrunk under its middle: centred", 1100, {0, 0, 1024, 768}, 136, 219, 136},
      {"the monitors arranged anew: the place kept from its edge",
       349,
       {1024, 0, 2304, 1024},
       136,
       1373,
       136},
      {"the monitor narrowed, its middle still on: moved in to lie on it",
       349,
       {0, 0, 900, 768},
       136,
       315,
       136},
      {"taller than the monitor: its top in sight", -1, {0, 0, 800, 500}, 50, 107, 0},
      {"wider than the monitor: its left in sight", -1, {2000, 0, 2500, 900}, 100, 2000, 100},
      {"a monitor below another", -1, {0, 1024, 1280, 2048}, 136, 347, 1160},
  };
  for (const Case& c : cases) {
    MonitorPlaces places;
    if (c.rememberedLeft != -1) {
      places.Remember("A", kLeft, c.rememberedLeft);
    }
    const Rect at =
        places.ComeBack(c.rememberedLeft != -1 ? "A" : "B", c.monitor, c.top, kWidth, kHeight);
    EXPECT_EQ(at.left, c.wantLeft) << c.what;
    EXPECT_EQ(at.top, c.wantTop) << c.what;
    EXPECT_EQ(at.right - at.left, kWidth) << c.what;
    EXPECT_EQ(at.bottom - at.top, kHeight) << c.what;
  }
}

TEST(MonitorPlaces, EachMonitorKeepsItsOwnPlace) {
  MonitorPlaces places;
  places.Remember("left", kLeft, 100);
  EXPECT_EQ(places.ComeBack("right", kRight, 136, kWidth, kHeight).left, 1499);
  places.Remember("right", kRight, 1700);  // dragged there
  EXPECT_EQ(places.ComeBack("left", kLeft, 136, kWidth, kHeight).left, 100);
  EXPECT_EQ(places.ComeBack("right", kRight, 136, kWidth, kHeight).left, 1700);
}

}  // namespace
}  // namespace varnel

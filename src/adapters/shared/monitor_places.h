// Where the search window goes among several monitors: on the monitor the user works on, at
// the place it had on that monitor. Desktop pixels, as the system counts them.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "ports/windows.h"

namespace varnel {

// The monitor the rectangle overlaps most, as an index into `monitors`; -1 when it overlaps
// none (a window off every monitor, or no monitors told).
int MostOverlapped(const std::vector<Rect>& monitors, const Rect& r);

class MonitorPlaces {
 public:
  // The frame's left on the monitor called `monitor`, whose area is `area`: where the window
  // was put or dragged there. Kept from the monitor's left edge, so it holds when the
  // monitors are arranged anew.
  void Remember(const std::string& monitor, const Rect& area, int frameLeft);
  // The frame, `width` by `height`, coming back onto that monitor `top` down from its top: at
  // its remembered left while its middle is still on the monitor, else (never there, or the
  // monitor has shrunk since) centred across. A monitor narrower than when the place was
  // taken moves it in until its right edge is on the monitor as far as it fits; one the same
  // width keeps a place the user dragged partly off. Moved up until its bottom is on the
  // monitor as far as it fits, its top and left never off the monitor's top and left when
  // centred.
  Rect ComeBack(const std::string& monitor, const Rect& area, int top, int width, int height);

 private:
  struct Place {
    int leftFromEdge;
    int monitorWidth;  // when the place was taken
  };
  std::map<std::string, Place> places_;
};

}  // namespace varnel

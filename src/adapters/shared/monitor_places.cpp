#include "adapters/shared/monitor_places.h"

#include <algorithm>

namespace varnel {

namespace {

long long OverlapArea(const Rect& a, const Rect& b) {
  const long long w = std::min(a.right, b.right) - std::max(a.left, b.left);
  const long long h = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
  return w > 0 && h > 0 ? w * h : 0;
}

}  // namespace

int MostOverlapped(const std::vector<Rect>& monitors, const Rect& r) {
  int best = -1;
  long long bestArea = 0;
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    if (const long long area = OverlapArea(monitors[i], r); area > bestArea) {
      best = static_cast<int>(i);
      bestArea = area;
    }
  }
  return best;
}

void MonitorPlaces::Remember(const std::string& monitor, const Rect& area, int frameLeft) {
  places_[monitor] = {frameLeft - area.left, area.right - area.left};
}

Rect MonitorPlaces::ComeBack(const std::string& monitor, const Rect& area, int top, int width,
                             int height) {
  const auto kept = places_.find(monitor);
  const int keptLeft = kept != places_.end() ? area.left + kept->second.leftFromEdge : 0;
  const int middle = keptLeft + width / 2;
  const bool keep = kept != places_.end() && middle >= area.left && middle < area.right;
  const bool narrowed = keep && area.right - area.left < kept->second.monitorWidth;
  // Where the user dragged it, partly off or not; centred, a window wider than the monitor
  // keeps its title bar's left end in sight.
  int left = keep ? keptLeft : area.left + (area.right - area.left - width) / 2;
  if (narrowed) {
    left = std::min(left, area.right - width);
  }
  if (!keep || narrowed) {
    left = std::max(left, area.left);
  }
  const int y = std::max(std::min(area.top + top, area.bottom - height), area.top);
  Remember(monitor, area, left);
  return {left, y, left + width, y + height};
}

}  // namespace varnel

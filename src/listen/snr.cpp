#include "listen/snr.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace varnel::listen {
namespace {

constexpr std::size_t kFrame = 160;  // 10 ms
// The quietest tenth of the frames is the room (the detector keeps a few hundred ms of it
// before the speech), the loudest tenth the voice.
constexpr double kShare = 0.1;

}  // namespace

double EstimateSnrDb(const std::int16_t* samples, std::size_t n) {
  std::vector<double> power;
  power.reserve(n / kFrame);
  for (std::size_t at = 0; at + kFrame <= n; at += kFrame) {
    double sum = 0;
    for (std::size_t i = at; i < at + kFrame; ++i) {
      sum += static_cast<double>(samples[i]) * samples[i];
    }
    power.push_back(sum / kFrame);
  }
  if (power.empty()) {
    return 0;
  }
  std::sort(power.begin(), power.end());
  const auto take = std::max<std::size_t>(1, static_cast<std::size_t>(power.size() * kShare));
  double quiet = 0, loud = 0;
  for (std::size_t i = 0; i < take; ++i) {
    quiet += power[i];
    loud += power[power.size() - 1 - i];
  }
  return 10 * std::log10((loud / take + 1) / (quiet / take + 1));
}

}  // namespace varnel::listen

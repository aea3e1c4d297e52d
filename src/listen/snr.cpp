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

// Mean power of each whole 10 ms frame.
std::vector<double> FramePowers(const std::int16_t* samples, std::size_t n) {
  std::vector<double> power;
  power.reserve(n / kFrame);
  for (std::size_t at = 0; at + kFrame <= n; at += kFrame) {
    double sum = 0;
    for (std::size_t i = at; i < at + kFrame; ++i) {
      sum += static_cast<double>(samples[i]) * samples[i];
    }
    power.push_back(sum / kFrame);
  }
  return power;
}

// Mean of the loudest `kShare` of the frames (one at least); sorts them.
double LoudLevel(std::vector<double>& power) {
  std::sort(power.begin(), power.end());
  const auto take = std::max<std::size_t>(1, static_cast<std::size_t>(power.size() * kShare));
  double loud = 0;
  for (std::size_t i = 0; i < take; ++i) {
    loud += power[power.size() - 1 - i];
  }
  return loud / take;
}

}  // namespace

double LoudRms(const std::int16_t* samples, std::size_t n) {
  auto power = FramePowers(samples, n);
  return power.empty() ? 0 : std::sqrt(LoudLevel(power));
}

double RiseAboveTailDb(const std::int16_t* samples, std::size_t n, std::size_t tail) {
  if (tail > n) {
    return 0;
  }
  auto before = FramePowers(samples, n - tail);
  auto quiet = FramePowers(samples + (n - tail), tail);
  if (before.empty() || quiet.empty()) {
    return 0;
  }
  // The pause's quieter half: its first frames may still hold the voice dying away.
  std::sort(quiet.begin(), quiet.end());
  const std::size_t half = std::max<std::size_t>(1, quiet.size() / 2);
  double pause = 0;
  for (std::size_t i = 0; i < half; ++i) {
    pause += quiet[i];
  }
  pause /= static_cast<double>(half);
  // One sample unit of floor keeps digital silence finite, as in the estimate above.
  return 10 * std::log10((LoudLevel(before) + 1) / (pause + 1));
}

double EstimateSnrDb(const std::int16_t* samples, std::size_t n) {
  std::vector<double> power = FramePowers(samples, n);
  if (power.empty()) {
    return 0;
  }
  const double loud = LoudLevel(power);  // sorted from here on
  const auto take = std::max<std::size_t>(1, static_cast<std::size_t>(power.size() * kShare));
  double quiet = 0;
  for (std::size_t i = 0; i < take; ++i) {
    quiet += power[i];
  }
  return 10 * std::log10((loud + 1) / (quiet / take + 1));
}

}  // namespace varnel::listen

#include "listen/hiss.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace varnel::listen {
namespace {

// The RMS of a voice's loud frames at a usual microphone level (-14 dBFS).
constexpr double kUsualVoiceRms = 6600;
// A hiss of one or two units is barely one; a very loud voice needs none louder than this
// many times the floor.
constexpr double kSmallestHiss = 2;
constexpr double kLargestFloors = 8;

}  // namespace

int HissAmplitude(double loudRms, int floor, bool fixed) {
  if (fixed || loudRms <= 0) {
    return floor;
  }
  // The same distance below the voice whatever its level.
  const double amp = floor * loudRms / kUsualVoiceRms;
  return static_cast<int>(
      std::lround(std::clamp(amp, std::min(kSmallestHiss, 1.0 * floor), kLargestFloors * floor)));
}

void AddHiss(std::int16_t* samples, std::size_t n, std::uint32_t& seed, int amp) {
  // A generator of its own (xorshift): what is decoded depends on the audio alone.
  for (std::size_t i = 0; i < n; ++i) {
    seed ^= seed << 13;
    seed ^= seed >> 17;
    seed ^= seed << 5;
    const int v =
        samples[i] + static_cast<int>(seed % static_cast<std::uint32_t>(2 * amp + 1)) - amp;
    samples[i] = static_cast<std::int16_t>(std::clamp<int>(
        v, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
  }
}

}  // namespace varnel::listen

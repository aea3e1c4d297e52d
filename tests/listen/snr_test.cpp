// The signal-to-noise estimate that decides whether an utterance's noise is taken out.
#include "listen/snr.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace varnel::listen {
namespace {

// `quietMs` of a steady hiss of `hiss` at most, then `loudMs` of a tone peaking at `tone`
// with the same hiss under it.
std::vector<std::int16_t> Utterance(int quietMs, int loudMs, int hiss, int tone) {
  std::vector<std::int16_t> out;
  std::uint32_t seed = 12345;
  const int total = (quietMs + loudMs) * 16;
  for (int i = 0; i < total; ++i) {
    seed = seed * 1664525U + 1013904223U;
    const int noise = hiss > 0 ? static_cast<int>(seed >> 16) % (2 * hiss + 1) - hiss : 0;
    const int voice = i >= quietMs * 16 ? static_cast<int>(tone * std::sin(i * 0.2)) : 0;
    out.push_back(static_cast<std::int16_t>(noise + voice));
  }
  return out;
}

TEST(ListenSnr, EstimateFollowsTheRoom) {
  struct Case {
    const char* name;
    std::vector<std::int16_t> audio;
    double low, high;
  };
  const std::vector<Case> cases = {
      // Uniform hiss of peak h has power h^2/3; a sine of peak t, t^2/2.
      {"speech 20 dB above the hiss", Utterance(300, 700, 548, 4472), 18.5, 21.5},
      {"speech 40 dB above the hiss", Utterance(300, 700, 55, 4472), 38.5, 41.5},
      {"a file's digital silence is no noise", Utterance(300, 700, 0, 4472), 60, 80},
      {"noise alone", Utterance(1000, 0, 1000, 0), 0, 2},
      {"shorter than a frame", Utterance(5, 0, 1000, 0), 0, 0},
      {"nothing", {}, 0, 0},
  };
  for (const auto& c : cases) {
    const double snr = EstimateSnrDb(c.audio.data(), c.audio.size());
    EXPECT_GE(snr, c.low) << c.name;
    EXPECT_LE(snr, c.high) << c.name;
  }
}

// How loud the voice came in: its loud frames, whatever the silence around it.
TEST(ListenSnr, LoudRmsIsTheVoicesLevel) {
  struct Case {
    const char* name;
    std::vector<std::int16_t> audio;
    double low, high;
  };
  // A sine of peak t has an RMS of t / sqrt(2); uniform hiss of peak h, h / sqrt(3).
  const std::vector<Case> cases = {
      {"a voice with silence before it", Utterance(300, 700, 0, 4472), 3100, 3230},
      {"the same voice 30 dB quieter", Utterance(300, 700, 0, 141), 97, 103},
      {"more silence does not lower it", Utterance(2000, 700, 0, 4472), 3100, 3230},
      {"a hiss alone", Utterance(500, 0, 1000, 0), 570, 640},
      {"shorter than a frame", Utterance(5, 0, 1000, 0), 0, 0},
  };
  for (const auto& c : cases) {
    const double rms = LoudRms(c.audio.data(), c.audio.size());
    EXPECT_GE(rms, c.low) << c.name;
    EXPECT_LE(rms, c.high) << c.name;
  }
}

constexpr std::size_t Samples(int ms) {
  return static_cast<std::size_t>(ms) * 16;
}

// Speech stands above the pause that ends it; a steady sound the detector took for speech
// does not, however far it stands above the quiet before it.
TEST(ListenSnr, RiseAboveThePauseTellsSpeechFromASteadySound) {
  struct Case {
    const char* name;
    std::vector<std::int16_t> audio;
    std::size_t tail;
    double low, high;
  };
  auto then = [](std::vector<std::int16_t> a, const std::vector<std::int16_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  // A word dying away over the first 40 ms of an 80 ms pause.
  std::vector<std::int16_t> fading(Samples(80), 0);
  for (std::size_t i = 0; i < Samples(40); ++i) {
    fading[i] = static_cast<std::int16_t>(1500 * std::sin(i * 0.2) *
                                          (1 - static_cast<double>(i) / Samples(40)));
  }
  const std::vector<Case> cases = {
      {"speech, then silence", then(Utterance(300, 500, 0, 4472), Utterance(200, 0, 0, 0)),
       Samples(200), 60, 80},
      {"speech 20 dB above a hiss, then the hiss",
       then(Utterance(300, 500, 548, 4472), Utterance(200, 0, 548, 0)), Samples(200), 18, 23},
      {"speech fading into the pause", then(Utterance(300, 500, 0, 4472), fading), Samples(80), 40,
       80},
      {"a hiss coming on after silence", then(Utterance(300, 0, 0, 0), Utterance(800, 0, 30, 0)),
       Samples(80), 0, 3},
      {"a loud hiss coming on", then(Utterance(300, 0, 0, 0), Utterance(800, 0, 3000, 0)),
       Samples(200), 0, 3},
      {"no pause", Utterance(300, 500, 0, 4472), 0, 0, 0},
      {"pause longer than the audio", Utterance(0, 50, 0, 4472), Samples(100), 0, 0},
      {"nothing", {}, 0, 0, 0},
  };
  for (const auto& c : cases) {
    const double rise = RiseAboveTailDb(c.audio.data(), c.audio.size(), c.tail);
    EXPECT_GE(rise, c.low) << c.name;
    EXPECT_LE(rise, c.high) << c.name;
  }
}

}  // namespace
}  // namespace varnel::listen

// Fitting the model to a voice: the transform learned from speech whose means moved by a known
// transform is that transform, the prior holds a fit from little speech near the model, and the
// frames are laid against the phones they spoke.
#include "listen/voice_adaptation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace varnel::listen {
namespace {

constexpr int kA = 0;
constexpr int kB = 1;
constexpr int kSilence = 2;

// Three codebooks ("A", "B", silence) of four Gaussians, in streams of two and three.
GaussianModel SmallModel() {
  GaussianModel m;
  m.codebooks = 3;
  m.densities = 4;
  m.streamLengths = {2, 3};
  m.phones = {"A", "B", "SIL"};
  std::mt19937 random(7);
  std::uniform_real_distribution<float> spread(-6, 6);
  const std::size_t size = std::size_t{3} * 4 * 5;
  for (std::size_t i = 0; i < size; ++i) {
    m.means.push_back(spread(random));
    m.variances.push_back(0.05f);
  }
  return m;
}

struct Voice {
  MeanTransform moved;
  double noise = 0;  // standard deviation around the moved mean
};

// One utterance of `phones`, each `length` frames, each frame near one of its codebook's
// Gaussians as the voice moved it.
std::vector<float> Speak(const GaussianModel& m, const Voice& voice, const std::vector<int>& phones,
                         const std::vector<int>& lengths, std::mt19937& random) {
  std::uniform_int_distribution<int> density(0, m.densities - 1);
  std::normal_distribution<double> noise(0, voice.noise > 0 ? voice.noise : 1);
  std::vector<float> frames;
  for (std::size_t p = 0; p < phones.size(); ++p) {
    for (int t = 0; t < lengths[p]; ++t) {
      for (std::size_t s = 0; s < m.streamLengths.size(); ++s) {
        const std::size_t at = m.Offset(phones[p], static_cast<int>(s), density(random));
        const auto n = static_cast<std::size_t>(m.streamLengths[s]);
        for (std::size_t r = 0; r < n; ++r) {
          double x = voice.moved.b[s][r];
          for (std::size_t c = 0; c < n; ++c) {
            x += voice.moved.a[s][(r * n) + c] * m.means[at + c];
          }
          frames.push_back(static_cast<float>(x + (voice.noise > 0 ? noise(random) : 0)));
        }
      }
    }
  }
  return frames;
}

double LargestDifference(const MeanTransform& x, const MeanTransform& y) {
  double most = 0;
  for (std::size_t s = 0; s < x.a.size(); ++s) {
    for (std::size_t i = 0; i < x.a[s].size(); ++i) {
      most = std::max(most, std::fabs(x.a[s][i] - y.a[s][i]));
    }
    for (std::size_t i = 0; i < x.b[s].size(); ++i) {
      most = std::max(most, std::fabs(x.b[s][i] - y.b[s][i]));
    }
  }
  return most;
}

MeanTransform Moved(const GaussianModel& m, double scale, double shift, double mix) {
  MeanTransform t = IdentityTransform(m);
  for (std::size_t s = 0; s < t.a.size(); ++s) {
    const std::size_t n = t.b[s].size();
    for (std::size_t r = 0; r < n; ++r) {
      t.a[s][(r * n) + r] = scale;
      if (r + 1 < n) {
        t.a[s][(r * n) + r + 1] = mix;
      }
      t.b[s][r] = shift * (r % 2 == 0 ? 1 : -1);
    }
  }
  return t;
}

TEST(ListenVoiceAdaptation, LearnsHowTheVoiceMovedTheMeans) {
  const GaussianModel model = SmallModel();
  struct Case {
    const char* name;
    MeanTransform moved;
  };
  const std::vector<Case> cases = {
      {"a voice the model fits", IdentityTransform(model)},
      {"every sound shifted", Moved(model, 1.0, 0.4, 0.0)},
      {"scaled, shifted and mixed", Moved(model, 1.08, -0.3, 0.05)},
  };
  for (const auto& c : cases) {
    VoiceAdaptation adaptation(model);
    std::mt19937 random(1);
    const Voice voice{c.moved, 0.1};
    for (int u = 0; u < 30; ++u) {
      adaptation.Learn(Speak(model, voice, {kSilence, kA, kB, kSilence}, {6, 9, 9, 6}, random),
                       {kSilence, kA, kB, kSilence}, kSilence);
    }
    EXPECT_EQ(adaptation.Frames(), 30 * 18) << c.name << ": silence teaches nothing";
    EXPECT_LT(LargestDifference(adaptation.Estimate(0), c.moved), 0.03) << c.name;
  }
}

TEST(ListenVoiceAdaptation, PriorHoldsLittleSpeechNearTheModel) {
  const GaussianModel model = SmallModel();
  const MeanTransform identity = IdentityTransform(model);
  VoiceAdaptation adaptation(model);
  std::mt19937 random(2);
  const Voice voice{Moved(model, 1.0, 0.4, 0.0), 0.1};
  adaptation.Learn(Speak(model, voice, {kA, kB}, {9, 9}, random), {kA, kB}, kSilence);
  struct Case {
    double priorFrames;
    double mostFromModel;  // largest change from the model allowed
    double leastFromModel;
  };
  const std::vector<Case> cases = {
      {0, 1e9, 0.2},   // all the voice's shift
      {1e7, 1e-3, 0},  // next to none
  };
  for (const auto& c : cases) {
    const double change = LargestDifference(adaptation.Estimate(c.priorFrames), identity);
    EXPECT_LE(change, c.mostFromModel) << c.priorFrames;
    EXPECT_GE(change, c.leastFromModel) << c.priorFrames;
  }
}

TEST(ListenVoiceAdaptation, NothingLearnedChangesNothing) {
  const GaussianModel model = SmallModel();
  VoiceAdaptation adaptation(model);
  std::mt19937 random(3);
  const Voice voice{Moved(model, 1.0, 0.4, 0.0), 0};
  // Two frames cannot be three phones of three frames each.
  EXPECT_EQ(adaptation.Learn(Speak(model, voice, {kA}, {2}, random), {kA, kB, kA}, kSilence), 0);
  EXPECT_EQ(adaptation.Learn({}, {kA}, kSilence), 0);
  EXPECT_EQ(adaptation.Frames(), 0);
  EXPECT_EQ(LargestDifference(adaptation.Estimate(0), IdentityTransform(model)), 0);
}

TEST(ListenVoiceAdaptation, AlignsFramesToThePhonesSpoken) {
  const GaussianModel model = SmallModel();
  VoiceAdaptation adaptation(model);
  std::mt19937 random(4);
  const Voice voice{IdentityTransform(model), 0};
  struct Case {
    const char* name;
    std::vector<int> phones;
    std::vector<int> lengths;
    int minFrames;
    std::vector<int> want;
  };
  const std::vector<Case> cases = {
      {"three phones", {kA, kB, kA}, {4, 5, 6}, 3, {0, 0, 0, 0, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2}},
      {"a phone held long", {kSilence, kA}, {2, 7}, 1, {0, 0, 1, 1, 1, 1, 1, 1, 1}},
      {"too few frames for the phones", {kA, kB}, {2, 2}, 3, {}},
  };
  for (const auto& c : cases) {
    const auto frames = Speak(model, voice, c.phones, c.lengths, random);
    EXPECT_EQ(adaptation.Align(frames, c.phones, c.minFrames), c.want) << c.name;
  }
}

// The largest distance between a Gaussian's mean in `means` and where `voice` puts it, over
// `codebook`'s Gaussians.
double FarthestMean(const GaussianModel& m, const std::vector<float>& means, int codebook,
                    const MeanTransform& voice) {
  double most = 0;
  for (std::size_t s = 0; s < m.streamLengths.size(); ++s) {
    const auto n = static_cast<std::size_t>(m.streamLengths[s]);
    for (int d = 0; d < m.densities; ++d) {
      const std::size_t at = m.Offset(codebook, static_cast<int>(s), d);
      for (std::size_t r = 0; r < n; ++r) {
        double want = voice.b[s][r];
        for (std::size_t c = 0; c < n; ++c) {
          want += voice.a[s][(r * n) + c] * m.means[at + c];
        }
        most = std::max(most, std::fabs(means[at + r] - want));
      }
    }
  }
  return most;
}

TEST(ListenVoiceAdaptation, MovesEachHeardMeanToTheVoicesOwnSound) {
  const GaussianModel model = SmallModel();
  // An accent that says one phone higher and the other lower: no one transform fits both.
  const Voice higher{Moved(model, 1.0, 0.5, 0.0), 0.1};
  const Voice lower{Moved(model, 1.0, -0.5, 0.0), 0.1};
  VoiceAdaptation adaptation(model);
  std::mt19937 random(5);
  for (int u = 0; u < 40; ++u) {
    std::vector<float> frames = Speak(model, higher, {kA}, {9}, random);
    const std::vector<float> second = Speak(model, lower, {kB}, {9}, random);
    frames.insert(frames.end(), second.begin(), second.end());
    adaptation.Learn(frames, {kA, kB}, kSilence);
  }
  const MeanTransform transform = adaptation.Estimate(0);
  struct Case {
    double priorFrames;
    double mostFromVoice;  // for the phones heard
  };
  const std::vector<Case> cases = {
      {1, 0.06},   // each mean where the voice said it
      {10, 0.15},  // most of the way
  };
  for (const auto& c : cases) {
    const std::vector<float> means = adaptation.AdaptedMeans(transform, c.priorFrames);
    EXPECT_LT(FarthestMean(model, means, kA, higher.moved), c.mostFromVoice) << c.priorFrames;
    EXPECT_LT(FarthestMean(model, means, kB, lower.moved), c.mostFromVoice) << c.priorFrames;
    EXPECT_LT(FarthestMean(model, means, kSilence, transform), 1e-4)
        << "a phone not heard takes the transform alone";
  }
  const std::vector<float> held = adaptation.AdaptedMeans(transform, 1e9);
  EXPECT_LT(FarthestMean(model, held, kA, transform), 1e-4) << "a strong prior keeps the transform";
  EXPECT_GT(FarthestMean(model, held, kA, higher.moved), 0.3) << "which cannot reach this voice";
}

TEST(ListenVoiceAdaptation, WritesTheDecodersTransformForm) {
  GaussianModel model = SmallModel();
  const MeanTransform t = Moved(model, 1.5, 0.25, -0.125);
  std::ostringstream out;
  WriteTransform(t, out);
  std::istringstream in(out.str());
  int classes = 0;
  int streams = 0;
  in >> classes >> streams;
  EXPECT_EQ(classes, 1);
  ASSERT_EQ(streams, 2);
  for (int s = 0; s < streams; ++s) {
    std::size_t n = 0;
    in >> n;
    ASSERT_EQ(n, t.b[s].size());
    for (std::size_t i = 0; i < n * n; ++i) {
      double v = 0;
      in >> v;
      EXPECT_EQ(v, t.a[s][i]);
    }
    for (std::size_t i = 0; i < n; ++i) {
      double v = 0;
      in >> v;
      EXPECT_EQ(v, t.b[s][i]);
    }
    for (std::size_t i = 0; i < n; ++i) {
      double v = 0;
      in >> v;
      EXPECT_EQ(v, 1.0) << "variances unchanged";
    }
  }
  std::string rest;
  EXPECT_FALSE(in >> rest) << "nothing after the last stream";
}

}  // namespace
}  // namespace varnel::listen

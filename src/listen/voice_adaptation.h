// Fitting the acoustic model to the voice it hears. Each command the user says is aligned to the
// phones of what was heard, and the frames gather, Gaussian by Gaussian, how far the voice lies
// from the model's means; one linear transform of all the means (one for each part of the
// feature vector) is then the best fit to everything gathered so far. An accent moves most
// sounds the same way, so a few dozen commands are enough for it; the sounds it says as others
// are then moved one by one, each by what its own Gaussians heard.
#pragma once

#include <ostream>
#include <vector>

#include "listen/gaussian_model.h"

namespace varnel::listen {

// New means are a * mean + b, for each stream of the feature vector.
struct MeanTransform {
  std::vector<std::vector<double>> a;  // per stream, rows of the square matrix, row after row
  std::vector<std::vector<double>> b;  // per stream
};

// The transform that changes nothing.
MeanTransform IdentityTransform(const GaussianModel& model);

class VoiceAdaptation {
 public:
  explicit VoiceAdaptation(const GaussianModel& model);

  // Learns from one utterance whose frames spoke `sequence`'s phones; frames aligned to
  // `silence` teach nothing. Returns the frames learned from (0 when they would not align).
  long Learn(const std::vector<float>& frames, const std::vector<int>& sequence, int silence);
  long Frames() const { return frames_; }
  // Which of `sequence`'s phones (codebooks) each frame belongs to, in order, each phone
  // taking at least `minFrames` frames and the best fit overall; empty when the frames are too
  // few. `frames` holds one feature vector after another.
  std::vector<int> Align(const std::vector<float>& frames, const std::vector<int>& sequence,
                         int minFrames) const;
  // The transform that best fits what was learned, as if `priorFrames` frames more had fitted
  // the model unchanged: the fewer frames learned, the nearer it stays to changing nothing.
  MeanTransform Estimate(double priorFrames) const;
  // Every mean moved by `transform`, then each toward the frames its own Gaussian learned
  // from, as if `priorFrames` frames had fitted the moved mean: a Gaussian heard often comes
  // to the voice's own sound, which one transform of all of them cannot reach (an accent's
  // vowel said as another). Laid out as the model's means.
  std::vector<float> AdaptedMeans(const MeanTransform& transform, double priorFrames) const;

 private:
  // Log likelihood of one stream of a frame under each of a codebook's Gaussians, all
  // weighted alike; `each` gets them when given. Returns the codebook's.
  double StreamFit(const float* frame, int codebook, int stream, std::vector<double>* each) const;
  double FrameFit(const float* frame, int codebook) const;

  const GaussianModel& model_;
  std::vector<double> inverseVariances_;  // laid out as the model's means
  std::vector<double> logNormalisers_;    // codebook, stream, density
  std::vector<int> streamStarts_;         // where each stream starts in a feature vector
  std::vector<double> occupancy_;         // codebook, stream, density
  std::vector<double> sums_;              // laid out as the model's means
  long frames_ = 0;
};

// The decoder's text form of a transform: one class, then for each stream its length, the
// matrix, the offset and a variance scale of one.
void WriteTransform(const MeanTransform& transform, std::ostream& out);

}  // namespace varnel::listen

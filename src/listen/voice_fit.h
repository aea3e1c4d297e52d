// Keeps the decoder's acoustic model fitted to the user's voice: every command heard teaches the
// adaptation, and once enough speech has been learned each new estimate replaces the model's
// transform. Runs on the recogniser's worker, after the command has been reported.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "listen/gaussian_model.h"
#include "listen/voice_adaptation.h"

struct ps_decoder_s;
struct fe_s;
struct feat_s;

namespace varnel::listen {

class VoiceFit {
 public:
  // `meanPriorFrames` above 0 also moves each Gaussian's mean on its own (see
  // VoiceAdaptation::AdaptedMeans); 0 fits the one transform only.
  VoiceFit(ps_decoder_s* decoder, double priorFrames, double meanPriorFrames, long minFrames,
           bool verbose);
  ~VoiceFit();
  VoiceFit(const VoiceFit&) = delete;
  VoiceFit& operator=(const VoiceFit&) = delete;

  // Loads the model's Gaussians and a front end like the decoder's; false, with `error`, for
  // a model it cannot fit (one that is not phonetically tied).
  bool Open(const std::string& modelFolder, std::string& error);
  // Learns from a command heard in `audio` as the decoder's words `names` (alternates marked
  // "(2)", silences and fillers among them), and refits the model when it is time. Between
  // utterances only: the decoder must be idle.
  void Learn(const std::vector<std::int16_t>& audio, const std::vector<std::string>& names);
  long FramesLearned() const { return adaptation_ ? adaptation_->Frames() : 0; }

 private:
  std::vector<float> Features(const std::vector<std::int16_t>& audio);
  bool Apply(const MeanTransform& transform);
  bool ApplyMeans(const std::vector<float>& means);
  std::string MeansPath() const;  // the file in memory, by a name the decoder can open

  ps_decoder_s* decoder_;
  double priorFrames_;
  double meanPriorFrames_;
  long minFrames_;
  bool verbose_;
  GaussianModel model_;
  std::unique_ptr<VoiceAdaptation> adaptation_;
  fe_s* frontEnd_ = nullptr;
  feat_s* features_ = nullptr;
  int silence_ = -1;
  // The adapted means, in memory: the decoder reloads its means from a file named in its
  // configuration whenever it is given a transform.
  int meansFile_ = -1;
  std::string modelMeans_;  // the model's own, named again should the file fail
};

}  // namespace varnel::listen

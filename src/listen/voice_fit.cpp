#include "listen/voice_fit.h"

#include "listen/decoder_setup.h"

#include <pocketsphinx.h>
#include <sphinxbase/fe.h>
#include <sphinxbase/feat.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace varnel::listen {
namespace {

constexpr const char* kSilencePhone = "SIL";
// Where the decoder keeps the means file it found in the model folder, and reloads it from.
constexpr const char* kMeansKey = "_mean";

// Whether the decoder's name is a silence or a filler ("<sil>", "[NOISE]", "+breath+").
bool IsFiller(const std::string& name) {
  return name.empty() || name.front() == '<' || name.front() == '[' || name.front() == '+';
}

// The streams the model's Gaussians split the feature vector into, as the decoder's
// "-svspec" writes them: "0-12/13-25/26-38".
std::string StreamSpec(const std::vector<int>& lengths) {
  std::string spec;
  int start = 0;
  for (const int length : lengths) {
    if (!spec.empty()) {
      spec += '/';
    }
    spec += std::to_string(start) + "-" + std::to_string(start + length - 1);
    start += length;
  }
  return spec;
}

}  // namespace

VoiceFit::VoiceFit(ps_decoder_s* decoder, double priorFrames, double meanPriorFrames,
                   long minFrames, bool verbose)
    : decoder_(decoder),
      priorFrames_(priorFrames),
      meanPriorFrames_(meanPriorFrames),
      minFrames_(minFrames),
      verbose_(verbose) {}

VoiceFit::~VoiceFit() {
  if (meansFile_ >= 0) {
    close(meansFile_);
  }
  if (features_ != nullptr) {
    feat_free(features_);
  }
  if (frontEnd_ != nullptr) {
    fe_free(frontEnd_);
  }
}

bool VoiceFit::Open(const std::string& modelFolder, std::string& error) {
  if (!LoadGaussianModel(modelFolder, &model_, error)) {
    return false;
  }
  silence_ = model_.CodebookOf(kSilencePhone);
  cmd_ln_t* config = ps_get_config(decoder_);
  const char* spec = cmd_ln_str_r(config, "-svspec");
  if (model_.streamLengths.size() > 1 &&
      (spec == nullptr || StreamSpec(model_.streamLengths) != spec)) {
    error = "the model's streams are not the feature vector's parts in order";
    return false;
  }
  frontEnd_ = fe_init_auto_r(config);
  const char* type = cmd_ln_str_r(config, "-feat");
  features_ =
      frontEnd_ == nullptr || type == nullptr
          ? nullptr
          : feat_init(type, CMN_BATCH, FALSE, AGC_NONE, FALSE, cmd_ln_int32_r(config, "-ceplen"));
  if (features_ == nullptr || static_cast<int>(feat_dimension(features_)) != model_.Dimensions() ||
      silence_ < 0) {
    error = "the model's features cannot be made for fitting it";
    return false;
  }
  if (meanPriorFrames_ > 0) {
    const char* means = cmd_ln_str_r(config, kMeansKey);
    modelMeans_ = means != nullptr ? means : "";
    meansFile_ = memfd_create("varnel-listen-means", MFD_CLOEXEC);
    // The decoder opens the file by name and stops the program when it cannot.
    if (meansFile_ >= 0 && (modelMeans_.empty() || !std::ifstream(MeansPath()))) {
      close(meansFile_);
      meansFile_ = -1;
    }
    if (meansFile_ < 0) {
      std::fprintf(stderr,
                   "varnel-listen: fitting the model to the voice as a whole only: no "
                   "file in memory for each sound's fit\n");
    }
  }
  adaptation_ = std::make_unique<VoiceAdaptation>(model_);
  return true;
}

std::vector<float> VoiceFit::Features(const std::vector<std::int16_t>& audio) {
  mfcc_t** cepstra = nullptr;
  std::int32_t count = 0;
  if (fe_start_utt(frontEnd_) < 0 ||
      fe_process_utt(frontEnd_, audio.data(), audio.size(), &cepstra, &count) < 0 || count <= 0) {
    return {};
  }
  mfcc_t*** out = feat_array_alloc(features_, count + feat_window_size(features_));
  std::int32_t consumed = count;
  const std::int32_t made = feat_s2mfc2feat_live(features_, cepstra, &consumed, TRUE, TRUE, out);
  fe_free_2d(cepstra);
  const auto dims = static_cast<std::size_t>(model_.Dimensions());
  std::vector<float> frames;
  frames.reserve(static_cast<std::size_t>(std::max(made, 0)) * dims);
  for (std::int32_t t = 0; t < made; ++t) {
    frames.insert(frames.end(), out[t][0], out[t][0] + dims);
  }
  feat_array_free(out);
  return frames;
}

void VoiceFit::Learn(const std::vector<std::int16_t>& audio,
                     const std::vector<std::string>& names) {
  std::vector<int> sequence = {silence_};
  for (const auto& name : names) {
    if (IsFiller(name)) {
      continue;
    }
    char* pron = ps_lookup_word(decoder_, name.c_str());
    if (pron == nullptr) {
      return;  // a word the decoder no longer has: nothing safe to learn
    }
    std::istringstream phones(pron);
    std::free(pron);
    std::string phone;
    while (phones >> phone) {
      const int codebook = model_.CodebookOf(phone);
      if (codebook < 0) {
        return;
      }
      sequence.push_back(codebook);
    }
  }
  sequence.push_back(silence_);
  if (sequence.size() <= 2) {
    return;
  }
  const double start = ThreadCpuMs();
  const long learned = adaptation_->Learn(Features(audio), sequence, silence_);
  if (learned == 0 || adaptation_->Frames() < minFrames_) {
    return;
  }
  const MeanTransform transform = adaptation_->Estimate(priorFrames_);
  const bool fitted = meansFile_ >= 0
                          ? ApplyMeans(adaptation_->AdaptedMeans(transform, meanPriorFrames_))
                          : Apply(transform);
  if (fitted && verbose_) {
    std::fprintf(stderr,
                 "varnel-listen: fitted the model to the voice (%ld frames learned, %.0f ms)\n",
                 adaptation_->Frames(), ThreadCpuMs() - start);
  }
}

bool VoiceFit::Apply(const MeanTransform& transform) {
  // The decoder reads a transform from a file only.
  std::string path = (std::filesystem::temp_directory_path() / "varnel-listen-fit-XXXXXX").string();
  const int fd = mkstemp(path.data());
  if (fd < 0) {
    return false;
  }
  close(fd);
  {
    std::ofstream out(path);
    WriteTransform(transform, out);
  }
  ps_mllr_t* mllr = ps_mllr_read(path.c_str());
  std::filesystem::remove(path);
  return mllr != nullptr && ps_update_mllr(decoder_, mllr) != nullptr;
}

std::string VoiceFit::MeansPath() const {
  return "/proc/self/fd/" + std::to_string(meansFile_);
}

bool VoiceFit::ApplyMeans(const std::vector<float>& means) {
  const std::string bytes =
      GaussianFileBytes(model_.codebooks, model_.densities, model_.streamLengths, means);
  cmd_ln_t* config = ps_get_config(decoder_);
  if (ftruncate(meansFile_, 0) != 0 ||
      pwrite(meansFile_, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
    // The decoder stops the program on means it cannot read: it keeps the ones it has, and
    // the model's own are named for any reload until a fit is written whole.
    cmd_ln_set_str_r(config, kMeansKey, modelMeans_.c_str());
    return false;
  }
  cmd_ln_set_str_r(config, kMeansKey, MeansPath().c_str());
  return Apply(IdentityTransform(model_));
}

}  // namespace varnel::listen

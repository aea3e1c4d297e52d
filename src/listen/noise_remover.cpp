#include "listen/noise_remover.h"

#include "listen/audio_source.h"

#include <sphinxbase/cmd_ln.h>
#include <sphinxbase/fe.h>

#include <algorithm>

namespace varnel::listen {
namespace {

constexpr std::size_t kFrameShift = kSampleRate / 100;  // 10 ms frames
// Room for the samples held over from the piece before, too.
constexpr std::size_t kSpareRows = 4;

}  // namespace

NoiseRemover::~NoiseRemover() {
  if (frontEnd_ != nullptr) {
    fe_free(frontEnd_);
  }
}

bool NoiseRemover::Open(cmd_ln_s* decoderConfig) {
  cmd_ln_set_boolean_r(decoderConfig, "-remove_noise", TRUE);
  frontEnd_ = fe_init_auto_r(decoderConfig);
  cmd_ln_set_boolean_r(decoderConfig, "-remove_noise", FALSE);
  return frontEnd_ != nullptr;
}

void NoiseRemover::Start() {
  fe_start_utt(frontEnd_);
}

int NoiseRemover::Chunk(const std::int16_t* samples, std::size_t n) {
  const auto width = static_cast<std::size_t>(fe_get_output_size(frontEnd_));
  const std::size_t rows = n / kFrameShift + kSpareRows;
  if (rows_.size() < rows) {
    cepstra_.resize(rows * width);
    rows_.resize(rows);
  }
  for (std::size_t i = 0; i < rows; ++i) {
    rows_[i] = cepstra_.data() + i * width;
  }
  auto frames = static_cast<std::int32_t>(rows - 1);
  if (fe_process_frames(frontEnd_, &samples, &n, rows_.data(), &frames, nullptr) < 0) {
    return -1;
  }
  return frames;
}

int NoiseRemover::Whole(const std::int16_t* samples, std::size_t n) {
  Start();
  int frames = Chunk(samples, n);
  if (frames >= 0) {
    // Chunk leaves a spare row past its frames for the last one.
    std::int32_t tail = 0;
    fe_end_utt(frontEnd_, rows_[static_cast<std::size_t>(frames)], &tail);
    frames += tail;
  }
  wholeFrames_ = std::max(frames, 0);
  return frames;
}

int NoiseRemover::Finish(std::vector<float>& tail) {
  tail.assign(static_cast<std::size_t>(fe_get_output_size(frontEnd_)), 0.0F);
  std::int32_t frames = 0;
  fe_end_utt(frontEnd_, tail.data(), &frames);
  return frames;
}

}  // namespace varnel::listen

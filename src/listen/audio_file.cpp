#include "listen/audio_file.h"

#include <fcntl.h>
#include <samplerate.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace varnel::listen {
namespace {

// Frames read from the file at a time: 64 ms at 16 kHz, less than a second at any rate.
constexpr sf_count_t kFramesPerRead = 1024;
// Good enough for speech and many times faster than real time.
constexpr int kResamplerQuality = SRC_SINC_MEDIUM_QUALITY;
// Room in the resampler's output beyond the ratio's share, for the filter's delay.
constexpr long kResamplerSlack = 64;

// Raw samples: stdin, or a file with no header libsndfile knows.
class RawSource final : public AudioSource {
 public:
  RawSource(std::FILE* f, bool owned) : f_(f), owned_(owned) {}
  ~RawSource() override {
    if (owned_) {
      std::fclose(f_);
    }
  }
  RawSource(const RawSource&) = delete;
  RawSource& operator=(const RawSource&) = delete;

  long Read(std::int16_t* samples, std::size_t n) override {
    // fread blocks until all of them or the end, as a pipe fed in real time needs.
    const std::size_t got = std::fread(samples, sizeof(std::int16_t), n, f_);
    if (got == 0 && std::ferror(f_) != 0) {
      return -1;
    }
    return static_cast<long>(got);
  }

 private:
  std::FILE* f_;
  bool owned_;
};

// A file libsndfile decodes, mixed down to mono and, at another rate, resampled.
class DecodedSource final : public AudioSource {
 public:
  DecodedSource(SNDFILE* file, const SF_INFO& info, SRC_STATE* resampler)
      : file_(file),
        channels_(info.channels),
        ratio_(static_cast<double>(kSampleRate) / info.samplerate),
        resampler_(resampler),
        frames_(static_cast<std::size_t>(kFramesPerRead * info.channels)) {}
  ~DecodedSource() override {
    if (resampler_ != nullptr) {
      src_delete(resampler_);
    }
    sf_close(file_);
  }
  DecodedSource(const DecodedSource&) = delete;
  DecodedSource& operator=(const DecodedSource&) = delete;

  long Read(std::int16_t* samples, std::size_t n) override {
    std::size_t got = 0;
    while (got < n) {
      if (next_ == ready_.size() && !Refill()) {
        break;
      }
      const std::size_t take = std::min(n - got, ready_.size() - next_);
      // Clips what lies beyond full scale rather than wrapping it.
      src_float_to_short_array(ready_.data() + next_, samples + got, static_cast<int>(take));
      next_ += take;
      got += take;
    }
    return got == 0 && failed_ ? -1 : static_cast<long>(got);
  }

 private:
  // Decodes the next frames into ready_; false at the end of the audio or on failure.
  bool Refill() {
    ready_.clear();
    next_ = 0;
    while (ready_.empty() && !ended_) {
      const sf_count_t read = sf_readf_float(file_, frames_.data(), kFramesPerRead);
      if (read <= 0 && sf_error(file_) != SF_ERR_NO_ERROR) {
        failed_ = true;
        return false;
      }
      MixDown(static_cast<std::size_t>(std::max<sf_count_t>(read, 0)));
      if (resampler_ == nullptr) {
        ready_.swap(mono_);
        ended_ = read <= 0;
      } else if (!Resample(read <= 0)) {
        failed_ = true;
        return false;
      }
    }
    return !ready_.empty();
  }

  void MixDown(std::size_t frames) {
    mono_.assign(frames, 0.0F);
    for (std::size_t i = 0; i < frames; ++i) {
      float sum = 0.0F;
      for (int c = 0; c < channels_; ++c) {
        sum += frames_[i * static_cast<std::size_t>(channels_) + static_cast<std::size_t>(c)];
      }
      mono_[i] = sum / static_cast<float>(channels_);
    }
  }

  // Resamples mono_ into ready_; at the end, drains what the filter still holds.
  bool Resample(bool last) {
    std::size_t used = 0;
    do {
      const long left = static_cast<long>(mono_.size() - used);
      const auto room = static_cast<long>(static_cast<double>(left) * ratio_) + kResamplerSlack;
      const std::size_t before = ready_.size();
      ready_.resize(before + static_cast<std::size_t>(room));
      SRC_DATA data{};
      data.data_in = mono_.data() + used;
      data.input_frames = left;
      data.data_out = ready_.data() + before;
      data.output_frames = room;
      data.end_of_input = last ? 1 : 0;
      data.src_ratio = ratio_;
      if (src_process(resampler_, &data) != 0) {
        return false;
      }
      used += static_cast<std::size_t>(data.input_frames_used);
      ready_.resize(before + static_cast<std::size_t>(data.output_frames_gen));
      if (last && data.output_frames_gen == 0) {
        ended_ = true;
      }
    } while (used < mono_.size() || (last && !ended_));
    return true;
  }

  SNDFILE* file_;
  int channels_;
  double ratio_;
  SRC_STATE* resampler_;
  std::vector<float> frames_;
  std::vector<float> mono_;
  std::vector<float> ready_;
  std::size_t next_ = 0;
  bool ended_ = false;
  bool failed_ = false;
};

std::unique_ptr<AudioSource> Decode(SNDFILE* file, const SF_INFO& info, const std::string& path,
                                    std::string& error) {
  SRC_STATE* resampler = nullptr;
  if (info.samplerate != kSampleRate) {
    const double ratio = static_cast<double>(kSampleRate) / info.samplerate;
    int failure = 0;
    if (src_is_valid_ratio(ratio) != 0) {
      resampler = src_new(kResamplerQuality, 1, &failure);
    }
    if (resampler == nullptr) {
      error = "cannot resample " + path + " from " + std::to_string(info.samplerate) + " Hz";
      sf_close(file);
      return nullptr;
    }
  }
  return std::make_unique<DecodedSource>(file, info, resampler);
}

}  // namespace

std::unique_ptr<AudioSource> OpenAudioFile(const std::string& path, std::string& error) {
  if (path == "-") {
    return std::make_unique<RawSource>(stdin, false);
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  SF_INFO info{};
  if (SNDFILE* file = sf_open_fd(fd, SFM_READ, &info, SF_TRUE)) {
    return Decode(file, info, path, error);
  }
  // sf_open_fd closes the descriptor when it fails, too. A pipe that is not audio has lost
  // the few bytes libsndfile looked at; a file is read again from its start.
  if (sf_error(nullptr) != SF_ERR_UNRECOGNISED_FORMAT) {
    error = "cannot read " + path + ": " + sf_strerror(nullptr);
    return nullptr;
  }
  std::FILE* raw = std::fopen(path.c_str(), "rb");
  if (raw == nullptr) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  return std::make_unique<RawSource>(raw, true);
}

}  // namespace varnel::listen

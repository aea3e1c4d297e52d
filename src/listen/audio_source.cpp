#include "listen/audio_source.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <span>

#include "listen/wav_format.h"

namespace varnel::listen {
namespace {

class PulseSource final : public AudioSource {
 public:
  explicit PulseSource(pa_simple* s) : s_(s) {}
  ~PulseSource() override { pa_simple_free(s_); }
  PulseSource(const PulseSource&) = delete;
  PulseSource& operator=(const PulseSource&) = delete;

  long Read(std::int16_t* samples, std::size_t n) override {
    int err = 0;
    if (pa_simple_read(s_, samples, n * sizeof(std::int16_t), &err) < 0) {
      return -1;
    }
    return static_cast<long>(n);
  }

 private:
  pa_simple* s_;
};

class FileSource final : public AudioSource {
 public:
  FileSource(std::FILE* f, bool owned) : f_(f), owned_(owned) {}
  ~FileSource() override {
    if (owned_) {
      std::fclose(f_);
    }
  }
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  // Leftover bytes of the header probe count as audio for raw input.
  void Unread(const unsigned char* bytes, std::size_t n) { pending_.assign(bytes, bytes + n); }
  void Limit(std::size_t bytes) { remaining_ = bytes; }

  long Read(std::int16_t* samples, std::size_t n) override {
    std::size_t want = n * sizeof(std::int16_t);
    if (want > remaining_) {
      want = remaining_ - remaining_ % 2;
    }
    auto* out = reinterpret_cast<unsigned char*>(samples);
    std::size_t got = 0;
    while (got < want && !pending_.empty()) {
      out[got++] = static_cast<unsigned char>(pending_.front());
      pending_.erase(pending_.begin());
    }
    while (got < want) {
      const std::size_t r = std::fread(out + got, 1, want - got, f_);
      if (r == 0) {
        break;
      }
      got += r;
    }
    if (got == 0 && std::ferror(f_)) {
      return -1;
    }
    remaining_ -= got;
    return static_cast<long>(got / sizeof(std::int16_t));
  }

 private:
  std::FILE* f_;
  bool owned_;
  std::string pending_;
  std::size_t remaining_ = SIZE_MAX;
};

// Walks the RIFF chunks up to "data", checking the format on the way.
bool ReadWavHeader(std::FILE* f, FileSource& src, std::string& error) {
  std::array<unsigned char, 8> chunk{};
  bool haveFormat = false;
  while (std::fread(chunk.data(), 1, chunk.size(), f) == chunk.size()) {
    const std::uint32_t size = LittleEndian32(chunk, 4);
    if (std::memcmp(chunk.data(), "fmt ", 4) == 0) {
      std::array<unsigned char, kWavFormatMaxBytes> fmt{};
      const std::size_t want = std::min<std::size_t>(size, fmt.size());
      if (std::fread(fmt.data(), 1, want, f) != want) {
        break;
      }
      const WavFormat format = JudgeWavFormat(std::span(fmt.data(), want), size);
      if (format == WavFormat::kMalformed) {
        break;
      }
      if (format == WavFormat::kUnsupported) {
        error = "WAV input must be 16 kHz mono 16-bit PCM";
        return false;
      }
      haveFormat = true;
      if (std::fseek(f, static_cast<long>(size - want) + static_cast<long>(size & 1), SEEK_CUR) !=
          0) {
        break;
      }
    } else if (std::memcmp(chunk.data(), "data", 4) == 0) {
      if (!haveFormat) {
        break;
      }
      src.Limit(size);
      return true;
    } else if (std::fseek(f, static_cast<long>(size) + static_cast<long>(size & 1), SEEK_CUR) !=
               0) {
      break;
    }
  }
  error = "malformed WAV file";
  return false;
}

}  // namespace

std::unique_ptr<AudioSource> OpenMicrophone(int bufferMs, std::string& error) {
  const pa_sample_spec spec{PA_SAMPLE_S16LE, kSampleRate, 1};
  pa_buffer_attr attr{};
  attr.maxlength = static_cast<std::uint32_t>(-1);
  attr.fragsize = static_cast<std::uint32_t>(kSampleRate * 2 * bufferMs / 1000);
  int err = 0;
  pa_simple* s = pa_simple_new(nullptr, "varnel-listen", PA_STREAM_RECORD, nullptr,
                               "voice commands", &spec, nullptr, &attr, &err);
  if (s == nullptr) {
    error = std::string("cannot open the microphone: ") + pa_strerror(err);
    return nullptr;
  }
  return std::make_unique<PulseSource>(s);
}

std::unique_ptr<AudioSource> OpenAudioFile(const std::string& path, std::string& error) {
  const bool useStdin = path == "-";
  std::FILE* f = useStdin ? stdin : std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  auto src = std::make_unique<FileSource>(f, !useStdin);
  if (useStdin) {
    return src;
  }
  unsigned char head[12];
  const std::size_t n = std::fread(head, 1, sizeof head, f);
  if (n == sizeof head && std::memcmp(head, "RIFF", 4) == 0 &&
      std::memcmp(head + 8, "WAVE", 4) == 0) {
    if (!ReadWavHeader(f, *src, error)) {
      return nullptr;
    }
  } else {
    src->Unread(head, n);
  }
  return src;
}

}  // namespace varnel::listen

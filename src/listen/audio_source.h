// Where varnel-listen's audio comes from: the microphone here, a file or stdin in
// audio_file.h. Always 16 kHz mono signed 16-bit samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace varnel::listen {

inline constexpr int kSampleRate = 16000;

class AudioSource {
 public:
  virtual ~AudioSource() = default;
  // Blocks until up to `n` samples are read. Returns the count; 0 at the end; -1 on failure.
  virtual long Read(std::int16_t* samples, std::size_t n) = 0;
};

// The default PulseAudio source through the simple API, reading `bufferMs` at a time.
std::unique_ptr<AudioSource> OpenMicrophone(int bufferMs, std::string& error);

}  // namespace varnel::listen

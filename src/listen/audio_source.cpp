#include "listen/audio_source.h"

#include <pulse/error.h>
#include <pulse/simple.h>

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

}  // namespace varnel::listen

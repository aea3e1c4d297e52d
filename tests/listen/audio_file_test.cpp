// Files for --input in the formats recorders write, read back as 16 kHz mono samples.
#include "listen/audio_file.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

#include "unit/temp_folder.h"

namespace varnel::listen {
namespace {

constexpr double kToneHz = 440.0;
constexpr double kToneLevel = 0.5;
constexpr double kSeconds = 0.25;
constexpr double kFullScale = 32768.0;

class AudioFileTest : public ::testing::Test {
 protected:
  std::string PathOf(const std::string& name) const { return dir_.File(name); }

  // A tone in every channel, written by libsndfile in `format`.
  std::string WriteTone(const std::string& name, int format, int rate, int channels) const {
    std::string path = PathOf(name);
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
    if (file == nullptr) {
      return path;
    }
    const auto frames = static_cast<std::size_t>(kSeconds * rate);
    std::vector<float> samples;
    for (std::size_t i = 0; i < frames; ++i) {
      const double t = static_cast<double>(i) / rate;
      const auto value =
          static_cast<float>(kToneLevel * std::sin(2 * std::numbers::pi * kToneHz * t));
      samples.insert(samples.end(), static_cast<std::size_t>(channels), value);
    }
    sf_writef_float(file, samples.data(), static_cast<sf_count_t>(frames));
    sf_close(file);
    return path;
  }

  void WriteBytes(const std::string& name, const std::string& bytes) const {
    test::WriteBytes(PathOf(name), bytes);
  }

  static std::vector<std::int16_t> ReadAll(AudioSource& source) {
    std::vector<std::int16_t> all;
    std::vector<std::int16_t> chunk(700);
    for (long n = 0; (n = source.Read(chunk.data(), chunk.size())) > 0;) {
      all.insert(all.end(), chunk.begin(), chunk.begin() + n);
    }
    return all;
  }

  test::TempFolder dir_;
};

struct ToneCase {
  const char* name;
  int format;
  int rate;
  int channels;
};

// Whatever the file holds, the decoder gets the tone at 16 kHz: as long, as loud and at the
// same pitch.
TEST_F(AudioFileTest, ReadsTheFormatsRecordersWriteAsSixteenKilohertzMono) {
  const ToneCase cases[] = {
      {"s16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 16000, 1},
      {"stereo-cd.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2},
      {"espeak.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 1},
      {"phone.wav", SF_FORMAT_WAV | SF_FORMAT_ULAW, 8000, 1},
      {"studio.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 48000, 1},
      {"float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 16000, 1},
      {"u8.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 16000, 1},
      {"extensible.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 16000, 1},
      {"voice.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 16000, 1},
      {"voice.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 48000, 2},
      {"voice.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 32000, 1},
      {"memo.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000, 1},
      {"podcast.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, 2},
  };
  for (const ToneCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = WriteTone(c.name, c.format, c.rate, c.channels);
    std::string error;
    const auto source = OpenAudioFile(path, error);
    ASSERT_NE(source, nullptr) << error;
    const std::vector<std::int16_t> samples = ReadAll(*source);

    EXPECT_NEAR(static_cast<double>(samples.size()), kSeconds * kSampleRate, 40.0);
    double energy = 0;
    int crossings = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
      energy += std::pow(samples[i] / kFullScale, 2);
      crossings += i > 0 && (samples[i - 1] < 0) != (samples[i] < 0) ? 1 : 0;
    }
    const double rms = std::sqrt(energy / static_cast<double>(samples.size()));
    EXPECT_NEAR(rms, kToneLevel / std::numbers::sqrt2, 0.03);
    EXPECT_NEAR(crossings, 2 * kToneHz * kSeconds, 4);
  }
}

// 16 kHz mono 16-bit PCM in a WAV and raw samples without a header reach the decoder as
// they stand, down to the last bit.
TEST_F(AudioFileTest, KeepsSixteenKilohertzSamplesExact) {
  // Values spread over the whole range, both extremes near.
  std::vector<std::int16_t> samples(5000);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<std::int16_t>(static_cast<int>(i * 7919 % 65536) - 32768);
  }
  {
    SF_INFO info{};
    info.samplerate = kSampleRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(PathOf("exact.wav").c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    sf_write_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(file);
  }
  WriteBytes("exact.raw", std::string(reinterpret_cast<const char*>(samples.data()),
                                      samples.size() * sizeof(std::int16_t)));
  for (const char* name : {"exact.wav", "exact.raw"}) {
    SCOPED_TRACE(name);
    std::string error;
    const auto source = OpenAudioFile(PathOf(name), error);
    ASSERT_NE(source, nullptr) << error;
    EXPECT_EQ(ReadAll(*source), samples);
  }
}

struct BytesCase {
  const char* name;
  std::string bytes;
  const char* error;  // empty: read as raw samples
  std::size_t samples;
};

// Files that are not audio libsndfile knows are raw samples; audio it knows but cannot read
// is a clear error, never noise fed to the decoder.
TEST_F(AudioFileTest, TellsBrokenAudioFromRawSamples) {
  using namespace std::string_literals;
  const std::string header = "RIFF\x24\x00\x00\x00WAVEfmt \x10\x00\x00\x00"s;
  const std::string pcmFormat = "\x01\x00\x01\x00\x80\x3e\x00\x00\x00\x7d\x00\x00\x02\x00\x10\x00"s;
  const BytesCase cases[] = {
      {"empty", "", "", 0},
      {"odd.raw", "abcde", "", 2},
      {"text.raw", "not audio, just words\n", "", 11},
      {"fmt-cut.wav", header, "cannot read", 0},
      {"no-data.wav", "RIFF\x04\x00\x00\x00WAVE"s, "cannot read", 0},
      {"cut-short.wav", header + pcmFormat + "data\x00\x10\x00\x00\x01\x00\x02\x00"s, "", 2},
  };
  for (const BytesCase& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(c.name, c.bytes);
    std::string error;
    const auto source = OpenAudioFile(PathOf(c.name), error);
    if (std::string(c.error).empty()) {
      ASSERT_NE(source, nullptr) << error;
      EXPECT_EQ(ReadAll(*source).size(), c.samples);
    } else {
      EXPECT_EQ(source, nullptr);
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
  }
}

TEST_F(AudioFileTest, NamesAMissingFile) {
  std::string error;
  EXPECT_EQ(OpenAudioFile(PathOf("nowhere.wav"), error), nullptr);
  EXPECT_NE(error.find("nowhere.wav"), std::string::npos) << error;
}

}  // namespace
}  // namespace varnel::listen

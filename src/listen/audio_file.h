// Audio for --input: a file or stdin, as the 16 kHz mono 16-bit samples the decoder takes.
#pragma once

#include <memory>
#include <string>

#include "listen/audio_source.h"

namespace varnel::listen {

// "-" reads raw samples from stdin. A file in a format libsndfile reads (WAV in any of its
// encodings, FLAC, Ogg Vorbis or Opus, MP3, AIFF...) is mixed down to mono and resampled to
// 16 kHz as it is read; a file with no header libsndfile knows is raw 16 kHz mono 16-bit
// samples.
std::unique_ptr<AudioSource> OpenAudioFile(const std::string& path, std::string& error);

}  // namespace varnel::listen

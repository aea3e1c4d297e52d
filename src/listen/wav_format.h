// Whether a WAV file's "fmt " chunk describes audio varnel-listen reads as it stands:
// 16 kHz mono signed 16-bit PCM, in the plain header or in the extensible one that some
// recorders write even for mono.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace varnel::listen {

// The most of a "fmt " chunk that JudgeWavFormat looks at.
inline constexpr std::size_t kWavFormatMaxBytes = 40;

enum class WavFormat { kUsable, kUnsupported, kMalformed };

// The little-endian number at `at` in `bytes`, as RIFF stores them.
std::uint32_t LittleEndian32(std::span<const unsigned char> bytes, std::size_t at);

// `chunk` is the start of the chunk's body, up to kWavFormatMaxBytes; `declared` is the
// body's size as its header says.
WavFormat JudgeWavFormat(std::span<const unsigned char> chunk, std::size_t declared);

}  // namespace varnel::listen

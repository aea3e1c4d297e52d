#include "listen/wav_format.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "listen/audio_source.h"

namespace varnel::listen {
namespace {

constexpr std::uint16_t kPcmTag = 1;
constexpr std::uint16_t kExtensibleTag = 0xFFFE;
constexpr std::uint16_t kBits = 16;
constexpr std::size_t kPlainSize = 16;
constexpr std::size_t kExtensibleSize = 40;
constexpr std::size_t kExtensionSize = 22;
// Offsets in the chunk's body.
constexpr std::size_t kChannelsAt = 2;
constexpr std::size_t kRateAt = 4;
constexpr std::size_t kBitsAt = 14;
constexpr std::size_t kExtensionSizeAt = 16;
constexpr std::size_t kValidBitsAt = 18;
constexpr std::size_t kSubFormatAt = 24;
// The sub-format GUID of PCM, after its first two bytes (the format tag).
constexpr std::array<unsigned char, 14> kPcmGuidTail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                        0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::uint16_t Le16(std::span<const unsigned char> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

}  // namespace

std::uint32_t LittleEndian32(std::span<const unsigned char> bytes, std::size_t at) {
  return Le16(bytes, at) | (static_cast<std::uint32_t>(Le16(bytes, at + 2)) << 16);
}

WavFormat JudgeWavFormat(std::span<const unsigned char> chunk, std::size_t declared) {
  if (declared < kPlainSize || chunk.size() < kPlainSize) {
    return WavFormat::kMalformed;
  }
  std::uint16_t tag = Le16(chunk, 0);
  if (tag == kExtensibleTag) {
    if (declared < kExtensibleSize || chunk.size() < kExtensibleSize ||
        Le16(chunk, kExtensionSizeAt) < kExtensionSize) {
      return WavFormat::kMalformed;
    }
    const std::uint16_t valid = Le16(chunk, kValidBitsAt);
    if (valid != 0 && valid != kBits) {
      return WavFormat::kUnsupported;
    }
    const auto tail = chunk.subspan(kSubFormatAt + 2, kPcmGuidTail.size());
    if (!std::equal(tail.begin(), tail.end(), kPcmGuidTail.begin())) {
      return WavFormat::kUnsupported;
    }
    tag = Le16(chunk, kSubFormatAt);
  }
  const bool usable = tag == kPcmTag && Le16(chunk, kChannelsAt) == 1 &&
                      LittleEndian32(chunk, kRateAt) == static_cast<std::uint32_t>(kSampleRate) &&
                      Le16(chunk, kBitsAt) == kBits;
  return usable ? WavFormat::kUsable : WavFormat::kUnsupported;
}

}  // namespace varnel::listen

// Which "fmt " chunks varnel-listen reads as they stand, including the extensible header that
// some recorders write for plain mono PCM.
#include "listen/wav_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace varnel::listen {
namespace {

struct Fields {
  std::uint16_t tag = 1;
  std::uint16_t channels = 1;
  std::uint32_t rate = 16000;
  std::uint16_t bits = 16;
};

void Put16(std::vector<unsigned char>& b, std::uint32_t v) {
  b.push_back(static_cast<unsigned char>(v & 0xFF));
  b.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}
void Put32(std::vector<unsigned char>& b, std::uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

std::vector<unsigned char> Plain(const Fields& f) {
  std::vector<unsigned char> b;
  Put16(b, f.tag);
  Put16(b, f.channels);
  Put32(b, f.rate);
  Put32(b, f.rate * f.channels * f.bits / 8);
  Put16(b, f.channels * f.bits / 8);
  Put16(b, f.bits);
  return b;
}

// The extensible header around `sub` (the sub-format's tag), with `valid` bits a sample.
std::vector<unsigned char> Extensible(const Fields& f, std::uint16_t sub, std::uint16_t valid) {
  Fields outer = f;
  outer.tag = 0xFFFE;
  std::vector<unsigned char> b = Plain(outer);
  Put16(b, 22);     // the extension's size
  Put16(b, valid);  // valid bits a sample
  Put32(b, 4);      // channel mask: front centre
  Put16(b, sub);
  for (const unsigned char c :
       {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}) {
    b.push_back(c);
  }
  return b;
}

TEST(ListenWavFormat, ReadsSixteenKilohertzMonoPcmInEitherHeader) {
  const Fields pcm{};
  auto withExtension = Plain(pcm);
  Put16(withExtension, 0);  // an empty extension, as some writers add
  auto truncated = Extensible(pcm, 1, 16);
  truncated.resize(24);
  struct Case {
    const char* name;
    std::vector<unsigned char> chunk;
    std::size_t declared;
    WavFormat want;
  };
  const std::vector<Case> cases = {
      {"plain", Plain(pcm), 16, WavFormat::kUsable},
      {"plain with an empty extension", withExtension, 18, WavFormat::kUsable},
      {"extensible PCM", Extensible(pcm, 1, 16), 40, WavFormat::kUsable},
      {"extensible PCM, valid bits unset", Extensible(pcm, 1, 0), 40, WavFormat::kUsable},
      {"44.1 kHz", Plain({1, 1, 44100, 16}), 16, WavFormat::kUnsupported},
      {"stereo", Plain({1, 2, 16000, 16}), 16, WavFormat::kUnsupported},
      {"8-bit", Plain({1, 1, 16000, 8}), 16, WavFormat::kUnsupported},
      {"float", Plain({3, 1, 16000, 32}), 16, WavFormat::kUnsupported},
      {"extensible float", Extensible({1, 1, 16000, 32}, 3, 32), 40, WavFormat::kUnsupported},
      {"extensible, 12 of 16 bits valid", Extensible(pcm, 1, 12), 40, WavFormat::kUnsupported},
      {"extensible stereo", Extensible({1, 2, 16000, 16}, 1, 16), 40, WavFormat::kUnsupported},
      {"too short", Plain(pcm), 14, WavFormat::kMalformed},
      {"extensible cut short", truncated, 24, WavFormat::kMalformed},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(JudgeWavFormat(c.chunk, c.declared), c.want) << c.name;
  }
}

}  // namespace
}  // namespace varnel::listen

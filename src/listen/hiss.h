// The faint hiss added under every utterance before it is decoded. Digital silence (exact
// zeros, as files and muted inputs have) is nothing the model has heard: the silence around a
// command then fits no path. A faint hiss, as every microphone has, makes it ordinary silence
// again.
#pragma once

#include <cstddef>
#include <cstdint>

namespace varnel::listen {

// Where every utterance's hiss starts, so that what is decoded depends on the audio alone.
inline constexpr std::uint32_t kHissSeed = 2463534242U;

// The hiss's peak for speech whose loud frames have the RMS `loudRms` (0: no voice heard yet):
// `floor` at a usual microphone level, and as far below the voice at any other, within
// bounds; `floor` itself when `fixed`.
int HissAmplitude(double loudRms, int floor, bool fixed);

// Adds a hiss peaking at `amp` to `n` samples, going on from `seed`; clipped at full scale.
void AddHiss(std::int16_t* samples, std::size_t n, std::uint32_t& seed, int amp);

}  // namespace varnel::listen

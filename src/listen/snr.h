// How far an utterance's speech stands above the room's noise, from the audio alone.
#pragma once

#include <cstddef>
#include <cstdint>

namespace varnel::listen {

// Signal-to-noise ratio in dB of 16 kHz audio that holds speech with some of the room before
// and after it (as an utterance cut by the voice detector does): the loud frames' level
// against the quiet frames'. Digital silence counts as a noise floor of one sample unit, so the
// result is always finite; audio shorter than a frame gives 0.
double EstimateSnrDb(const std::int16_t* samples, std::size_t n);

// The level of the loudest tenth of the 10 ms frames, as an RMS in sample units: how loud the
// voice came in. 0 for audio shorter than a frame.
double LoudRms(const std::int16_t* samples, std::size_t n);

// How far, in dB, the loud frames of the first `n - tail` samples stand above the last `tail`
// samples' level: speech stands well above the pause that ends it, while a steady sound that
// the voice detector took for speech until it learnt its level (a fan coming on, a
// microphone unmuted onto its hiss) is as loud in that pause as before it. 0 when either part
// is shorter than a frame.
double RiseAboveTailDb(const std::int16_t* samples, std::size_t n, std::size_t tail);

}  // namespace varnel::listen

// The decoder's own front end again, with spectral subtraction: its cepstra go to the decoder
// instead of the plain audio when an utterance is noisy. Every utterance goes through it, used
// or not, so that its noise estimate follows the room.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct cmd_ln_s;
struct fe_s;

namespace varnel::listen {

class NoiseRemover {
 public:
  NoiseRemover() = default;
  ~NoiseRemover();
  NoiseRemover(const NoiseRemover&) = delete;
  NoiseRemover& operator=(const NoiseRemover&) = delete;

  // Made from the decoder's configuration, so that its cepstra are the ones the decoder makes;
  // false when the front end refuses it.
  bool Open(cmd_ln_s* decoderConfig);

  // A whole utterance: its cepstra in Rows(), and the number of frames, or -1 on failure.
  int Whole(const std::int16_t* samples, std::size_t n);
  // Frames of the utterance last taken whole (0 on failure), still in Rows() until Chunk.
  int WholeFrames() const { return wholeFrames_; }

  // An utterance as it comes: Start, Chunk for each piece (its cepstra in Rows(), going on from
  // the pieces before; the number of frames, or -1 on failure), then Finish, which puts the
  // frames held back to the end into `tail` and says how many (0 or 1).
  void Start();
  int Chunk(const std::int16_t* samples, std::size_t n);
  int Finish(std::vector<float>& tail);

  float** Rows() { return rows_.data(); }

 private:
  fe_s* frontEnd_ = nullptr;
  std::vector<float> cepstra_;
  std::vector<float*> rows_;
  int wholeFrames_ = 0;
};

}  // namespace varnel::listen

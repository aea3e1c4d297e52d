// The acoustic model's Gaussians as the speaker adaptation needs them: the means and variances
// of each codebook, and which base phone owns which codebook. Read from the model's own files,
// so that no recogniser library is needed to test the adaptation.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace varnel::listen {

struct GaussianModel {
  int codebooks = 0;
  int densities = 0;                // Gaussians in each codebook's stream
  std::vector<int> streamLengths;   // the feature vector's parts, each with Gaussians of its own
  std::vector<float> means;         // codebook, stream, density, dimension
  std::vector<float> variances;     // laid out as the means
  std::vector<std::string> phones;  // the base phone of each codebook, in order

  int Dimensions() const;  // of the whole feature vector
  // Where the Gaussian's mean (and variance) starts in `means`.
  std::size_t Offset(int codebook, int stream, int density) const;
  int CodebookOf(const std::string& phone) const;  // -1 when none
};

// One parameter file of the model ("means", "variances"): its header's three counts, the
// stream lengths and the values, in either byte order. False, with `error`, when malformed.
bool ReadGaussianFile(const std::string& path, int* codebooks, int* densities,
                      std::vector<int>* streamLengths, std::vector<float>* values,
                      std::string& error);

// `values` as such a parameter file, in this machine's byte order.
std::string GaussianFileBytes(int codebooks, int densities, const std::vector<int>& streamLengths,
                              const std::vector<float>& values);

// The base phones named in the model definition ("mdef"), binary or text, in the order of
// their codebooks in a phonetically tied model.
bool ReadBasePhones(const std::string& path, std::vector<std::string>* phones, std::string& error);

// The model in `folder`, when it has one codebook for each base phone (a phonetically tied
// model); false, with `error`, for any other.
bool LoadGaussianModel(const std::string& folder, GaussianModel* model, std::string& error);

}  // namespace varnel::listen

#include "listen/voice_adaptation.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <numbers>

namespace varnel::listen {
namespace {

// Below this a variance is the model's floor, not a measured one.
constexpr double kVarianceFloor = 1e-4;
// A pivot this small leaves the row as it was: the frames do not determine it.
constexpr double kSingular = 1e-12;
constexpr double kImpossible = -std::numeric_limits<double>::infinity();

std::size_t Index(int codebook, int stream, int density, const GaussianModel& m) {
  return ((static_cast<std::size_t>(codebook) * m.streamLengths.size()) +
          static_cast<std::size_t>(stream)) *
             static_cast<std::size_t>(m.densities) +
         static_cast<std::size_t>(density);
}

// Solves g * x = k in place (g square, `size` wide) by elimination with partial pivoting;
// false when g is singular.
bool Solve(std::vector<double>& g, std::vector<double>& k, std::size_t size) {
  for (std::size_t col = 0; col < size; ++col) {
    std::size_t pivot = col;
    for (std::size_t r = col + 1; r < size; ++r) {
      if (std::fabs(g[(r * size) + col]) > std::fabs(g[(pivot * size) + col])) {
        pivot = r;
      }
    }
    if (std::fabs(g[(pivot * size) + col]) < kSingular) {
      return false;
    }
    for (std::size_t c = 0; c < size; ++c) {
      std::swap(g[(col * size) + c], g[(pivot * size) + c]);
    }
    std::swap(k[col], k[pivot]);
    for (std::size_t r = 0; r < size; ++r) {
      if (r == col) {
        continue;
      }
      const double factor = g[(r * size) + col] / g[(col * size) + col];
      for (std::size_t c = col; c < size; ++c) {
        g[(r * size) + c] -= factor * g[(col * size) + c];
      }
      k[r] -= factor * k[col];
    }
  }
  for (std::size_t r = 0; r < size; ++r) {
    k[r] /= g[(r * size) + r];
  }
  return true;
}

}  // namespace

MeanTransform IdentityTransform(const GaussianModel& model) {
  MeanTransform t;
  for (const int length : model.streamLengths) {
    const auto n = static_cast<std::size_t>(length);
    auto& a = t.a.emplace_back(n * n, 0.0);
    for (std::size_t i = 0; i < n; ++i) {
      a[(i * n) + i] = 1.0;
    }
    t.b.emplace_back(n, 0.0);
  }
  return t;
}

VoiceAdaptation::VoiceAdaptation(const GaussianModel& model)
    : model_(model),
      inverseVariances_(model.variances.size()),
      logNormalisers_(static_cast<std::size_t>(model.codebooks) * model.streamLengths.size() *
                      static_cast<std::size_t>(model.densities)),
      occupancy_(logNormalisers_.size(), 0.0),
      sums_(model.means.size(), 0.0) {
  int start = 0;
  for (const int length : model.streamLengths) {
    streamStarts_.push_back(start);
    start += length;
  }
  for (int c = 0; c < model.codebooks; ++c) {
    for (int s = 0; s < static_cast<int>(model.streamLengths.size()); ++s) {
      for (int d = 0; d < model.densities; ++d) {
        const std::size_t at = model.Offset(c, s, d);
        double logDet = 0;
        for (int i = 0; i < model.streamLengths[s]; ++i) {
          const double v = std::max<double>(model.variances[at + i], kVarianceFloor);
          inverseVariances_[at + i] = 1.0 / v;
          logDet += std::log(2.0 * std::numbers::pi * v);
        }
        logNormalisers_[Index(c, s, d, model)] = -0.5 * logDet;
      }
    }
  }
}

double VoiceAdaptation::StreamFit(const float* frame, int codebook, int stream,
                                  std::vector<double>* each) const {
  const int length = model_.streamLengths[stream];
  const float* x = frame + streamStarts_[stream];
  thread_local std::vector<double> logs;
  logs.resize(static_cast<std::size_t>(model_.densities));
  double best = kImpossible;
  for (int d = 0; d < model_.densities; ++d) {
    const std::size_t at = model_.Offset(codebook, stream, d);
    double distance = 0;
    for (int i = 0; i < length; ++i) {
      const double e = x[i] - model_.means[at + i];
      distance += e * e * inverseVariances_[at + i];
    }
    logs[d] = logNormalisers_[Index(codebook, stream, d, model_)] - (0.5 * distance);
    best = std::max(best, logs[d]);
  }
  double total = 0;
  for (const double l : logs) {
    total += std::exp(l - best);
  }
  if (each != nullptr) {
    each->resize(logs.size());
    for (std::size_t d = 0; d < logs.size(); ++d) {
      (*each)[d] = std::exp(logs[d] - best) / total;
    }
  }
  return best + std::log(total / model_.densities);
}

double VoiceAdaptation::FrameFit(const float* frame, int codebook) const {
  double fit = 0;
  for (int s = 0; s < static_cast<int>(model_.streamLengths.size()); ++s) {
    fit += StreamFit(frame, codebook, s, nullptr);
  }
  return fit;
}

std::vector<int> VoiceAdaptation::Align(const std::vector<float>& frames,
                                        const std::vector<int>& sequence, int minFrames) const {
  const auto dims = static_cast<std::size_t>(model_.Dimensions());
  const std::size_t count = dims == 0 ? 0 : frames.size() / dims;
  const auto per = static_cast<std::size_t>(std::max(minFrames, 1));
  // Each phone is a chain of `per` states; the last one loops.
  const std::size_t states = sequence.size() * per;
  if (sequence.empty() || count < states) {
    return {};
  }
  std::vector<double> fit(count * sequence.size());
  for (std::size_t t = 0; t < count; ++t) {
    for (std::size_t p = 0; p < sequence.size(); ++p) {
      fit[(t * sequence.size()) + p] = FrameFit(&frames[t * dims], sequence[p]);
    }
  }
  std::vector<double> score(states, kImpossible);
  std::vector<double> next(states);
  std::vector<unsigned char> advanced(count * states, 0);  // came from the state before
  score[0] = fit[0];
  for (std::size_t t = 1; t < count; ++t) {
    for (std::size_t s = 0; s < states; ++s) {
      const bool loops = (s + 1) % per == 0;
      const double stay = loops ? score[s] : kImpossible;
      const double step = s > 0 ? score[s - 1] : kImpossible;
      const bool fromBefore = step > stay;
      const double best = fromBefore ? step : stay;
      next[s] = best == kImpossible ? kImpossible : best + fit[(t * sequence.size()) + (s / per)];
      advanced[(t * states) + s] = fromBefore ? 1 : 0;
    }
    score.swap(next);
  }
  if (score[states - 1] == kImpossible) {
    return {};
  }
  std::vector<int> phoneOf(count);
  std::size_t s = states - 1;
  for (std::size_t t = count; t-- > 0;) {
    phoneOf[t] = static_cast<int>(s / per);
    if (t > 0 && advanced[(t * states) + s] != 0) {
      --s;
    }
  }
  return phoneOf;
}

long VoiceAdaptation::Learn(const std::vector<float>& frames, const std::vector<int>& sequence,
                            int silence) {
  constexpr int kMinFramesPerPhone = 3;  // the model's three states
  const std::vector<int> phoneOf = Align(frames, sequence, kMinFramesPerPhone);
  const auto dims = static_cast<std::size_t>(model_.Dimensions());
  long learned = 0;
  std::vector<double> share;
  for (std::size_t t = 0; t < phoneOf.size(); ++t) {
    const int codebook = sequence[static_cast<std::size_t>(phoneOf[t])];
    if (codebook == silence) {
      continue;
    }
    const float* frame = &frames[t * dims];
    for (int s = 0; s < static_cast<int>(model_.streamLengths.size()); ++s) {
      StreamFit(frame, codebook, s, &share);
      const float* x = frame + streamStarts_[s];
      for (int d = 0; d < model_.densities; ++d) {
        occupancy_[Index(codebook, s, d, model_)] += share[d];
        const std::size_t at = model_.Offset(codebook, s, d);
        for (int i = 0; i < model_.streamLengths[s]; ++i) {
          sums_[at + i] += share[d] * x[i];
        }
      }
    }
    ++learned;
  }
  frames_ += learned;
  return learned;
}

MeanTransform VoiceAdaptation::Estimate(double priorFrames) const {
  MeanTransform t = IdentityTransform(model_);
  double total = 0;
  for (const double o : occupancy_) {
    total += o;
  }
  if (total <= 0) {
    return t;
  }
  // Spread the prior's frames as the learned ones are spread, each fitting its mean exactly.
  const double priorShare = priorFrames * static_cast<double>(model_.streamLengths.size()) / total;
  for (int s = 0; s < static_cast<int>(model_.streamLengths.size()); ++s) {
    const auto n = static_cast<std::size_t>(model_.streamLengths[s]);
    const std::size_t size = n + 1;  // an offset, then the mean
    for (std::size_t row = 0; row < n; ++row) {
      std::vector<double> g(size * size, 0.0);
      std::vector<double> k(size, 0.0);
      std::vector<double> xi(size);
      for (int c = 0; c < model_.codebooks; ++c) {
        for (int d = 0; d < model_.densities; ++d) {
          const double o = occupancy_[Index(c, s, d, model_)];
          if (o <= 0) {
            continue;
          }
          const std::size_t at = model_.Offset(c, s, d);
          const double prior = o * priorShare;
          const double w = (o + prior) * inverseVariances_[at + row];
          const double target =
              (sums_[at + row] + (prior * model_.means[at + row])) * inverseVariances_[at + row];
          xi[0] = 1.0;
          for (std::size_t i = 0; i < n; ++i) {
            xi[i + 1] = model_.means[at + i];
          }
          for (std::size_t r = 0; r < size; ++r) {
            k[r] += target * xi[r];
            for (std::size_t q = r; q < size; ++q) {
              g[(r * size) + q] += w * xi[r] * xi[q];
            }
          }
        }
      }
      for (std::size_t r = 0; r < size; ++r) {
        for (std::size_t q = 0; q < r; ++q) {
          g[(r * size) + q] = g[(q * size) + r];
        }
      }
      if (!Solve(g, k, size)) {
        continue;  // that row stays as it was
      }
      t.b[s][row] = k[0];
      for (std::size_t i = 0; i < n; ++i) {
        t.a[s][(row * n) + i] = k[i + 1];
      }
    }
  }
  return t;
}

std::vector<float> VoiceAdaptation::AdaptedMeans(const MeanTransform& transform,
                                                 double priorFrames) const {
  std::vector<float> means(model_.means.size());
  for (int c = 0; c < model_.codebooks; ++c) {
    for (int s = 0; s < static_cast<int>(model_.streamLengths.size()); ++s) {
      const auto n = static_cast<std::size_t>(model_.streamLengths[s]);
      for (int d = 0; d < model_.densities; ++d) {
        const std::size_t at = model_.Offset(c, s, d);
        const double o = occupancy_[Index(c, s, d, model_)];
        for (std::size_t row = 0; row < n; ++row) {
          double moved = transform.b[s][row];
          for (std::size_t i = 0; i < n; ++i) {
            moved += transform.a[s][(row * n) + i] * model_.means[at + i];
          }
          const double heard =
              o > 0 ? ((priorFrames * moved) + sums_[at + row]) / (priorFrames + o) : moved;
          means[at + row] = static_cast<float>(heard);
        }
      }
    }
  }
  return means;
}

void WriteTransform(const MeanTransform& transform, std::ostream& out) {
  out.precision(std::numeric_limits<float>::max_digits10);
  out << "1\n" << transform.a.size() << "\n";
  for (std::size_t s = 0; s < transform.a.size(); ++s) {
    const std::size_t n = transform.b[s].size();
    out << n << "\n";
    for (std::size_t r = 0; r < n; ++r) {
      for (std::size_t c = 0; c < n; ++c) {
        out << transform.a[s][(r * n) + c] << (c + 1 < n ? " " : "\n");
      }
    }
    for (std::size_t r = 0; r < n; ++r) {
      out << transform.b[s][r] << (r + 1 < n ? " " : "\n");
    }
    for (std::size_t r = 0; r < n; ++r) {
      out << 1 << (r + 1 < n ? " " : "\n");
    }
  }
}

}  // namespace varnel::listen

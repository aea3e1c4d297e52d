#include "listen/gaussian_model.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <numeric>
#include <sstream>

namespace varnel::listen {
namespace {

constexpr std::uint32_t kByteOrderMark = 0x11223344;
constexpr std::string_view kHeaderEnd = "endhdr\n";
constexpr std::string_view kBinaryDefinition = "BMDF";
constexpr std::string_view kTextDefinitionVersion = "0.3";
// The binary definition's counts before the phone names; the first is the base phones'.
constexpr int kDefinitionCounts = 10;
// Beyond any acoustic model's size: a corrupt count must not ask for gigabytes.
constexpr std::int32_t kMostCount = 1 << 24;

std::uint32_t Swapped(std::uint32_t v) {
  return ((v & 0xffU) << 24U) | ((v & 0xff00U) << 8U) | ((v >> 8U) & 0xff00U) | (v >> 24U);
}

// Reads 32-bit words from a byte buffer in the file's byte order.
class Words {
 public:
  Words(const std::string& data, std::size_t at) : data_(data), at_(at) {}
  void SetSwapped(bool swapped) { swapped_ = swapped; }
  bool Next(std::uint32_t* out) {
    if (at_ + sizeof *out > data_.size()) {
      return false;
    }
    std::memcpy(out, data_.data() + at_, sizeof *out);
    at_ += sizeof *out;
    if (swapped_) {
      *out = Swapped(*out);
    }
    return true;
  }
  bool NextCount(std::int32_t* out) {
    std::uint32_t raw = 0;
    if (!Next(&raw)) {
      return false;
    }
    std::memcpy(out, &raw, sizeof raw);
    return *out >= 0 && *out <= kMostCount;
  }
  bool NextFloat(float* out) {
    std::uint32_t raw = 0;
    if (!Next(&raw)) {
      return false;
    }
    std::memcpy(out, &raw, sizeof raw);
    return true;
  }
  std::size_t At() const { return at_; }

 private:
  const std::string& data_;
  std::size_t at_;
  bool swapped_ = false;
};

bool ReadAll(const std::string& path, std::string* data) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return false;
  }
  data->assign(std::istreambuf_iterator<char>(in), {});
  return true;
}

bool ReadTextPhones(const std::string& data, std::vector<std::string>* phones) {
  std::istringstream in(data);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::array<std::string, 4> f;
    if (!(fields >> f[0] >> f[1] >> f[2] >> f[3]) || f[0].front() == '#') {
      continue;
    }
    // A base phone has no left or right context nor position: "AA - - - n/a ...".
    if (f[1] == "-" && f[2] == "-" && f[3] == "-") {
      phones->push_back(f[0]);
    }
  }
  return !phones->empty();
}

}  // namespace

int GaussianModel::Dimensions() const {
  return std::accumulate(streamLengths.begin(), streamLengths.end(), 0);
}

std::size_t GaussianModel::Offset(int codebook, int stream, int density) const {
  std::size_t before = 0;
  for (int s = 0; s < stream; ++s) {
    before += static_cast<std::size_t>(densities) * static_cast<std::size_t>(streamLengths[s]);
  }
  return (static_cast<std::size_t>(codebook) * static_cast<std::size_t>(densities) *
          static_cast<std::size_t>(Dimensions())) +
         before +
         (static_cast<std::size_t>(density) * static_cast<std::size_t>(streamLengths[stream]));
}

int GaussianModel::CodebookOf(const std::string& phone) const {
  const auto it = std::find(phones.begin(), phones.end(), phone);
  return it == phones.end() ? -1 : static_cast<int>(it - phones.begin());
}

bool ReadGaussianFile(const std::string& path, int* codebooks, int* densities,
                      std::vector<int>* streamLengths, std::vector<float>* values,
                      std::string& error) {
  std::string data;
  if (!ReadAll(path, &data)) {
    error = "cannot read " + path;
    return false;
  }
  const auto end = data.find(kHeaderEnd);
  if (end == std::string::npos) {
    error = path + ": no header";
    return false;
  }
  Words words(data, end + kHeaderEnd.size());
  std::uint32_t mark = 0;
  if (!words.Next(&mark) || (mark != kByteOrderMark && Swapped(mark) != kByteOrderMark)) {
    error = path + ": no byte-order mark";
    return false;
  }
  words.SetSwapped(mark != kByteOrderMark);
  std::int32_t books = 0;
  std::int32_t streams = 0;
  std::int32_t dens = 0;
  if (!words.NextCount(&books) || !words.NextCount(&streams) || !words.NextCount(&dens) ||
      books == 0 || streams == 0 || dens == 0) {
    error = path + ": bad counts";
    return false;
  }
  streamLengths->clear();
  std::int64_t perDensity = 0;
  for (std::int32_t s = 0; s < streams; ++s) {
    std::int32_t length = 0;
    if (!words.NextCount(&length) || length == 0) {
      error = path + ": bad stream length";
      return false;
    }
    streamLengths->push_back(length);
    perDensity += length;
  }
  std::int32_t total = 0;
  if (!words.NextCount(&total) || total != std::int64_t{books} * dens * perDensity ||
      data.size() - words.At() < static_cast<std::size_t>(total) * sizeof(float)) {
    error = path + ": the values do not match the counts";
    return false;
  }
  values->resize(static_cast<std::size_t>(total));
  for (float& v : *values) {
    words.NextFloat(&v);
  }
  *codebooks = books;
  *densities = dens;
  return true;
}

std::string GaussianFileBytes(int codebooks, int densities, const std::vector<int>& streamLengths,
                              const std::vector<float>& values) {
  std::string bytes = "s3\nversion 1.0\n";
  bytes += kHeaderEnd;
  const auto word = [&bytes](std::uint32_t v) {
    bytes.append(reinterpret_cast<const char*>(&v), sizeof v);
  };
  const auto count = [&word](std::int64_t v) { word(static_cast<std::uint32_t>(v)); };
  word(kByteOrderMark);
  count(codebooks);
  count(static_cast<std::int64_t>(streamLengths.size()));
  count(densities);
  for (const int length : streamLengths) {
    count(length);
  }
  count(static_cast<std::int64_t>(values.size()));
  bytes.append(reinterpret_cast<const char*>(values.data()), values.size() * sizeof(float));
  return bytes;
}

bool ReadBasePhones(const std::string& path, std::vector<std::string>* phones, std::string& error) {
  std::string data;
  if (!ReadAll(path, &data)) {
    error = "cannot read " + path;
    return false;
  }
  phones->clear();
  if (data.rfind(kTextDefinitionVersion, 0) == 0) {
    if (!ReadTextPhones(data, phones)) {
      error = path + ": no base phones";
      return false;
    }
    return true;
  }
  const bool native = data.rfind(kBinaryDefinition, 0) == 0;
  std::string reversed(kBinaryDefinition.rbegin(), kBinaryDefinition.rend());
  if (!native && data.rfind(reversed, 0) != 0) {
    error = path + ": not a model definition";
    return false;
  }
  Words words(data, kBinaryDefinition.size());
  words.SetSwapped(!native);
  std::uint32_t version = 0;
  std::int32_t textLength = 0;
  if (!words.Next(&version) || !words.NextCount(&textLength)) {
    error = path + ": truncated";
    return false;
  }
  Words counts(data, words.At() + static_cast<std::size_t>(textLength));
  counts.SetSwapped(!native);
  std::int32_t basePhones = 0;
  for (int i = 0; i < kDefinitionCounts; ++i) {
    std::int32_t count = 0;
    if (!counts.NextCount(&count)) {
      error = path + ": truncated";
      return false;
    }
    if (i == 0) {
      basePhones = count;
    }
  }
  std::size_t at = counts.At();
  for (std::int32_t i = 0; i < basePhones; ++i) {
    const auto zero = data.find('\0', at);
    if (zero == std::string::npos || zero == at) {
      error = path + ": bad phone names";
      return false;
    }
    phones->push_back(data.substr(at, zero - at));
    at = zero + 1;
  }
  return true;
}

bool LoadGaussianModel(const std::string& folder, GaussianModel* model, std::string& error) {
  GaussianModel m;
  int books = 0;
  int dens = 0;
  std::vector<int> lengths;
  if (!ReadGaussianFile(folder + "/means", &m.codebooks, &m.densities, &m.streamLengths, &m.means,
                        error) ||
      !ReadGaussianFile(folder + "/variances", &books, &dens, &lengths, &m.variances, error) ||
      !ReadBasePhones(folder + "/mdef", &m.phones, error)) {
    return false;
  }
  if (books != m.codebooks || dens != m.densities || lengths != m.streamLengths) {
    error = folder + ": the means and variances differ in shape";
    return false;
  }
  if (static_cast<int>(m.phones.size()) != m.codebooks) {
    error = folder + ": not one codebook for each base phone";
    return false;
  }
  *model = std::move(m);
  return true;
}

}  // namespace varnel::listen

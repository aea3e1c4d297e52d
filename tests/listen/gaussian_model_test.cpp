// Reading the acoustic model's Gaussians and base phones from its own files, in either byte
// order, and refusing files that do not hold what their counts say.
#include "listen/gaussian_model.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace varnel::listen {
namespace {

std::uint32_t Swap(std::uint32_t v) {
  return ((v & 0xffU) << 24U) | ((v & 0xff00U) << 8U) | ((v >> 8U) & 0xff00U) | (v >> 24U);
}

class Bytes {
 public:
  explicit Bytes(bool swapped) : swapped_(swapped) {}
  Bytes& Text(const std::string& s) {
    data += s;
    return *this;
  }
  Bytes& Word(std::uint32_t v) {
    v = swapped_ ? Swap(v) : v;
    data.append(reinterpret_cast<const char*>(&v), sizeof v);
    return *this;
  }
  Bytes& Float(float f) {
    std::uint32_t v = 0;
    std::memcpy(&v, &f, sizeof v);
    return Word(v);
  }
  std::string data;

 private:
  bool swapped_;
};

std::string WriteTemp(const std::string& name, const std::string& data) {
  const auto path =
      std::filesystem::temp_directory_path() /
      ("varnel-gaussians-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
       "-" + name);
  std::ofstream(path, std::ios::binary) << data;
  return path.string();
}

// Two codebooks, streams of 2 and 1, 2 densities: 12 values.
std::string GaussianFile(bool swapped, int total, int values, std::uint32_t mark = 0x11223344) {
  Bytes b(swapped);
  b.Text("s3\nversion 1.0\nchksum0 no\nendhdr\n").Word(mark).Word(2).Word(2).Word(2);
  b.Word(2).Word(1).Word(static_cast<std::uint32_t>(total));
  for (int i = 0; i < values; ++i) {
    b.Float(static_cast<float>(i) + 0.5f);
  }
  return b.data;
}

std::vector<float> Counting(int count) {
  std::vector<float> values(static_cast<std::size_t>(count));
  for (std::size_t i = 0; i < values.size(); ++i) {
    values[i] = static_cast<float>(i) + 0.5f;
  }
  return values;
}

TEST(ListenGaussianModel, ReadsParameterFiles) {
  struct Case {
    const char* name;
    std::string data;
    bool ok;
  };
  const std::vector<Case> cases = {
      {"native byte order", GaussianFile(false, 12, 12), true},
      {"the other byte order", GaussianFile(true, 12, 12), true},
      {"fewer values than counted", GaussianFile(false, 12, 11), false},
      {"a total that is not the counts' product", GaussianFile(false, 10, 10), false},
      {"no byte-order mark", GaussianFile(false, 12, 12, 0x12345678), false},
      {"a count beyond any model", GaussianFile(false, 0x7fffffff, 0), false},
      {"no header", "junk", false},
      {"as written for the decoder", GaussianFileBytes(2, 2, {2, 1}, Counting(12)), true},
  };
  for (const auto& c : cases) {
    const std::string path = WriteTemp("means", c.data);
    int codebooks = 0;
    int densities = 0;
    std::vector<int> lengths;
    std::vector<float> values;
    std::string error;
    const bool ok = ReadGaussianFile(path, &codebooks, &densities, &lengths, &values, error);
    std::filesystem::remove(path);
    ASSERT_EQ(ok, c.ok) << c.name << ": " << error;
    if (ok) {
      EXPECT_EQ(codebooks, 2) << c.name;
      EXPECT_EQ(densities, 2) << c.name;
      EXPECT_EQ(lengths, (std::vector<int>{2, 1})) << c.name;
      ASSERT_EQ(values.size(), 12U) << c.name;
      EXPECT_FLOAT_EQ(values[11], 11.5f) << c.name;
    } else {
      EXPECT_FALSE(error.empty()) << c.name;
    }
  }
}

std::string BinaryDefinition(bool swapped, int phones, const std::string& names) {
  Bytes b(swapped);
  const std::string text = "BEGIN FILE FORMAT DESCRIPTION\nEND FILE FORMAT DESCRIPTION\n";
  b.Text(swapped ? "FDMB" : "BMDF").Word(1).Word(static_cast<std::uint32_t>(text.size()));
  b.Text(text).Word(static_cast<std::uint32_t>(phones));
  for (int i = 1; i < 10; ++i) {
    b.Word(7);
  }
  b.Text(names);
  return b.data;
}

TEST(ListenGaussianModel, ReadsBasePhones) {
  using std::string_literals::operator""s;
  struct Case {
    const char* name;
    std::string data;
    std::vector<std::string> want;  // empty: refused
  };
  const std::vector<Case> cases = {
      {"binary", BinaryDefinition(false, 3, "AA\0B\0SIL\0AA-B\0"s), {"AA", "B", "SIL"}},
      {"binary, the other byte order", BinaryDefinition(true, 2, "AA\0SIL\0"s), {"AA", "SIL"}},
      {"binary, names cut short", BinaryDefinition(false, 3, "AA\0B"s), {}},
      {"text",
       "0.3\n2 n_base\n# comment\nAA - - - n/a 0 0 1 2 N\nSIL - - - filler 1 3 4 5 N\n"
       "AA SIL SIL b n/a 0 6 7 8 N\n",
       {"AA", "SIL"}},
      {"neither", "hello", {}},
  };
  for (const auto& c : cases) {
    const std::string path = WriteTemp("mdef", c.data);
    std::vector<std::string> phones;
    std::string error;
    const bool ok = ReadBasePhones(path, &phones, error);
    std::filesystem::remove(path);
    EXPECT_EQ(ok, !c.want.empty()) << c.name << ": " << error;
    if (ok) {
      EXPECT_EQ(phones, c.want) << c.name;
    }
  }
}

// The model varnel-listen ships with: one codebook for each base phone, three streams.
TEST(ListenGaussianModel, LoadsTheInstalledModel) {
  const std::string folder = "/usr/share/pocketsphinx/model/en-us/en-us";
  if (!std::filesystem::exists(folder + "/means")) {
    GTEST_SKIP() << "no en-us model installed";
  }
  GaussianModel model;
  std::string error;
  ASSERT_TRUE(LoadGaussianModel(folder, &model, error)) << error;
  EXPECT_EQ(model.codebooks, static_cast<int>(model.phones.size()));
  EXPECT_EQ(model.Dimensions(), 39);
  EXPECT_GE(model.CodebookOf("SIL"), 0);
  EXPECT_GE(model.CodebookOf("AA"), 0);
  EXPECT_EQ(model.CodebookOf("XX"), -1);
  EXPECT_EQ(model.means.size(), model.variances.size());
}

}  // namespace
}  // namespace varnel::listen

#include "common/listen_protocol.h"

#include <gtest/gtest.h>

namespace varnel::listen {
namespace {

std::string Raw(std::uint32_t len, const std::string& body) {
  std::string s;
  PutU32(s, len);
  return s + body;
}

TEST(Protocol, FramesRoundTripWhateverTheChunking) {
  const Fields a = {"req", "1", "set-list", "Number", std::string("1\0002\0", 4)};
  const Fields b = {"ok", "1"};
  const std::string stream = *EncodeFrame(a) + *EncodeFrame(b);
  for (std::size_t step : {1u, 3u, 7u, 1000u}) {
    FrameReader r;
    std::vector<Fields> got;
    for (std::size_t at = 0; at < stream.size(); at += step) {
      r.Append(stream.data() + at, std::min(step, stream.size() - at));
      while (auto f = r.Next()) {
        got.push_back(*f);
      }
    }
    ASSERT_EQ(got.size(), 2u) << step;
    EXPECT_EQ(got[0], a);
    EXPECT_EQ(got[1], b);
    EXPECT_FALSE(r.Failed());
  }
}

TEST(Protocol, MalformedOrOversizedFramesFailTheStream) {
  std::string field;
  PutU32(field, 10);  // claims 10 bytes, has 2
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty body", Raw(0, "")},
      {"oversized", Raw(kMaxFrameBody + 1, "")},
      {"field overruns body", Raw(6, field + "ab")},
      {"truncated field header", Raw(2, "ab")},
  };
  for (const auto& c : cases) {
    FrameReader r;
    r.Append(c.bytes.data(), c.bytes.size());
    EXPECT_FALSE(r.Next()) << c.name;
    EXPECT_TRUE(r.Failed()) << c.name;
    const auto ok = *EncodeFrame({"ok", "1"});
    r.Append(ok.data(), ok.size());
    EXPECT_FALSE(r.Next()) << c.name << ": stays failed";
  }
  EXPECT_FALSE(EncodeFrame({}));
  EXPECT_FALSE(EncodeFrame({std::string(kMaxFrameBody, 'x')}));
  EXPECT_FALSE(EncodeFrame(Fields(kMaxFields + 1, "x")));
}

}  // namespace
}  // namespace varnel::listen

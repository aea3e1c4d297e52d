#include "core/cli.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/fake_platform.h"
#include "unit/temp_folder.h"

namespace varnel {
namespace {

struct CliRun {
  std::optional<int> status;
  std::string out, err;
};

class CliTest : public testing::Test {
 protected:
  CliTest() { platform_.paths.environment["VARNEL_CFG"] = dir_.File("Varnel.cfg"); }

  CliRun Call(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    CliRun r;
    r.status = RunCommandLine(args, platform_.AllPorts(), out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
  }

  test::TempFolder dir_;
  FakePlatform platform_;
};

TEST_F(CliTest, NoArgumentsStartsTheResidentProgram) {
  EXPECT_EQ(Call({}).status, std::nullopt);
}

TEST_F(CliTest, UrlPrintsTheAddressOnly) {
  const struct {
    std::vector<std::string> args;
    std::string out;
  } cases[] = {
      {{"--url", "cheap", "flights", "--scope", "news", "--date", "day"},
       "https://www.google.com/search?q=cheap%20flights&as_qdr=all&tbs=qdr:d,sbd:1&tbm=nws\n"},
      {{"--url"}, "https://www.google.com/search?q=%3F&as_qdr=all\n"},
      {{"--scope=wikipedia", "--url", "x"},
       "https://www.google.com/search?q=site:wikipedia.org+x&as_qdr=all\n"},
      {{"--url", "--date=past week", "--", "-foo", "--bar"},
       "https://www.google.com/search?q=%2Dfoo%20%2D%2Dbar&as_qdr=all&tbs=qdr:w,sbd:1\n"},
      {{"--url", "--scope", "12", "--date", "5", "2+2"},
       "https://www.wolframalpha.com/input/?i=2%20AND%202\n"},
      {{"--url", "-"}, "https://www.google.com/search?q=%2D&as_qdr=all\n"},
  };
  for (const auto& c : cases) {
    const CliRun r = Call(c.args);
    EXPECT_EQ(r.status, 0) << c.args[0];
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, "");
  }
  EXPECT_FALSE(std::filesystem::exists(dir_.File("Varnel.cfg")));
}

TEST_F(CliTest, BadUsageIsOneLineAndStatusTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {"--url", "--scope", "bogus"},
      {"--url", "--date", "fortnight"},
      {"--url", "--date"},
      {"--bogus"},
      {"terms", "only"},
      {"--history", "extra"},
      {"--command"},
      {"--url", "--search"},
      {"--history", "--scope=1"},
      {"--url", "-x"},
  };
  for (const auto& args : cases) {
    const CliRun r = Call(args);
    EXPECT_EQ(r.status, 2) << args[0] << " " << args.back();
    EXPECT_EQ(r.out, "");
    ASSERT_FALSE(r.err.empty());
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
  }
  EXPECT_TRUE(platform_.log.Calls("OpenAddress").empty());
}

TEST_F(CliTest, HelpAndVersion) {
  CliRun r = Call({"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "varnel 0.1.0\n");
  r = Call({"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("Usage: varnel", 0), 0u);
}

TEST_F(CliTest, SearchOpensTheAddressAndKeepsTheHistory) {
  CliRun r = Call({"--search", "--scope", "images", "red", "  car"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  const auto opened = platform_.log.Calls("OpenAddress");
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].text, "https://www.google.com/search?q=red%20car&as_qdr=all&tbm=isch");

  r = Call({"--history"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "red car\n");

  // Empty terms still search but leave the history alone.
  r = Call({"--search"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(platform_.log.Calls("OpenAddress").size(), 2u);
  EXPECT_EQ(Call({"--history"}).out, "red car\n");
}

TEST_F(CliTest, SearchThatNoBrowserOpensFailsAndKeepsTheHistory) {
  ASSERT_EQ(Call({"--search", "older"}).status, 0);
  platform_.launcher.launchesStart = false;
  const CliRun r = Call({"--search", "newer"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  ASSERT_FALSE(r.err.empty());
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;  // one line
  EXPECT_EQ(Call({"--history"}).out, "older\n");
}

TEST_F(CliTest, HistoryWithoutFileIsEmpty) {
  const CliRun r = Call({"--history"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "\n");
}

}  // namespace
}  // namespace varnel

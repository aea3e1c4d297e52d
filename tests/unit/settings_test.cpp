#include "core/settings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "unit/temp_folder.h"

namespace varnel {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

class SettingsTest : public testing::Test {
 protected:
  SettingsTest() { settings_.file = dir_.File("Varnel.cfg"); }
  std::string FileText() const { return ReadBytes(settings_.file); }

  TempFolder dir_;
  Settings settings_;
};

TEST(ReplaceAll, OnePassLeftToRight) {
  const struct {
    std::string text, find, replacement, expected;
  } cases[] = {
      {"Aa", "a", "b", "Ab"},           {"aXa", "a", "aa", "aaXaa"}, {"abab", "ab", "ab", "abab"},
      {"aaa", "aa", "b", "ba"},         {"x", "", "y", "x"},         {"", "a", "b", ""},
      {"a+b", "+", " AND ", "a AND b"},
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    ReplaceAll(text, c.find, c.replacement);
    EXPECT_EQ(text, c.expected) << c.text << " / " << c.find;
  }
}

TEST_F(SettingsTest, NoFileReadsDefaultsAndFirstWritesCreateIt) {
  EXPECT_EQ(settings_.LoadHistory(), "");
  EXPECT_EQ(settings_.ReadIniNumber("Application", "AppHwnd", 0), 0);
  EXPECT_EQ(settings_.ReadIniString("History", "SearchHistory", "dflt  ", 255), "dflt");

  EXPECT_NE(settings_.WriteIniString("Application", "AppHwnd", "1234"), 0);
  settings_.SaveHistory("cheap flights");
  EXPECT_EQ(FileText(),
            "[Application]\r\nAppHwnd=1234\r\n[History]\r\nSearchHistory=cheap flights\r\n");
  EXPECT_EQ(settings_.ReadIniNumber("Application", "AppHwnd", 0), 1234);
  EXPECT_EQ(settings_.LoadHistory(), "cheap flights");
  EXPECT_EQ(settings_.lastSearch, "cheap flights");
}

TEST_F(SettingsTest, ValuesAndNamesAreMappedOnTheWay) {
  const struct {
    std::string section, key, value, line, readBack;
  } cases[] = {
      {"S", "k1", "TRUE", "k1=1", "1"},
      {"S", "k2", "false", "k2=0", "0"},
      {"S", "k3", "Truth", "k3=Truth", "Truth"},
      {"S", "x[1]", "v", "x(1)=v", "v"},
      {"S", "x]", "v", "x]=v", "v"},
      {"T[2]", "k", "v", "[T(2)]", "v"},
      {"S", "q", "\"exact phrase\"", "q=\"exact phrase\"", "exact phrase"},
  };
  for (const auto& c : cases) {
    settings_.WriteIniString(c.section, c.key, c.value);
    EXPECT_NE(FileText().find(c.line + "\r\n"), std::string::npos) << c.line;
    EXPECT_EQ(settings_.ReadIniString(c.section, c.key, "", 255), c.readBack) << c.key;
  }
}

TEST_F(SettingsTest, HistoryIsStoredWholeAndReadBackAt255Characters) {
  const std::string ascii(300, 'a');
  settings_.SaveHistory(ascii);
  EXPECT_NE(FileText().find(ascii), std::string::npos);
  EXPECT_EQ(settings_.LoadHistory(), std::string(255, 'a'));

  std::string accented;
  for (int i = 0; i < 300; ++i) {
    accented += "\xC3\xA9";
  }
  settings_.SaveHistory(accented);
  EXPECT_EQ(settings_.LoadHistory(), accented.substr(0, 510));

  // The limit never cuts a character: one outside the BMP at the 255th place stays whole.
  const std::string pizza = "\xF0\x9F\x8D\x95";
  settings_.SaveHistory(std::string(254, 'a') + pizza + pizza);
  EXPECT_EQ(settings_.LoadHistory(), std::string(254, 'a') + pizza);
  EXPECT_EQ(settings_.ReadIniString("History", "SearchHistory", "", 0), "");
  EXPECT_EQ(settings_.ReadIniString("History", "SearchHistory", "", -5), "");
}

TEST_F(SettingsTest, ReadIniLongTakesTheLeadingNumber) {
  const struct {
    const char* stored;
    std::int32_t expected;
  } cases[] = {
      {"1234", 1234}, {"-1", -1},     {"+1", 1},         {"42A9", 42}, {"B42", 0},
      {" 12 ", 12},   {"\"12\"", 12}, {"4294967297", 1}, {"-", 0},     {"2147483648", INT32_MIN},
      {"", 77},
  };
  for (const auto& c : cases) {
    settings_.WriteIniString("S", "n", c.stored);
    EXPECT_EQ(settings_.ReadIniNumber("S", "n", 77), c.expected) << "'" << c.stored << "'";
  }
  EXPECT_EQ(settings_.ReadIniNumber("S", "missing", -9), -9);
}

TEST_F(SettingsTest, KeepsWhatOtherToolsWrote) {
  WriteBytes(settings_.file, "; written by hand\n[application]\nappHWND=55\n\n[Other]\nX=1\n");
  settings_.WriteIniString("Application", "AppHwnd", "66");
  settings_.SaveHistory("z");
  EXPECT_EQ(FileText(),
            "; written by hand\r\n[application]\r\nappHWND=66\r\n\r\n[Other]\r\nX=1\r\n"
            "[History]\r\nSearchHistory=z\r\n");
}

TEST_F(SettingsTest, FailedWriteIsQuietAndChangesNothing) {
  const std::string plain = dir_.File("plain");
  WriteBytes(plain, "x");
  settings_.file = plain + "/Varnel.cfg";
  EXPECT_EQ(settings_.WriteIniString("Application", "AppHwnd", "1"), 0);
  settings_.SaveHistory("lost");
  EXPECT_EQ(settings_.lastSearch, "lost");
  EXPECT_EQ(settings_.LoadHistory(), "");
  EXPECT_EQ(ReadBytes(plain), "x");
}

}  // namespace
}  // namespace varnel

#include "listen/lexicon.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

namespace varnel::listen {
namespace {

class LexiconTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/varnel-lexicon-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    dir_ = dir;
  }
  void TearDown() override {
    for (const auto& f : files_) {
      unlink(f.c_str());
    }
    rmdir(dir_.c_str());
  }
  std::string Write(const std::string& name, const std::string& text) {
    std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    files_.push_back(path);
    return path;
  }

  std::string dir_;
  std::vector<std::string> files_;
};

TEST_F(LexiconTest, FindsEveryPronunciationInOrder) {
  // Out of order, with comments, blank lines, tabs, CRLF and words that prefix each other.
  const std::string main = Write("main.dict",
                                 "tablet T AE B L AH T\n"
                                 "tab T AE B\n"
                                 "# a comment\n"
                                 "\n"
                                 "tab's T AE B Z\n"
                                 "  page\tP EY JH\r\n"
                                 "tab(2) T AE B  # trailing comment, same phones\n"
                                 "ta T AA\n"
                                 "tab(3) T EH B\n");
  const std::string ours = Write("ours.dic", "varnel V AA R N AH L\ntab(2) T AA B\n");
  Lexicon lex;
  std::vector<std::string> mainWords, ourWords;
  std::string error;
  ASSERT_TRUE(lex.Load(main, error, &mainWords)) << error;
  ASSERT_TRUE(lex.Load(ours, error, &ourWords)) << error;
  EXPECT_EQ(ourWords, (std::vector<std::string>{"varnel", "tab"}));
  EXPECT_EQ(mainWords.size(), 7U);

  const struct {
    std::string word;
    std::vector<std::string> prons;
  } cases[] = {
      {"tab", {"T AE B", "T EH B", "T AA B"}},  // the later file's alternate last
      {"tablet", {"T AE B L AH T"}},
      {"tab's", {"T AE B Z"}},
      {"ta", {"T AA"}},
      {"page", {"P EY JH"}},
      {"varnel", {"V AA R N AH L"}},
      {"tabs", {}},
      {"", {}},
      {"tab(2)", {}},  // alternates are not words of their own
  };
  for (const auto& c : cases) {
    EXPECT_EQ(lex.Pronunciations(c.word), c.prons) << c.word;
  }
}

TEST_F(LexiconTest, RefusesWhatItCannotUse) {
  Lexicon lex;
  std::string error;
  EXPECT_FALSE(lex.Load(dir_ + "/missing.dict", error));
  EXPECT_NE(error.find("cannot read"), std::string::npos) << error;
  EXPECT_FALSE(lex.Load(Write("bad.dict", "go G OW\nzoom\n"), error));
  EXPECT_NE(error.find("\"zoom\""), std::string::npos) << error;
  EXPECT_FALSE(lex.Load(Write("bad2.dict", "zoom # Z UW M\n"), error));
}

TEST(ListenHypothesis, ReadsTheWordsSaid) {
  const struct {
    std::string hypothesis;
    std::vector<std::string> words;
  } cases[] = {
      {"tab three", {"tab", "three"}},
      {"<s> tab(2)  three </s>", {"tab", "three"}},  // an alternate is the word itself
      {"<sil> [NOISE] ++UH++ menu", {"menu"}},       // fillers are no words
      {"", {}},
      {"(2) tab's", {"(2)", "tab's"}},  // a mark alone is no alternate
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HypothesisWords(c.hypothesis), c.words) << c.hypothesis;
  }
  const struct {
    std::string phones;
    int count;
  } prons[] = {{"T AE B", 3}, {" T  AE\tB ", 3}, {"", 0}, {"AA", 1}};
  for (const auto& p : prons) {
    EXPECT_EQ(CountPhones(p.phones), p.count) << p.phones;
  }
}

}  // namespace
}  // namespace varnel::listen

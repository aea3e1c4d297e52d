#include "listen/neighbours.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

namespace varnel::listen {
namespace {

// A small dictionary: command words, their near words and words that must never be taken.
constexpr const char* kDictionary =
    "varnel V AA R N AH L\n"
    "varnel(2) V AA R N EH L\n"
    "darnell D AA R N EH L\n"  // one phone from the second "varnel"
    "highlight HH AY L AY T\n"
    "skylight S K AY L AY T\n"  // two phones away, but a rhyme
    "light L AY T\n"            // two phones away, and two phones shorter
    "slide S L AY D\n"
    "eyelight AY L AY T\n"  // two edits from "slide"; "highlight" with a phone dropped
    "home HH OW M\n"
    "homework HH OW M W ER K\n"  // "home" and three phones more
    "homer HH OW M ER\n"         // "home" and one more: the command with a breath after it
    "homey HH OW M IY\n"         // ... the same, though one edit away too
    "shome SH OW M\n"            // one edit away
    "ahome AH HH OW M\n"         // one phone more before it: still a neighbour
    "tab T AE B\n"
    "tab(2) T AA B\n"
    "top T AA P\n"  // one phone from the second "tab"
    "tap T AE P\n"
    "tag T AE G\n"
    "tan T AE N\n"
    "tabb T AE B\n"  // sounds just like "tab"
    "tabbe T AE B AH\n"
    "tabbe(2) T AE B\n"  // an alternate that sounds just like "tab"
    "tap. T AE P\n"      // not a plain word
    "cab K AE B\n"       // a command word itself
    "it IH T\n"
    "at AE T\n"  // one phone from "it", too short to count
    "monday M AH N D EY\n"
    "monbay M AH N B EY\n"    // one phone in, one out
    "monboy M AH N B OY\n"    // two in, two out
    "bonboy B AH N B OY\n"    // three in, three out
    "mondee M AA N D IY\n"    // two in, two out, vowels alone: "monday" in another accent
    "dnmeyah D N M EY AH\n";  // the same phones, four edits away

class NeighboursTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/varnel-neighbours-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    dir_ = dir;
    path_ = dir_ + "/small.dict";
    std::ofstream(path_, std::ios::binary) << kDictionary;
    std::string error;
    ASSERT_TRUE(lexicon_.Load(path_, error)) << error;
  }
  void TearDown() override {
    unlink(path_.c_str());
    rmdir(dir_.c_str());
  }

  std::string dir_;
  std::string path_;
  Lexicon lexicon_;
};

TEST_F(NeighboursTest, FollowsTheRule) {
  const NeighbourRule defaults{1, true, 3, 3, 0};
  struct Case {
    const char* what;
    std::vector<std::string> commands;
    NeighbourRule rule;
    std::vector<std::string> frequent;
    std::vector<std::string> want;
  };
  const std::vector<Case> cases = {
      {"one edit, against every pronunciation of the command word",
       {"varnel"},
       defaults,
       {},
       {"darnell"}},
      {"rhymes of a word of two syllables", {"highlight"}, defaults, {}, {"skylight"}},
      {"no rhymes", {"highlight"}, {1, false, 3, 3, 0}, {}, {}},
      {"two edits, as much shorter as the rule allows",
       {"highlight"},
       {2, false, 0, 3, 0, 2},
       {},
       {"eyelight", "light", "skylight"}},
      {"two edits, never shorter", {"highlight"}, {2, false, 0, 3, 0, 0}, {}, {"skylight"}},
      {"shorter by one at most",
       {"highlight"},
       {2, false, 0, 3, 0, 1},
       {},
       {"eyelight", "skylight"}},
      {"the command word and one phone more is none",
       {"home"},
       defaults,
       {},
       {"ahome", "shome", "homework"}},
      {"compounds beyond the extra phones", {"home"}, {1, true, 2, 3, 0}, {}, {"ahome", "shome"}},
      {"no edits: compounds only", {"home"}, {0, true, 3, 3, 0}, {}, {"ahome", "homework"}},
      {"homophones, command words and odd entries left out",
       {"tab", "cab"},
       defaults,
       {},
       {"tag", "tan", "tap", "top"}},
      {"frequent words first within the cap",
       {"tab", "cab"},
       {1, true, 3, 3, 2},
       {"top", "the", "tap"},
       {"top", "tap"}},
      {"short command words have none", {"it"}, defaults, {}, {}},
      {"each neighbour once, in the command words' order",
       {"home", "tab", "varnel"},
       defaults,
       {},
       {"ahome", "shome", "homework", "cab", "tag", "tan", "tap", "top", "darnell"}},
      {"a word the dictionary lacks", {"zzz"}, defaults, {}, {}},
      {"two edits from a command word", {"slide"}, {2, false, 0, 3, 0}, {}, {"eyelight"}},
      {"none when it would take another, longer command word",
       {"slide", "highlight"},
       {2, false, 0, 3, 0},
       {},
       {"skylight"}},
      {"one edit, no more", {"monday"}, {1, false, 0, 3, 0}, {}, {"monbay"}},
      {"two edits", {"monday"}, {2, false, 0, 3, 0}, {}, {"monbay", "monboy"}},
      {"three edits: nearer words first",
       {"monday"},
       {3, false, 0, 3, 0},
       {},
       {"monbay", "monboy", "bonboy"}},
      {"the cap keeps the nearest of equally rare words",
       {"monday"},
       {3, false, 0, 3, 2},
       {},
       {"monbay", "monboy"}},
      {"vowels alone, where the rule allows",
       {"monday"},
       {2, false, 0, 3, 0, 0, false, true},
       {},
       {"monbay", "monboy", "mondee"}},
      {"a frequent word before a nearer rare one",
       {"monday"},
       {3, false, 0, 3, 1},
       {"bonboy"},
       {"bonboy"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PhoneticNeighbours(c.commands, lexicon_, c.rule, c.frequent), c.want) << c.what;
  }
}

// Those one phone from a command word are marked, whatever else made others neighbours.
TEST_F(NeighboursTest, MarksThoseOnePhoneFromACommandWord) {
  struct Case {
    const char* what;
    std::vector<std::string> commands;
    NeighbourRule rule;
    std::vector<std::string> want;
  };
  const std::vector<Case> cases = {
      {"nearer by edits", {"monday"}, {3, false, 0, 3, 0}, {"monbay"}},
      {"rhymes and compounds are not",
       {"highlight", "home"},
       {1, true, 3, 3, 0},
       {"ahome", "shome"}},
      {"against any pronunciation, in the neighbours' order",
       {"home", "tab", "varnel"},
       {1, true, 3, 3, 0},
       {"ahome", "shome", "cab", "tag", "tan", "tap", "top", "darnell"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> closest = {"left over"};
    PhoneticNeighbours(c.commands, lexicon_, c.rule, {}, &closest);
    EXPECT_EQ(closest, c.want) << c.what;
  }
}

// Words added to the command words that can change nothing (the wake phrase's, after the
// commands') need no new scan; whenever that is said, a scan would find the same.
TEST_F(NeighboursTest, KnowsWhenAddedWordsChangeNothing) {
  const NeighbourRule rule{1, true, 3, 3, 0};
  struct Case {
    const char* what;
    std::vector<std::string> before;
    std::vector<std::string> added;
    bool unchanged;
  };
  const std::vector<Case> cases = {
      {"a word too short to have neighbours", {"varnel", "tab"}, {"it"}, true},
      {"a word the dictionary lacks", {"varnel"}, {"zzz"}, true},
      {"nothing added", {"varnel"}, {}, true},
      {"a neighbour becomes a command word", {"varnel"}, {"darnell"}, false},
      {"a word with neighbours of its own", {"varnel"}, {"home"}, false},
      {"a word long enough for neighbours, though it has none", {"varnel"}, {"dnmeyah"}, false},
  };
  for (const auto& c : cases) {
    const auto found = PhoneticNeighbours(c.before, lexicon_, rule, {});
    EXPECT_EQ(AddedLeaveNeighbours(c.added, found, lexicon_, rule), c.unchanged) << c.what;
    if (c.unchanged) {
      auto all = c.before;
      all.insert(all.end(), c.added.begin(), c.added.end());
      EXPECT_EQ(PhoneticNeighbours(all, lexicon_, rule, {}), found) << c.what;
    }
  }
}

}  // namespace
}  // namespace varnel::listen

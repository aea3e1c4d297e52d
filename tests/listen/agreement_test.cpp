// A command checked against the language model's reading of the same speech.
#include "listen/agreement.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

namespace varnel::listen {
namespace {

// Pronunciations of the en-us dictionary, as the recogniser looks them up.
const std::map<std::string, std::string>& Phones() {
  static const std::map<std::string, std::string> kPhones = {{"tab", "T AE B"},
                                                             {"three", "TH R IY"},
                                                             {"four", "F AO R"},
                                                             {"tree", "T R IY"},
                                                             {"top", "T AA P"},
                                                             {"twenty", "T W EH N T IY"},
                                                             {"five", "F AY V"},
                                                             {"close", "K L OW Z"},
                                                             {"it", "IH T"},
                                                             {"the", "DH AH"},
                                                             {"door", "D AO R"},
                                                             {"delete", "D IH L IY T"},
                                                             {"deleted", "D IH L IY T IH D"},
                                                             {"really", "R IH L IY"},
                                                             {"varnel", "V AA R N AH L"},
                                                             {"arnold", "AA R N AH L D"},
                                                             {"marvel", "M AA R V AH L"},
                                                             {"go", "G OW"},
                                                             {"backward", "B AE K W ER D"},
                                                             {"backwards", "B AE K W ER D Z"},
                                                             {"page", "P EY JH"},
                                                             {"down", "D AW N"},
                                                             {"town", "T AW N"},
                                                             {"history", "HH IH S T ER IY"},
                                                             {"varnish", "V AA R N IH SH"},
                                                             {"kids", "K IH D Z"},
                                                             {"to", "T UW"},
                                                             {"read", "R IY D"}};
  return kPhones;
}

std::vector<SaidWord> Words(const std::string& text, const std::set<std::string>& unknown = {}) {
  std::vector<SaidWord> words;
  std::istringstream in(text);
  std::string w;
  while (in >> w) {
    words.push_back({w, Phones().at(w), unknown.count(w) == 0});
  }
  return words;
}

bool Everyday(const std::string& word) {
  static const std::set<std::string> kEveryday = {"the",  "door", "really", "to",   "read",
                                                  "kids", "town", "top",    "four", "three",
                                                  "go",   "it",   "close",  "down", "page"};
  return kEveryday.count(word) > 0;
}

TEST(ListenAgreement, PhoneEdits) {
  EXPECT_EQ(PhoneEdits("T AE B", "T AE B"), 0);
  EXPECT_EQ(PhoneEdits("T AE B", "T AA P"), 2);
  EXPECT_EQ(PhoneEdits("D IH L IY T", "R IH L IY"), 2);
  EXPECT_EQ(PhoneEdits("", "K IH D Z"), 4);
  EXPECT_EQ(PhoneEdits("B AE K W ER D", "B AE K W ER D Z"), 1);
}

TEST(ListenAgreement, Table) {
  struct Case {
    const char* command;
    const char* heard;
    bool agrees;
    std::set<std::string> unknownToModel = {};
  } cases[] = {
      {"close it", "close it", true},
      {"go backward", "go backwards", true},         // one phone of six
      {"delete", "deleted", false},                  // two phones of five
      {"tab three", "tab four", false},              // another number
      {"tab three", "tree", false},                  // no number at all
      {"tab twenty five", "tab twenty five", true},  // the same number
      {"tab three", "top three", false},             // an everyday word for "tab"
      {"close it", "close the door", false},         // everyday words the command lacks
      {"page down", "page town", false},             // "town" is no command word
      {"delete", "really", false},                   // everyday and close
      {"history", "kids to read", false},            // far off
      // The model cannot hear "varnel": phones alone decide, and cannot tell "marvel" from it.
      {"varnel", "marvel", true, {"varnel"}},
      {"varnel", "the varnish", false, {"varnel"}},
      {"varnel", "the varnish", false},  // known to the model, "the" is an everyday word
      {"delete", "", false},             // heard nothing
  };
  for (const auto& c : cases) {
    const Agreement a = Agree(Words(c.command, c.unknownToModel), Words(c.heard), 0.34, Everyday);
    EXPECT_EQ(a.agrees, c.agrees) << c.command << " / " << c.heard << ": " << a.why;
    EXPECT_EQ(a.why.empty(), a.agrees) << c.command << " / " << c.heard;
  }
}

TEST(ListenAgreement, DistanceIsPerPhoneOfTheCommand) {
  // "go backward" / "go backwards": one edit in eight phones.
  const Agreement a = Agree(Words("go backward"), Words("go backwards"), 1.0 / 8, Everyday);
  EXPECT_TRUE(a.agrees) << a.why;
  EXPECT_DOUBLE_EQ(a.distance, 1.0 / 8);
  EXPECT_FALSE(Agree(Words("go backward"), Words("go backwards"), 0.12, Everyday).agrees);
}

}  // namespace
}  // namespace varnel::listen

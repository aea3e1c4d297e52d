// The loop beside a menu's commands: everyday words, the menu's words and the neighbours, and
// never a neighbour that is a menu word or sounds just like one, which would take the command
// every time it is said.
#include "listen/loop_names.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace varnel::listen {
namespace {

TEST(ListenLoopNames, KeepsEveryKindOnceAndNoCommandSound) {
  char path[] = "/tmp/varnel-loop-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  std::ofstream(path) << "tab T AE B\ntab(2) T AA B\ntob T AA B\ncell S EH L\nsel S EH L\n"
                         "cable K EY B AH L\nfable F EY B AH L\nthe DH AH\nthree TH R IY\n";
  Lexicon lexicon;
  std::string error;
  ASSERT_TRUE(lexicon.Load(path, error)) << error;
  std::remove(path);

  const std::vector<std::string> everyday = {"ow_the"};
  const std::set<std::string> named = {"ow_the", "ow_tab", "ow_sel"};
  struct Case {
    const char* name;
    std::vector<std::string> menu;
    bool menuWords;
    std::vector<std::string> neighbours;
    std::vector<std::string> want;
  };
  const Case cases[] = {
      {"everyday, then the named menu words, then the neighbours in order",
       {"tab", "sel", "three"},
       true,
       {"fable", "cable"},
       {"ow_the", "ow_tab", "ow_sel", "ow_fable", "ow_cable"}},
      {"the menu's words left out when they have no place",
       {"tab"},
       false,
       {"cable"},
       {"ow_the", "ow_cable"}},
      {"a neighbour found for an earlier menu that is now a menu word",
       {"cable"},
       false,
       {"fable", "cable"},
       {"ow_the", "ow_fable"}},
      {"a homophone of a menu word, and one of its alternate pronunciation",
       {"sel", "tab"},
       false,
       {"cell", "tob", "fable"},
       {"ow_the", "ow_fable"}},
      {"a neighbour already in the loop is not there twice",
       {"three"},
       false,
       {"the", "fable", "fable"},
       {"ow_the", "ow_fable"}},
      {"no neighbours yet", {"tab"}, true, {}, {"ow_the", "ow_tab"}},
  };
  for (const auto& c : cases) {
    const LoopCandidates candidates{everyday, c.menuWords, named, c.neighbours};
    EXPECT_EQ(LoopNames(c.menu, candidates, lexicon), c.want) << c.name;
  }
}

}  // namespace
}  // namespace varnel::listen

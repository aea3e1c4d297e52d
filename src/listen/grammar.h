// Turns the clients' menus into one recognition grammar and maps a decoded word string back to
// the command and list items it stands for.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace varnel::listen {

// Phone count of a word's pronunciation; 0 when the dictionary does not know the word.
using PhoneLookup = std::function<int(const std::string& word)>;

// The words a registered text is spoken as: lower case, numbers as words ("25" -> "twenty
// five"). nullopt when the text holds characters a spoken form cannot have.
std::optional<std::vector<std::string>> SpokenWords(const std::string& text);

// "twenty five" for 25; supports 0 to 9999.
std::string NumberWords(int n);

// One list placeholder item: what was registered and how it is spoken.
struct ListItem {
  std::string text;
  std::vector<std::string> words;
};

// A spoken form cut into literal words and list placeholders.
struct PatternPart {
  std::vector<std::string> words;  // literal words (empty for a list)
  std::string list;                // list name when this part is "<list>"
};

// Splits "Tab <Number>" into parts; error text on failure.
struct ParsedSpoken {
  std::vector<PatternPart> parts;
  std::string error;  // empty on success
  std::int32_t errorNumber = 0;
};
ParsedSpoken ParseSpoken(const std::string& spoken);

// One client's active menu as the grammar sees it.
struct MenuSpec {
  std::uint64_t owner = 0;
  std::map<std::string, std::vector<std::string>> lists;  // name -> registered items
  std::map<std::int32_t, std::string> commands;           // id -> spoken form
};

// Checks a command before it is accepted: its lists exist and every word is pronounceable.
// Returns the error number and text, or nullopt when it is fine.
std::optional<std::pair<std::int32_t, std::string>> CheckCommand(
    const std::string& spoken, const std::map<std::string, std::vector<std::string>>& lists,
    const PhoneLookup& lookup);

// How speech that is not a command is turned away: a loop of single phones beside the
// commands in the decoder's graph. Probabilities, scaled by the language weight like any
// transition.
struct GarbageOptions {
  bool enabled = true;
  double entryWeight = 1e-4;  // entering the loop
  double phoneWeight = 1e-2;  // each phone inside it
  // A second loop, of everyday words: speech that is words but no command prefers it to the
  // nearest command. Easy to enter and dear to stay in, it takes single words that merely
  // sound like a command's ("town", "scream") and leaves whole sentences to the length check.
  bool wordsEnabled = true;
  double wordEntryWeight = 3e-2;
  double wordWeight = 3e-6;  // each word inside it
  // ... and each word of it that sounds like a command's word (see neighbours.h): cheaper,
  // since such a word must beat the command it sounds like on its own
  double neighbourWeight = 1e-3;
  // ... and as the first word, each neighbour one phone from a command word ("parnell" for
  // "varnel"): cheaper still, since that one phone is all that tells it from the command,
  // and accents change a command's vowels, which no such neighbour differs in alone.
  double closestNeighbourWeight = 1e-2;
  // ... where such a word follows a word of a command or of the loop: dearer, since there it
  // takes the place of a command's own last word ("Page" and a neighbour of "delete" for
  // "Page Down") rather than standing for the whole of what was said.
  double laterNeighbourWeight = 1e-4;
  // ... and there each one phone from a command word: cheaper, as at the first word, though
  // not as cheap: ten times the others' took a command's own words ("Hide It" as "hobby" and
  // "creaked").
  double laterClosestNeighbourWeight = 3e-4;
  // ... and each word of the menu, which the loop holds too, where it follows a word: a
  // command with a word of its own swapped ("take me up") then has a path of the words said.
  // 0: as any other word of the loop.
  double laterMenuWordWeight = 1e-4;
  // ... and each everyday word (no neighbour, no word of the menu) right after another:
  // "how are you" is everyday words in a row, not "Tab 2". Not after a neighbour or a
  // command's word, where a short everyday word would take a command's last word ("will" for
  // "twelve"). 0: as the first word.
  double laterWordWeight = 3e-4;
  // ... and, as the first word, each word said on its own (see StandaloneWords()) that is no
  // neighbour and no word of the menu: "no" or "thanks" alone is that word, not "Menu" or
  // "Find Next". 0: as any other word of the loop.
  double standaloneWeight = 1e-2;
  // How many of the most frequent English words join the loop: the more it holds, the more
  // ordinary phrases find their own words there ("box office") instead of a command, but
  // every word adds to the decoder's memory and work (3000 words: some 22 MB and twice the
  // time), so none by default.
  std::size_t commonWords = 0;
  // Leaving a command for that loop right after one of the command's own words: "page town"
  // is "page" and an everyday word rather than "Page Down". 0: never.
  double prefixWeight = 3e-4;
  // Going on into that loop after a whole command that ends in a word of its own (not a list
  // item): "focus group" is "focus" and an everyday word rather than "Focus". 0: never.
  double suffixWeight = 3e-3;
  // The probability of each word that makes a command destructive ("delete", "kill",
  // "close"; see RivalRule) where the commands use it: below 1, speech that sounds like such a
  // command goes to the loops or to a harmless command unless it fits it clearly better.
  double destructiveWeight = 1e-6;
  // The probability of the first word of an item of a list that a command is said about
  // ("Tab <Number>"; not a list of a command's own wordings): a hundred items give such a
  // command a hundred ways to fit speech, so that it took "closet", "etch" and "Cornell"
  // ("Tab 8", "Tab 2") where nothing else fitted. 1: as a command's own words. Scaled by
  // the language weight, as the others are.
  double parameterWeight = 0.1;
};

// One transition of the decoder's graph; `word` is empty for a null transition.
struct GraphArc {
  int from = 0;
  int to = 0;
  std::string word;
};

// The states where speech may leave a command for the everyday-word loop: right after a word,
// where the command cannot end yet. Where it can ("Tab twenty" of "Tab twenty five"), leaving
// would make the loop a second, cheap way to say the command's own last words.
std::vector<bool> PrefixExits(int states, int start, int final, const std::vector<GraphArc>& arcs);

// The word transitions that end a command on one of its own words: those into a state where the
// command can end, whose word ends no list item (`listEnds`). After a list item ("Tab two" +
// "will") the loop would be a second, cheap way to say a longer item ("Tab twelve"). Indices
// into `arcs`.
std::vector<std::size_t> SuffixExits(int states, int final, const std::vector<GraphArc>& arcs,
                                     const std::set<std::string>& listEnds);

// The phones of the acoustic model, each added to the dictionary as a word of its own so that
// the decoder's graph can hold a phone loop that absorbs speech that is not a command.
const std::vector<std::string>& GarbagePhones();
std::string GarbageWord(const std::string& phone);  // "AA" -> "ph_aa"

// The words of the second loop: a hand-picked few hundred (everyday words and words that
// sound like parts of commands) and the `common` most frequent words of CommonWords(); and
// the dictionary names they are added under.
std::vector<std::string> OtherWords(std::size_t common);
// Those of them people say on their own ("okay", "thanks", "hmm"), which an utterance of a
// single word is as likely to be as a command.
const std::vector<std::string>& StandaloneWords();
const std::vector<std::string>& CommonWords();   // most frequent first
std::string OtherWord(const std::string& word);  // "the" -> "ow_the"

struct Match {
  std::uint64_t owner = 0;
  std::int32_t id = 0;
  std::string command;                   // spoken form as registered
  std::vector<std::string> listResults;  // registered items of the lists, in order
};

class Grammar {
 public:
  bool Empty() const { return commands_.empty(); }
  const std::string& Jsgf() const { return jsgf_; }
  // The grammar of every command but `owner`'s `id`; "" when no other is left.
  std::string JsgfWithout(std::uint64_t owner, std::int32_t id) const;
  int MaxPhones() const { return maxPhones_; }
  // The last words of the lists' items.
  const std::set<std::string>& ListEnds() const { return listEnds_; }
  // Every word a command may be spoken with, each once, in the order of the commands; with
  // or without the items of the lists that a command holds beside words of its own ("12"
  // of "Tab 12").
  std::vector<std::string> Words(bool withParameters = true) const;
  // The command a hypothesis stands for; nullopt for garbage or words of no command.
  std::optional<Match> Map(const std::string& hypothesis) const;

  friend Grammar BuildGrammar(const std::vector<MenuSpec>& menus, const PhoneLookup& lookup,
                              double parameterWeight);

 private:
  struct Slot {
    std::vector<std::string> words;  // literal words
    std::vector<ListItem> items;     // list choices when non-empty
  };
  struct Command {
    std::uint64_t owner = 0;
    std::int32_t id = 0;
    std::string spoken;
    std::vector<Slot> slots;
  };
  // `failed` marks (slot, word) pairs from which the rest is known not to fit.
  static bool MatchFrom(const std::vector<Slot>& slots, std::size_t slot,
                        const std::vector<std::string>& words, std::size_t at,
                        std::vector<std::string>& results, std::vector<bool>& failed);

  // The JSGF of the given commands' rules (indices into commands_, whose rules are "c0"...).
  std::string JsgfOf(const std::vector<std::size_t>& commands) const;

  std::string jsgf_;
  std::string rules_;  // every command's and list's rule
  std::vector<Command> commands_;
  int maxPhones_ = 0;
  std::set<std::string> listEnds_;
};

// A list's spoken items as one grammar expression, items that share leading words sharing
// them: "twenty ( <NULL> | one | two )". After "twenty" the decoder is in one place, where the
// command may end, rather than in one of several copies of "twenty". A `firstWordWeight`
// below 1 weighs the items' first words: "/0.1/ one | /0.1/ twenty ( <NULL> | one )", a
// probability the grammar's parser takes as it is, unscaled by the language weight.
std::string FactoredAlternatives(const std::vector<std::string>& alternatives,
                                 double firstWordWeight = 1);

// Menus later in `menus` win when two commands sound the same. Commands that cannot be spoken
// (unknown word, missing or empty list) are left out. The first words of the lists that
// commands are said about weigh `parameterWeight`, unscaled (see FactoredAlternatives).
Grammar BuildGrammar(const std::vector<MenuSpec>& menus, const PhoneLookup& lookup,
                     double parameterWeight = 1);

}  // namespace varnel::listen

// Everyday English words, and words that sound like parts of commands, looped beside the
// commands so that ordinary speech has a better path than the nearest command.
#include <set>

#include "listen/grammar.h"

namespace varnel::listen {

namespace {

const std::vector<std::string>& HandPickedWords() {
  static const std::vector<std::string> kWords = {
      "the",       "of",       "and",     "to",       "a",        "in",      "is",
      "it",        "you",      "that",    "he",       "was",      "for",     "on",
      "are",       "with",     "as",      "i",        "his",      "they",    "be",
      "at",        "one",      "have",    "this",     "from",     "or",      "had",
      "by",        "not",      "word",    "but",      "what",     "some",    "we",
      "can",       "out",      "other",   "were",     "all",      "there",   "when",
      "up",        "use",      "your",    "how",      "said",     "an",      "each",
      "she",       "which",    "do",      "their",    "time",     "if",      "will",
      "way",       "about",    "many",    "then",     "them",     "write",   "would",
      "like",      "so",       "these",   "her",      "long",     "make",    "thing",
      "see",       "him",      "two",     "has",      "look",     "more",    "day",
      "could",     "go",       "come",    "did",      "number",   "sound",   "no",
      "most",      "people",   "my",      "over",     "know",     "water",   "than",
      "call",      "first",    "who",     "may",      "down",     "side",    "been",
      "now",       "find",     "any",     "new",      "work",     "part",    "take",
      "get",       "place",    "made",    "live",     "where",    "after",   "back",
      "little",    "only",     "round",   "man",      "year",     "came",    "show",
      "every",     "good",     "me",      "give",     "our",      "under",   "name",
      "very",      "through",  "just",    "form",     "sentence", "great",   "think",
      "say",       "help",     "low",     "line",     "differ",   "turn",    "cause",
      "much",      "mean",     "before",  "move",     "right",    "boy",     "old",
      "too",       "same",     "tell",    "does",     "set",      "three",   "want",
      "air",       "well",     "also",    "play",     "small",    "end",     "put",
      "home",      "read",     "hand",    "port",     "large",    "spell",   "add",
      "even",      "land",     "here",    "must",     "big",      "high",    "such",
      "follow",    "act",      "why",     "ask",      "men",      "change",  "went",
      "light",     "kind",     "off",     "need",     "house",    "picture", "try",
      "us",        "again",    "animal",  "point",    "mother",   "world",   "near",
      "build",     "self",     "earth",   "father",   "head",     "stand",   "own",
      "page",      "should",   "country", "found",    "answer",   "school",  "grow",
      "study",     "still",    "learn",   "plant",    "cover",    "food",    "sun",
      "four",      "between",  "state",   "keep",     "eye",      "never",   "last",
      "let",       "thought",  "city",    "tree",     "cross",    "farm",    "hard",
      "start",     "might",    "story",   "saw",      "far",      "sea",     "draw",
      "left",      "late",     "run",     "don't",    "while",    "press",   "close",
      "night",     "real",     "life",    "few",      "north",    "open",    "seem",
      "together",  "next",     "white",   "children", "begin",    "got",     "walk",
      "example",   "ease",     "paper",   "group",    "always",   "music",   "those",
      "both",      "mark",     "often",   "letter",   "until",    "mile",    "river",
      "car",       "feet",     "care",    "second",   "book",     "carry",   "took",
      "science",   "eat",      "room",    "friend",   "began",    "idea",    "fish",
      "mountain",  "stop",     "once",    "base",     "hear",     "horse",   "cut",
      "sure",      "watch",    "color",   "face",     "wood",     "main",    "enough",
      "plain",     "girl",     "usual",   "young",    "ready",    "above",   "ever",
      "red",       "list",     "though",  "feel",     "talk",     "bird",    "soon",
      "body",      "dog",      "family",  "direct",   "pose",     "leave",   "song",
      "measure",   "door",     "product", "black",    "short",    "numeral", "class",
      "wind",      "question", "happen",  "complete", "ship",     "area",    "half",
      "rock",      "order",    "fire",    "south",    "problem",  "piece",   "told",
      "knew",      "pass",     "since",   "top",      "whole",    "king",    "space",
      "heard",     "best",     "hour",    "better",   "true",     "during",  "hundred",
      "five",      "remember", "step",    "early",    "hold",     "west",    "ground",
      "interest",  "reach",    "fast",    "verb",     "sing",     "listen",  "six",
      "table",     "travel",   "less",    "morning",  "ten",      "simple",  "several",
      "vowel",     "toward",   "war",     "lay",      "against",  "pattern", "slow",
      "center",    "love",     "person",  "money",    "serve",    "appear",  "road",
      "map",       "rain",     "rule",    "govern",   "pull",     "cold",    "notice",
      "voice",     "unit",     "power",   "town",     "fine",     "certain", "fly",
      "fall",      "lead",     "cry",     "dark",     "machine",  "note",    "wait",
      "plan",      "figure",   "star",    "box",      "noun",     "field",   "rest",
      "correct",   "able",     "pound",   "done",     "beauty",   "drive",   "stood",
      "contain",   "front",    "teach",   "week",     "final",    "gave",    "green",
      "oh",        "quick",    "develop", "ocean",    "warm",     "free",    "minute",
      "strong",    "special",  "mind",    "behind",   "clear",    "tail",    "produce",
      "fact",      "street",   "inch",    "multiply", "nothing",  "course",  "stay",
      "wheel",     "full",     "force",   "blue",     "object",   "decide",  "surface",
      "deep",      "moon",     "island",  "foot",     "system",   "busy",    "test",
      "record",    "boat",     "common",  "gold",     "possible", "plane",   "stead",
      "dry",       "wonder",   "laugh",   "thousand", "ago",      "ran",     "check",
      "game",      "shape",    "equate",  "hot",      "miss",     "brought", "heat",
      "snow",      "tire",     "bring",   "yes",      "distant",  "fill",    "east",
      "paint",     "language", "refresh", "memory",   "kill",     "lights",  "delete",
      "cell",      "phone",    "copy",    "zoom",     "paid",     "tape",    "tap",
      "tab",       "sell",     "sale",    "shell",    "fool",     "pool",    "screen",
      "clean",     "killed",   "till",    "bill",     "deal",     "fetch",   "catch",
      "match",     "search",   "church",  "document", "menu",     "honey",   "rename",
      "hide",      "tide",     "browser", "brown",    "launch",   "lunch",   "forward",
      "backward",  "bark",     "books",   "market",   "level",    "tunnel",  "council",
      "counsel",   "fresh",    "flesh",   "dash",     "crash",    "create",  "previous",
      "highlight", "omni",
  };
  return kWords;
}

}  // namespace

const std::vector<std::string>& StandaloneWords() {
  // Interjections and replies, of two phones or more: a single vowel ("oh", "uh") would make
  // the start of any command a cheap way out of it.
  static const std::vector<std::string> kWords = {
      "yes",    "yeah",   "yep",     "no",    "nope", "okay",       "alright", "right",
      "sure",   "thanks", "thank",   "hello", "hi",   "hey",        "bye",     "goodbye",
      "well",   "so",     "hmm",     "um",    "huh",  "wow",        "oops",    "sorry",
      "please", "fine",   "great",   "cool",  "wait", "maybe",      "anyway",  "actually",
      "really", "indeed", "exactly", "good",  "nice", "absolutely",
  };
  return kWords;
}

std::vector<std::string> OtherWords(std::size_t common) {
  std::vector<std::string> words = HandPickedWords();
  std::set<std::string> have(words.begin(), words.end());
  for (const auto& word : StandaloneWords()) {
    if (have.insert(word).second) {
      words.push_back(word);
    }
  }
  const auto& ranked = CommonWords();
  for (std::size_t i = 0; i < ranked.size() && i < common; ++i) {
    if (have.insert(ranked[i]).second) {
      words.push_back(ranked[i]);
    }
  }
  return words;
}

std::string OtherWord(const std::string& word) {
  return "ow_" + word;
}

}  // namespace varnel::listen

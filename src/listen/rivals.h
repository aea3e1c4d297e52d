// How close the other readings of an utterance came to the command it was heard as: a
// command that barely beat another command ("History" against "Delete") is a guess.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "listen/grammar.h"

namespace varnel::listen {

// One reading of the utterance from the decoder's lattice, and its path score.
struct Reading {
  std::optional<Match> match;  // nullopt: speech that is no command
  long score = 0;
};

// How far below the heard command, per frame, the best reading as another command (not
// another item of its own lists) and the
// best reading as no command scored; nullopt when the lattice held none.
struct RivalGaps {
  std::optional<double> command;
  std::optional<double> other;
};

// `readings` best first; the heard command's own score is that of its best reading (or of
// the first one when no reading is that command).
RivalGaps NearestRivals(const std::vector<Reading>& readings, const Match& heard, int frames);

struct RivalRule {
  double minCommandGap = 0;  // per frame; 0: never refuse for a rival command
  double minOtherGap = 0;    // per frame; 0: never refuse for a reading as no command
  // Commands with one of these words lose work when they fire by mistake: they need at least
  // these gaps, whatever the ones above.
  std::vector<std::string> destructiveWords;
  double destructiveCommandGap = 0;
  double destructiveOtherGap = 0;
  // Whole commands weighed as destructive ones whatever their words: the phrase that puts
  // the listener to sleep silences every command until it is woken.
  std::vector<std::string> guardedCommands;
};

// The commands alone, without the loops, decoded once all of them and once all but the one
// heard: how far below the heard command the best other command scored, per frame; 0 when
// another command was the best of all, nullopt when a decoding read nothing. The heard
// command's path is scored the same way as its rival's, whatever the first decoding's
// cepstral mean or graph.
struct CommandsAlone {
  std::optional<Match> best;  // of every command
  long bestScore = 0;
  std::optional<Match> rival;  // of every command but the heard one
  long rivalScore = 0;
  int frames = 0;
};
std::optional<double> CommandGap(const CommandsAlone& readings, const Match& heard);

bool IsDestructive(const Match& heard, const RivalRule& rule);
// Whether the rule could refuse any command: the rivals' search is built only then.
bool WeighsAny(const RivalRule& rule);
// Whether a reading as no command could refuse it: the decoder's lattice is read only then.
bool WeighedAgainstNoCommand(const Match& heard, const RivalRule& rule);
// Whether the rule could refuse the command at all.
bool Weighed(const Match& heard, const RivalRule& rule);

// Why the command is refused, or "" when it stands.
std::string RefuseForRivals(const RivalGaps& gaps, const Match& heard, const RivalRule& rule);

}  // namespace varnel::listen

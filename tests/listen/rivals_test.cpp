// A command that another reading of the same speech came close to is a guess, and refused.
#include "listen/rivals.h"

#include <gtest/gtest.h>

namespace varnel::listen {
namespace {

Match Command(std::int32_t id, const std::string& spoken, std::vector<std::string> items = {}) {
  return Match{1, id, spoken, std::move(items)};
}

TEST(ListenRivals, NearestRivalsPerFrame) {
  const Match history = Command(39, "History");
  const Match tab3 = Command(16, "Tab <Number>", {"3"});
  struct Case {
    const char* name;
    std::vector<Reading> readings;
    Match heard;
    std::optional<double> command, other;
  } cases[] = {
      {"nothing else in the lattice", {{history, -1000}}, history, {}, {}},
      {"another command and no command below it",
       {{history, -1000}, {Command(6, "Delete"), -1200}, {std::nullopt, -1500}},
       history,
       2.0,
       5.0},
      {"the nearest of each kind counts",
       {{history, -1000},
        {std::nullopt, -1100},
        {Command(6, "Delete"), -1300},
        {Command(5, "Cancel"), -1900},
        {std::nullopt, -1050}},
       history,
       3.0,
       0.5},
      {"another item of the command's list is no rival",
       {{tab3, -1000}, {Command(16, "Tab <Number>", {"2"}), -1100}},
       tab3,
       {},
       {}},
      {"the same command by another path is no rival",
       {{tab3, -1000}, {tab3, -1010}},
       tab3,
       {},
       {}},
      // The lattice's best path may differ from the decoder's: its own best reading counts.
      {"a rival that scored better is no gap",
       {{Command(6, "Delete"), -900}, {history, -1000}},
       history,
       0.0,
       {}},
      {"the heard command missing: the best reading stands for it",
       {{std::nullopt, -1000}, {Command(6, "Delete"), -1400}},
       history,
       4.0,
       0.0},
  };
  for (const auto& c : cases) {
    const RivalGaps g = NearestRivals(c.readings, c.heard, 100);
    EXPECT_EQ(g.command, c.command) << c.name;
    EXPECT_EQ(g.other, c.other) << c.name;
  }
  EXPECT_FALSE(NearestRivals({}, history, 100).command);
  // No frames is one frame, not a division by zero.
  EXPECT_EQ(NearestRivals({{history, -10}, {tab3, -20}}, history, 0).command, 10.0);
}

TEST(ListenRivals, DestructiveCommandsNeedAWiderGap) {
  const RivalRule rule{2, 1, {"delete", "kill", "close"}, 6, 3, {}};
  struct Case {
    Match heard;
    RivalGaps gaps;
    bool refused;
  } cases[] = {
      {Command(39, "History"), {2.5, 9}, false},
      {Command(39, "History"), {1.5, 9}, true},
      {Command(39, "History"), {{}, 0.5}, true},
      {Command(39, "History"), {{}, {}}, false},
      {Command(6, "Delete"), {2.5, 9}, true},  // needs 6
      {Command(6, "Delete"), {6.5, 3.5}, false},
      {Command(6, "Delete"), {6.5, 2.5}, true},  // needs 3
      {Command(32, "Kill Tab"), {5, 9}, true},
      {Command(4, "Close It"), {7, 9}, false},
      {Command(4, "Close It"), {{}, {}}, false},  // nothing else in the lattice
  };
  for (const auto& c : cases) {
    EXPECT_EQ(!RefuseForRivals(c.gaps, c.heard, rule).empty(), c.refused)
        << c.heard.command << " " << c.gaps.command.value_or(-1) << "/"
        << c.gaps.other.value_or(-1);
  }
  EXPECT_TRUE(IsDestructive(Command(32, "Kill Tab"), rule));
  EXPECT_FALSE(IsDestructive(Command(23, "Snap Back"), rule));
}

// Going to sleep by mistake silences every command, so the sleep phrase is weighed like a
// destructive command, whatever its words; its words elsewhere are not.
TEST(ListenRivals, TheSleepPhraseNeedsTheWiderGap) {
  const RivalRule rule{2, 1, {"delete"}, 6, 3, {"go to sleep"}};
  struct Case {
    Match heard;
    bool destructive;
  } cases[] = {
      {Command(0, "go to sleep"), true},       {Command(0, "Go To Sleep"), true},
      {Command(1, "wake up"), false},          {Command(35, "Go Home"), false},
      {Command(12, "go to sleep now"), false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsDestructive(c.heard, rule), c.destructive) << c.heard.command;
    EXPECT_EQ(!RefuseForRivals({4, 9}, c.heard, rule).empty(), c.destructive) << c.heard.command;
  }
}

// The defaults weigh only destructive commands, so the others cost no second decoding.
TEST(ListenRivals, OnlyWhatCanBeRefusedIsWeighed) {
  const RivalRule destructiveOnly{0, 0, {"delete", "kill", "close"}, 10, 0, {}};
  struct Case {
    Match heard;
    RivalRule rule;
    bool weighed;
    bool refusedWithinOne;  // with another command one a frame below
  } cases[] = {
      {Command(39, "History"), destructiveOnly, false, false},
      {Command(6, "Delete"), destructiveOnly, true, true},
      {Command(32, "Kill Tab"), destructiveOnly, true, true},
      {Command(6, "Delete"), RivalRule{}, false, false},
      {Command(39, "History"), RivalRule{0, 2, {}, 0, 0, {}}, true, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Weighed(c.heard, c.rule), c.weighed) << c.heard.command;
    EXPECT_EQ(!RefuseForRivals({1.0, 9.0}, c.heard, c.rule).empty(), c.refusedWithinOne)
        << c.heard.command;
  }
}

// The commands alone, decoded once all of them and once all but the heard one.
TEST(ListenRivals, CommandGapFromTheCommandsAlone) {
  const Match del = Command(6, "Delete");
  const Match history = Command(39, "History");
  struct Case {
    const char* name;
    CommandsAlone readings;
    std::optional<double> gap;
  } cases[] = {
      {"the heard command best, its rival below", {del, -1000, history, -1500, 100}, 5.0},
      {"another command best of all", {history, -900, history, -900, 100}, 0.0},
      {"the same command by another list item is best",
       {Command(6, "Delete", {"x"}), -1000, history, -1200, 100},
       2.0},
      {"nothing read", {std::nullopt, 0, std::nullopt, 0, 100}, std::nullopt},
      {"no other command to rival it", {del, -1000, std::nullopt, 0, 100}, std::nullopt},
      // Pruned differently, the rival may score a little above it: no gap, not a negative one.
      {"a rival above the best", {del, -1000, history, -990, 100}, 0.0},
      {"no frames is one frame", {del, -10, history, -20, 0}, 10.0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CommandGap(c.readings, del), c.gap) << c.name;
  }
}

// The rivals' search is built, and a destructive command's reading as no command read from
// the whole graph's lattice, only when a rule could refuse for it.
TEST(ListenRivals, WhatTheRuleNeedsBuilt) {
  struct Case {
    const char* name;
    RivalRule rule;
    bool any;
    bool againstNoCommand;  // for "Delete"
  } cases[] = {
      {"the default", {0, 0, {"delete", "kill", "close"}, 10, 0, {}}, true, false},
      {"off", {0, 0, {"delete", "kill", "close"}, 0, 0, {}}, false, false},
      {"no destructive words", {0, 0, {}, 10, 3, {}}, false, false},
      {"only the sleep phrase", {0, 0, {}, 10, 0, {"go to sleep"}}, true, false},
      {"every command", {2, 0, {}, 0, 0, {}}, true, false},
      {"no command, every command", {0, 2, {}, 0, 0, {}}, true, true},
      {"no command, destructive ones", {0, 0, {"delete"}, 0, 2, {}}, true, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WeighsAny(c.rule), c.any) << c.name;
    EXPECT_EQ(WeighedAgainstNoCommand(Command(6, "Delete"), c.rule), c.againstNoCommand) << c.name;
  }
}

}  // namespace
}  // namespace varnel::listen

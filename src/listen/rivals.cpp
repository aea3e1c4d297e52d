#include "listen/rivals.h"

#include <algorithm>
#include <cstdio>

namespace varnel::listen {
namespace {

// Another item of the same command's list ("Find" for "Find It", "Tab 2" for "Tab 3") is the
// same command: the commands compete, not the items.
bool SameCommand(const Match& a, const Match& b) {
  return a.owner == b.owner && a.id == b.id;
}

std::string Gap(const char* what, double gap, double need) {
  char text[96];
  std::snprintf(text, sizeof text, "%s within %.1f a frame (needs %.1f)", what, gap, need);
  return text;
}

}  // namespace

RivalGaps NearestRivals(const std::vector<Reading>& readings, const Match& heard, int frames) {
  RivalGaps gaps;
  if (readings.empty()) {
    return gaps;
  }
  const auto own = std::find_if(readings.begin(), readings.end(), [&](const Reading& r) {
    return r.match && SameCommand(*r.match, heard);
  });
  const long best = own != readings.end() ? own->score : readings.front().score;
  const double perFrame = std::max(frames, 1);
  for (const auto& r : readings) {
    if (r.match && SameCommand(*r.match, heard)) {
      continue;
    }
    auto& slot = r.match ? gaps.command : gaps.other;
    // A rival that scored better counts as no gap at all.
    const double gap = std::max(0.0, static_cast<double>(best - r.score) / perFrame);
    slot = slot ? std::min(*slot, gap) : gap;
  }
  return gaps;
}

bool IsDestructive(const Match& heard, const RivalRule& rule) {
  const auto words = SpokenWords(heard.command);
  if (!words) {
    return false;
  }
  const bool guarded =
      std::any_of(rule.guardedCommands.begin(), rule.guardedCommands.end(),
                  [&](const std::string& command) { return SpokenWords(command) == words; });
  return guarded || std::any_of(words->begin(), words->end(), [&](const std::string& w) {
           return std::find(rule.destructiveWords.begin(), rule.destructiveWords.end(), w) !=
                  rule.destructiveWords.end();
         });
}

namespace {

struct Needs {
  double command;
  double other;
};

Needs GapsNeeded(const Match& heard, const RivalRule& rule) {
  if (IsDestructive(heard, rule)) {
    return {std::max(rule.minCommandGap, rule.destructiveCommandGap),
            std::max(rule.minOtherGap, rule.destructiveOtherGap)};
  }
  return {rule.minCommandGap, rule.minOtherGap};
}

}  // namespace

std::optional<double> CommandGap(const CommandsAlone& readings, const Match& heard) {
  if (!readings.best) {
    return std::nullopt;
  }
  if (!SameCommand(*readings.best, heard)) {
    return 0.0;
  }
  if (!readings.rival) {
    return std::nullopt;
  }
  const double perFrame = std::max(readings.frames, 1);
  return std::max(0.0, static_cast<double>(readings.bestScore - readings.rivalScore) / perFrame);
}

bool WeighedAgainstNoCommand(const Match& heard, const RivalRule& rule) {
  return GapsNeeded(heard, rule).other > 0;
}

bool WeighsAny(const RivalRule& rule) {
  return rule.minCommandGap > 0 || rule.minOtherGap > 0 ||
         ((!rule.destructiveWords.empty() || !rule.guardedCommands.empty()) &&
          (rule.destructiveCommandGap > 0 || rule.destructiveOtherGap > 0));
}

bool Weighed(const Match& heard, const RivalRule& rule) {
  const Needs need = GapsNeeded(heard, rule);
  return need.command > 0 || need.other > 0;
}

std::string RefuseForRivals(const RivalGaps& gaps, const Match& heard, const RivalRule& rule) {
  const Needs need = GapsNeeded(heard, rule);
  if (need.command > 0 && gaps.command && *gaps.command < need.command) {
    return Gap("another command", *gaps.command, need.command);
  }
  if (need.other > 0 && gaps.other && *gaps.other < need.other) {
    return Gap("speech that is no command", *gaps.other, need.other);
  }
  return "";
}

}  // namespace varnel::listen

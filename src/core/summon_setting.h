// The summon chord as the settings file gives it ([Keys] Summon=).
#pragma once

#include <string>

#include "core/settings.h"
#include "domain/summon_chord.h"

namespace varnel {

struct SummonSetting {
  SummonChord chord;    // the file's chord, or the default
  std::string problem;  // why the file's chord was not taken; empty when it was
};

SummonSetting ReadSummonSetting(Settings& settings);

}  // namespace varnel

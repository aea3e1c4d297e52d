// The controls by the names the logic knows them under, for the call log and test messages.
#pragma once

#include <string>

#include "domain/controls.h"

namespace varnel {

const char* ControlName(Control id);     // "Terms", "Scope", ...
std::string ControlLabel(ControlRef c);  // "Scope(3)"

}  // namespace varnel

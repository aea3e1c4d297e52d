// The speech-command service on Windows: a SAPI in-process recogniser with a
// command-and-control grammar that mirrors the program's menu.
#pragma once

#include <memory>
#include <string>

#include "ports/platform.h"

namespace varnel::win {

// nullptr, with `error` set from the failing call, when no recogniser can be created.
std::unique_ptr<SpeechService> CreateSapiSpeechService(SpeechError& error);

// The system's text for an HRESULT, or a generic text with its number.
SpeechError ErrorFromHresult(long hr);

// The words a recogniser listens for in place of a list item: a number written in digits
// (1 to 99) becomes its English words, since the recogniser's lexicon has no digits.
std::string SpokenListItem(const std::string& item);

// Whether the end of the recogniser's audio stream, with this result, means its input has
// gone for good (true) or is one the recogniser restarts by itself (false).
bool InputLost(long endOfStreamResult);

}  // namespace varnel::win

// The speech-command service on Windows: a SAPI in-process recogniser with a
// command-and-control grammar that mirrors the program's menu.
#pragma once

#include <memory>

#include "platform/platform.h"

namespace varnel::win {

// nullptr, with `error` set from the failing call, when no recogniser can be created.
std::unique_ptr<SpeechService> CreateSapiSpeechService(SpeechError& error);

// The system's text for an HRESULT, or a generic text with its number.
SpeechError ErrorFromHresult(long hr);

}  // namespace varnel::win

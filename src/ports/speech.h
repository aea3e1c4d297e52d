// Voice commands: a speech-command service and its events.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace varnel {

// A failure reported by the speech service: a number and the platform's text for it.
struct SpeechError {
  std::int32_t number = 0;
  std::string text;
  std::string advice{};  // what the user can do about it, when the service knows; shown instead
};

// What the recogniser heard for one of the program's commands.
struct SpeechRecognition {
  std::string command;  // the spoken form as registered
  std::int32_t id = 0;  // identifier the command was added under
  std::string action;
  std::vector<std::string> listResults;  // words recognised for list placeholders
};

// Events of a speech service, delivered on the user-interface thread.
class SpeechEvents {
 public:
  virtual void OnCommandRecognize(const SpeechRecognition& r) = 0;
  virtual void OnCommandOther(const std::string& command, const std::string& app,
                              const std::string& state) = 0;
  // The service went away (its process ended) while commands were registered.
  virtual void OnServiceLost() = 0;
  // The recogniser stopped firing commands until it hears its wake phrase (asleep), or
  // fires them again. A service without such a state never calls it.
  virtual void OnSleepChanged(bool asleep) = 0;

 protected:
  ~SpeechEvents() = default;
};

// A speech-command service: one voice-command object with one menu. Every operation returns
// an error when it fails; the caller decides what a failure means.
class SpeechService {
 public:
  virtual ~SpeechService() = default;
  virtual std::optional<SpeechError> Register(SpeechEvents* events) = 0;
  virtual std::optional<SpeechError> CreateMenu(const std::string& app, const std::string& state,
                                                int language) = 0;
  // items: every item followed by one NUL.
  virtual std::optional<SpeechError> SetList(const std::string& name, int count,
                                             const std::string& items) = 0;
  virtual std::optional<SpeechError> AddCommand(std::int32_t id, const std::string& spoken,
                                                const std::string& description) = 0;
  virtual std::optional<SpeechError> SetActive(bool active) = 0;
  virtual std::optional<SpeechError> RemoveCommand(std::int32_t id) = 0;
  virtual std::optional<SpeechError> ReleaseMenu() = 0;
  virtual std::optional<SpeechError> Unregister() = 0;
  // Has a recogniser that sleeps fire commands again; nothing for one that never sleeps.
  virtual std::optional<SpeechError> Wake() = 0;
};

// Makes the speech-command service and names the recogniser behind it.
class SpeechServices {
 public:
  // nullptr when no service can be created; `error` then says why.
  virtual std::unique_ptr<SpeechService> CreateSpeechService(SpeechError& error) = 0;
  virtual std::string RecogniserProcessName() = 0;
  virtual std::string RecogniserDisplayName() = 0;

 protected:
  ~SpeechServices() = default;
};

}  // namespace varnel

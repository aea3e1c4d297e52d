// A scripted speech service for tests: records every operation in order, fails the one it is
// told to, and fires recognitions and the loss of the service on demand. The speech port's
// fake hands out what its factory makes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ports/speech.h"
#include "support/fake_log.h"

namespace varnel {

struct SpeechCall {
  std::string op;  // Register, CreateMenu, SetList, AddCommand, SetActive, RemoveCommand,
                   // ReleaseMenu, Unregister, Wake, Destroyed
  std::vector<std::string> args;
  friend bool operator==(const SpeechCall&, const SpeechCall&) = default;
};

// Shared between a test and the services it hands out, so that the record outlives them.
class SpeechScript : public std::enable_shared_from_this<SpeechScript> {
 public:
  std::vector<SpeechCall> calls;

  // Fail the nth (1-based) call of `op` with `error`; later calls of it succeed again.
  void FailOn(std::string op, SpeechError error, int nth = 1);
  // CreateSpeechService fails with this error while set.
  std::optional<SpeechError> createError;
  int created = 0;  // services handed out

  // The events of the live registered service; nullptr when none.
  SpeechEvents* events = nullptr;
  bool Live() const { return events != nullptr; }
  void Recognize(std::int32_t id, const std::string& command = {},
                 std::vector<std::string> listResults = {});
  void Other(const std::string& command);
  void Lose();
  void Sleep(bool asleep);

  std::vector<SpeechCall> CallsOf(const std::string& op) const;

  // Creates a service recording into this script (or nullptr with `error` set). The script
  // must be held by a shared_ptr.
  std::unique_ptr<SpeechService> Create(SpeechError& error);

 private:
  friend class FakeSpeechService;
  std::optional<SpeechError> Record(SpeechCall call);

  std::string failOp_;
  SpeechError failError_;
  int failNth_ = 0;
  int seen_ = 0;
};

class FakeSpeechService final : public SpeechService {
 public:
  explicit FakeSpeechService(std::shared_ptr<SpeechScript> script) : script_(std::move(script)) {}
  FakeSpeechService(const FakeSpeechService&) = delete;
  FakeSpeechService& operator=(const FakeSpeechService&) = delete;
  ~FakeSpeechService() override;

  std::optional<SpeechError> Register(SpeechEvents* events) override;
  std::optional<SpeechError> CreateMenu(const std::string& app, const std::string& state,
                                        int language) override;
  std::optional<SpeechError> SetList(const std::string& name, int count,
                                     const std::string& items) override;
  std::optional<SpeechError> AddCommand(std::int32_t id, const std::string& spoken,
                                        const std::string& description) override;
  std::optional<SpeechError> SetActive(bool active) override;
  std::optional<SpeechError> RemoveCommand(std::int32_t id) override;
  std::optional<SpeechError> ReleaseMenu() override;
  std::optional<SpeechError> Unregister() override;
  std::optional<SpeechError> Wake() override;

 private:
  std::shared_ptr<SpeechScript> script_;
  SpeechEvents* events_ = nullptr;
};

// The speech port: no service unless the test gives a factory (a SpeechScript's Create).
class FakeSpeechServices final : public SpeechServices {
 public:
  explicit FakeSpeechServices(FakeLog& log) : log_(log) {}

  std::function<std::unique_ptr<SpeechService>(SpeechError&)> speechFactory;
  std::string recogniserProcessName = "natspeak.exe";
  std::string recogniserDisplayName = "Dragon NaturallySpeaking";

  std::unique_ptr<SpeechService> CreateSpeechService(SpeechError& error) override;
  std::string RecogniserProcessName() override { return recogniserProcessName; }
  std::string RecogniserDisplayName() override { return recogniserDisplayName; }

 private:
  FakeLog& log_;
};

}  // namespace varnel

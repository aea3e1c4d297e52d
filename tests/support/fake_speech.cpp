#include "support/fake_speech.h"

namespace varnel {

void SpeechScript::FailOn(std::string op, SpeechError error, int nth) {
  failOp_ = std::move(op);
  failError_ = std::move(error);
  failNth_ = nth;
  seen_ = 0;
}

std::optional<SpeechError> SpeechScript::Record(SpeechCall call) {
  const bool match = !failOp_.empty() && call.op == failOp_;
  calls.push_back(std::move(call));
  if (match && ++seen_ == failNth_) {
    return failError_;
  }
  return std::nullopt;
}

void SpeechScript::Recognize(std::int32_t id, const std::string& command,
                             std::vector<std::string> listResults) {
  if (events == nullptr) {
    return;
  }
  SpeechRecognition r;
  r.command = command;
  r.id = id;
  r.listResults = std::move(listResults);
  events->OnCommandRecognize(r);
}

void SpeechScript::Other(const std::string& command) {
  if (events != nullptr) {
    events->OnCommandOther(command, "", "");
  }
}

void SpeechScript::Sleep(bool asleep) {
  if (events != nullptr) {
    events->OnSleepChanged(asleep);
  }
}

void SpeechScript::Lose() {
  SpeechEvents* gone = events;
  events = nullptr;
  if (gone != nullptr) {
    gone->OnServiceLost();
  }
}

std::vector<SpeechCall> SpeechScript::CallsOf(const std::string& op) const {
  std::vector<SpeechCall> out;
  for (const auto& c : calls) {
    if (c.op == op) {
      out.push_back(c);
    }
  }
  return out;
}

std::unique_ptr<SpeechService> SpeechScript::Create(SpeechError& error) {
  if (createError) {
    error = *createError;
    return nullptr;
  }
  ++created;
  return std::make_unique<FakeSpeechService>(shared_from_this());
}

FakeSpeechService::~FakeSpeechService() {
  if (script_->events == events_) {
    script_->events = nullptr;
  }
  script_->calls.push_back({"Destroyed", {}});
}

std::optional<SpeechError> FakeSpeechService::Register(SpeechEvents* events) {
  auto failed = script_->Record({"Register", {}});
  if (!failed) {
    events_ = events;
    script_->events = events;
  }
  return failed;
}

std::optional<SpeechError> FakeSpeechService::CreateMenu(const std::string& app,
                                                         const std::string& state, int language) {
  return script_->Record({"CreateMenu", {app, state, std::to_string(language)}});
}

std::optional<SpeechError> FakeSpeechService::SetList(const std::string& name, int count,
                                                      const std::string& items) {
  return script_->Record({"SetList", {name, std::to_string(count), items}});
}

std::optional<SpeechError> FakeSpeechService::AddCommand(std::int32_t id, const std::string& spoken,
                                                         const std::string& description) {
  return script_->Record({"AddCommand", {std::to_string(id), spoken, description}});
}

std::optional<SpeechError> FakeSpeechService::SetActive(bool active) {
  return script_->Record({"SetActive", {active ? "1" : "0"}});
}

std::optional<SpeechError> FakeSpeechService::RemoveCommand(std::int32_t id) {
  return script_->Record({"RemoveCommand", {std::to_string(id)}});
}

std::optional<SpeechError> FakeSpeechService::ReleaseMenu() {
  return script_->Record({"ReleaseMenu", {}});
}

std::optional<SpeechError> FakeSpeechService::Wake() {
  return script_->Record({"Wake", {}});
}

std::optional<SpeechError> FakeSpeechService::Unregister() {
  auto failed = script_->Record({"Unregister", {}});
  if (script_->events == events_) {
    script_->events = nullptr;
  }
  events_ = nullptr;
  return failed;
}

std::unique_ptr<SpeechService> FakeSpeechServices::CreateSpeechService(SpeechError& error) {
  log_.Record("CreateSpeechService");
  if (speechFactory) {
    return speechFactory(error);
  }
  constexpr std::int32_t kClassNotRegistered = -2147221005;  // CO_E_CLASSSTRING
  error = {kClassNotRegistered, "Invalid class string"};
  return nullptr;
}

}  // namespace varnel

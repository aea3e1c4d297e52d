#include "support/fake_log.h"

#include <algorithm>

namespace varnel {

std::string FakeCall::ToString() const {
  std::string s = op;
  for (auto a : args) {
    s += " " + std::to_string(a);
  }
  if (!text.empty()) {
    s += " \"" + text + "\"";
  }
  return s;
}

void FakeLog::Record(std::string op, std::vector<std::int64_t> args, std::string text) {
  calls_.push_back({std::move(op), std::move(args), std::move(text)});
}

std::vector<FakeCall> FakeLog::Calls(const std::string& op) const {
  std::vector<FakeCall> out;
  std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(out),
               [&](const FakeCall& c) { return c.op == op; });
  return out;
}

std::size_t FakeLog::CountCalls(const std::string& op) const {
  return static_cast<std::size_t>(
      std::count_if(calls_.begin(), calls_.end(), [&](const FakeCall& c) { return c.op == op; }));
}

std::vector<std::string> FakeLog::Lines() const {
  std::vector<std::string> out;
  out.reserve(calls_.size());
  for (const auto& c : calls_) {
    out.push_back(c.ToString());
  }
  return out;
}

}  // namespace varnel

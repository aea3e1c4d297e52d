// The ordered record that every fake writes into, so that a test can check the order of calls
// across ports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace varnel {

// One recorded call or delivered event: an operation name, numeric arguments and a text.
struct FakeCall {
  std::string op;
  std::vector<std::int64_t> args;
  std::string text;
  std::string ToString() const;
};

class FakeLog {
 public:
  void Record(std::string op, std::vector<std::int64_t> args = {}, std::string text = {});
  const std::vector<FakeCall>& Entries() const { return calls_; }
  std::vector<FakeCall> Calls(const std::string& op) const;  // entries with this op, in order
  std::size_t CountCalls(const std::string& op) const;
  std::vector<std::string> Lines() const;  // every entry as text
  void Clear() { calls_.clear(); }

 private:
  std::vector<FakeCall> calls_;
};

}  // namespace varnel

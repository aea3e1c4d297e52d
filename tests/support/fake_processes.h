// The processes running now: this program's own first, then what the test adds.
#pragma once

#include <string>
#include <vector>

#include "ports/processes.h"

namespace varnel {

class FakeProcesses final : public Processes {
 public:
  explicit FakeProcesses(ProcessId ownPid) : processes_{{ownPid, ownExecutableName}} {}

  void AddProcess(ProcessId pid, const std::string& exe) { processes_.push_back({pid, exe}); }
  void RemoveProcess(ProcessId pid) {
    std::erase_if(processes_, [&](const ProcessEntry& e) { return e.pid == pid; });
  }
  void SetProcesses(std::vector<ProcessEntry> list) { processes_ = std::move(list); }
  std::string ownExecutableName = "varnel";

  std::vector<ProcessEntry> RunningProcesses() override { return processes_; }
  std::string OwnExecutableName() override { return ownExecutableName; }

 private:
  std::vector<ProcessEntry> processes_;
};

}  // namespace varnel

// The processes running now.
#pragma once

#include <string>
#include <vector>
#include "ports/windows.h"

namespace varnel {

struct ProcessEntry {
  ProcessId pid = 0;
  std::string exeFile;  // executable file name, no folder
};

class Processes {
 public:
  virtual std::vector<ProcessEntry> RunningProcesses() = 0;  // snapshot order; empty on failure
  virtual std::string OwnExecutableName() = 0;               // this program's file name

 protected:
  ~Processes() = default;
};

}  // namespace varnel

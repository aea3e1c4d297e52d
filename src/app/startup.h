// Start-up and the single-instance hand-off.
#pragma once

#include "platform/platform.h"

namespace varnel {

class Program;

class Startup {
 public:
  explicit Startup(Program& program) : p_(program) {}

  enum class Result { HandedOff, Running };
  // Fixes the settings path, hands off to a running instance or becomes the running one.
  Result Main();
  void CreateSendKey();

 private:
  // The recorded handle names a live search window of a Varnel process.
  bool IsRunningInstance(Hwnd hwnd);

  Program& p_;
};

}  // namespace varnel

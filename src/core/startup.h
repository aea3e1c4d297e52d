// Start-up and the single-instance hand-off.
#pragma once

#include "ports/platform.h"

namespace varnel {

class Program;

class Startup {
 public:
  explicit Startup(Program& program) : p_(program) {}

  // NoAnswer: another process holds the single instance but never took the hand-off.
  enum class Result { HandedOff, Running, NoAnswer };
  // Fixes the settings path, hands off to a running instance or becomes the running one.
  Result Main();
  void CreateSendKey();

 private:
  // The recorded handle names a live search window of a Varnel process.
  bool IsRunningInstance(Hwnd hwnd);
  // Summons that window when it is a running instance's; true when it took the message.
  bool HandOff(Hwnd hwnd);
  Hwnd RecordedHandle();
  // Another process holds the claim: hand off to its window, waiting while it comes up.
  // Returns the claim as it stands at the end.
  InstanceClaim HandOffToHolder(bool& handedOff);

  Program& p_;
};

}  // namespace varnel

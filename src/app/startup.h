// Start-up and the single-instance hand-off.
#pragma once

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
  Program& p_;
};

}  // namespace varnel

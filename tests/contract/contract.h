// The ports' contracts: cases written once and run against every implementation of a port
// (the in-memory fake, the X11 adapters, the Win32 adapters), so that what the unit tests
// learn on the fake holds on the systems too. A case reaches the ports through a Subject and
// does what only a test can do (make a foreign window, wait for the system) through a Driver.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ports/events.h"
#include "ports/ports.h"

namespace varnel::contract {

// Where a case reports what it found wrong.
class Check {
 public:
  virtual void Fail(const std::string& what) = 0;
  bool Expect(bool ok, const std::string& what) {
    if (!ok) {
      Fail(what);
    }
    return ok;
  }

 protected:
  ~Check() = default;
};

// What a test does to the system behind the ports.
class Driver {
 public:
  // Runs the platform's events until `done` holds, for a generous while at most (the real
  // systems answer some requests later); whether it came to hold.
  virtual bool RunUntil(const std::function<bool()>& done) = 0;
  // A shown top-level window of another program's kind; 0 when none can be made.
  virtual WindowId MakeWindow() = 0;
  virtual void DestroyWindow(WindowId hwnd) = 0;
  virtual void SetEnvironment(const std::string& name, const std::string& value) = 0;
  virtual ProcessId OwnProcess() = 0;

 protected:
  ~Driver() = default;
};

// Records what the platform delivers.
class Recorder final : public PlatformEvents {
 public:
  std::vector<Code> codes;
  std::vector<ControlRef> clicks;
  bool insideEvent = false;  // a handler is running
  bool nested = false;       // an event arrived while another's handler ran
  // Runs inside OnDeferredCode, after the code is recorded.
  std::function<void(Code)> onCode;

  void OnDeferredCode(Code code) override;
  void OnWindowMessage(WindowId, Code, std::uint32_t, std::uint32_t) override {}
  void OnCommandPhrase(const std::string&) override {}
  void OnTimer() override {}
  KeyVerdict OnGlobalKey(const KeyEvent&) override { return KeyVerdict::PassOn; }
  void OnResize() override {}
  void OnDeactivate() override {}
  void OnUnload() override {}
  bool OnCloseRequest() override { return true; }
  void OnTrayEntry(TrayEntry) override {}
  void OnKeyPress(int&) override {}
  void OnKeyUp(int, int) override {}
  void OnMouseMove(ControlRef) override {}
  void OnDblClick() override {}
  void OnClick(ControlRef control) override { clicks.push_back(control); }
};

// One implementation of the ports under test. The real systems keep one for the whole run, so
// a case leaves it as it found it, apart from the search window, which stays once made.
struct Subject {
  Ports ports;
  Recorder& events;
  Driver& driver;
  WindowId searchWindow = 0;
};

// The search window, made and shown on first use.
WindowId ShownSearchWindow(Subject& s);

struct Case {
  const char* port;
  const char* name;
  std::function<void(Subject&, Check&)> run;
};

std::vector<Case> EventLoopContract();
std::vector<Case> SystemPathsContract();
std::vector<Case> KeyboardLayoutContract();
std::vector<Case> SearchViewContract();
std::vector<Case> DesktopContract();

// Every case, in the order the real systems run them: the event loop's first, while no
// search window exists yet.
std::vector<Case> AllContracts();

}  // namespace varnel::contract

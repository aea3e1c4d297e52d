// The low-level keyboard hook on a thread of its own. Windows calls a low-level hook on the
// thread that installed it, from that thread's message loop, and holds every key of the
// desktop until the hook returns; on the window thread, anything slow there (a shell call,
// a file write, a process list) would hold the whole keyboard, and after
// LowLevelHooksTimeout Windows removes the hook without a word. This thread does nothing
// but run the hook.
#pragma once

#include <windows.h>

namespace varnel::win {

class HookThread {
 public:
  HookThread() = default;
  HookThread(const HookThread&) = delete;
  HookThread& operator=(const HookThread&) = delete;
  ~HookThread() { Stop(); }

  // Starts the thread, which installs `proc` and runs its message loop. Returns the hook,
  // nullptr when it could not be installed (no thread is left running then).
  HHOOK Start(HOOKPROC proc);
  // Removes the hook and ends the thread; returns when the thread has ended.
  void Stop();
  bool Running() const { return thread_ != nullptr; }

 private:
  static DWORD WINAPI Run(void* self);

  HOOKPROC proc_ = nullptr;
  HANDLE thread_ = nullptr;
  DWORD threadId_ = 0;
  HANDLE ready_ = nullptr;  // set once the hook is installed, or could not be
  HHOOK hook_ = nullptr;    // written by the thread before ready_ is set
};

}  // namespace varnel::win

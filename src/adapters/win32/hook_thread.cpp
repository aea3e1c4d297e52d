#include "adapters/win32/hook_thread.h"

namespace varnel::win {

HHOOK HookThread::Start(HOOKPROC proc) {
  Stop();
  proc_ = proc;
  hook_ = nullptr;
  ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (ready_ == nullptr) {
    return nullptr;
  }
  thread_ = CreateThread(nullptr, 0, Run, this, 0, &threadId_);
  if (thread_ != nullptr) {
    // Quick: the thread only makes its message queue and installs the hook.
    WaitForSingleObject(ready_, INFINITE);
  }
  CloseHandle(ready_);
  ready_ = nullptr;
  if (hook_ == nullptr) {
    Stop();
  }
  return hook_;
}

void HookThread::Stop() {
  if (thread_ == nullptr) {
    return;
  }
  // The thread's queue exists by now (it was made before ready_ was set), so the quit
  // message cannot be lost. The thread never blocks for long: at worst a next hook of
  // another program holds it until the system's hook timeout.
  PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
  WaitForSingleObject(thread_, INFINITE);
  CloseHandle(thread_);
  thread_ = nullptr;
  threadId_ = 0;
  hook_ = nullptr;
}

DWORD WINAPI HookThread::Run(void* param) {
  auto* self = static_cast<HookThread*>(param);
  // Every key of the desktop waits for this thread: let it run before ordinary work.
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
  MSG m;
  PeekMessageW(&m, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // makes the message queue
  const HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, self->proc_, GetModuleHandleW(nullptr), 0);
  self->hook_ = hook;
  SetEvent(self->ready_);
  if (hook == nullptr) {
    return 1;
  }
  // The hook is called from inside GetMessage; nothing else arrives here but the quit.
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    DispatchMessageW(&m);
  }
  UnhookWindowsHookEx(hook);
  return 0;
}

}  // namespace varnel::win

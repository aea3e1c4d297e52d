// The single instance in one user's desktop session: a named mutex that only the first start
// creates, taken before anything else, and a small named block of memory that carries the
// holder's window for later starts. Both go when the holder ends, however it ends.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "ports/platform.h"

namespace varnel::win {

class InstanceMutex {
 public:
  InstanceMutex();
  ~InstanceMutex();
  InstanceMutex(const InstanceMutex&) = delete;
  InstanceMutex& operator=(const InstanceMutex&) = delete;

  InstanceClaim Claim();
  void Publish(std::uint32_t window);  // only the holder writes
  std::uint32_t Published() const;     // 0 when none is written yet

  const std::wstring& MutexName() const { return mutexName_; }

 private:
  std::wstring mutexName_;
  std::wstring windowName_;
  HANDLE mutex_ = nullptr;
  HANDLE window_ = nullptr;
};

// "Local\Varnel-" and the user's SID (the user name where the SID cannot be read): one name
// per user in each session, whatever folder the program runs from.
std::wstring InstanceMutexName();

// The process runs at a higher integrity level than this one (elevated, for one), so that
// the system keeps this one from driving its windows. A process whose level this one may not
// read counts as higher: the same user's processes at or below our level are readable.
bool ProcessRunsAbove(DWORD pid);

}  // namespace varnel::win

// The one running instance per user and desktop session, and the hand-off to it.
#pragma once

#include <cstdint>
#include <string>
#include "domain/codes.h"
#include "ports/windows.h"

namespace varnel {

// The answer to a claim of the one running instance.
enum class InstanceClaim : std::uint8_t {
  First,        // this process is the running instance
  Taken,        // another process holds the claim
  Unavailable,  // the system could not tell; the settings file's record decides
};

class Instances {
 public:
  // Claims it atomically; the claim lasts until this process ends. Asked again after Taken,
  // the claim goes to this process when the holder has ended meanwhile.
  virtual InstanceClaim ClaimSingleInstance() = 0;
  // The holder tells later starts which window takes the hand-off.
  virtual void PublishInstanceWindow(WindowId window) = 0;
  virtual WindowId PublishedInstanceWindow() = 0;  // 0 until the holder has published one
  // Lets that process take the foreground, which a start by the user may pass on.
  virtual void GrantForeground(ProcessId pid) = 0;
  // The process runs with more rights than this one (Windows: a higher integrity level), so
  // the system keeps this one from driving its windows.
  virtual bool RunsWithMoreRights(ProcessId pid) = 0;

  // Sends a message and waits for the receiver, at most timeoutMs. False when not delivered.
  virtual bool SendPrivateMessage(WindowId window, Code message, std::uint32_t first,
                                  std::uint32_t second, std::uint32_t timeoutMs) = 0;
  // Hands a command phrase to the instance owning window. False when not delivered.
  virtual bool SendCommandPhrase(WindowId window, const std::string& phrase,
                                 std::uint32_t timeoutMs) = 0;

 protected:
  ~Instances() = default;
};

}  // namespace varnel

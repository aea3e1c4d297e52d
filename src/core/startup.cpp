#include "core/startup.h"

#include "core/keyboard_hook.h"
#include "core/search_window.h"
#include "core/settings.h"
#include "core/summoning.h"
#include "core/voice_activation.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

#include "core/config_path.h"
#include "core/summon_setting.h"
#include "domain/codes.h"
#include "domain/text_compare.h"

namespace varnel {

namespace {

constexpr const char* kAppSection = "Application";
constexpr const char* kAppHwndKey = "AppHwnd";
// How long a start that finds the instance claimed waits for the holder's window: the holder
// may have started at the same moment and still be building it.
constexpr std::uint32_t kHolderWindowWaitMs = 20000;
constexpr std::uint32_t kHolderWindowPollMs = 50;

}  // namespace

// Handles are reused: the recorded one only counts when it still is a Varnel search window.
bool Startup::IsRunningInstance(WindowId window) {
  if (window == 0 || !desktop_.WindowExists(window)) {
    return false;
  }
  if (!EqualsIgnoringCase(desktop_.ClassName(window), "Varnel")) {
    return false;
  }
  const std::vector<ProcessEntry> processes = processes_.RunningProcesses();
  // Without a process list the class name is all there is to go on.
  if (processes.empty()) {
    return true;
  }
  const ProcessId pid = desktop_.WindowProcess(window);
  const std::string own = processes_.OwnExecutableName();
  for (const ProcessEntry& e : processes) {
    if (e.pid != pid || pid == 0) {
      continue;
    }
    return EqualsIgnoringCase(e.exeFile, own) || EqualsIgnoringCase(e.exeFile, "varnel") ||
           EqualsIgnoringCase(e.exeFile, "varnel.exe");
  }
  return false;
}

bool Startup::HandOff(WindowId window) {
  if (!IsRunningInstance(window)) {
    return false;
  }
  // This start was the user's doing, so it may pass the foreground on to the window it summons.
  instances_.GrantForeground(desktop_.WindowProcess(window));
  if (!instances_.SendPrivateMessage(window, kSummonMessage, kSummonParam, kSummonParam,
                                     kHandOffTimeoutMs)) {
    return false;
  }
  loop_.RunPendingEvents();
  return true;
}

WindowId Startup::RecordedHandle() {
  return static_cast<WindowId>(settings_.ReadIniNumber(kAppSection, kAppHwndKey, 0));
}

InstanceClaim Startup::HandOffToHolder(bool& handedOff) {
  const std::uint32_t start = loop_.Milliseconds();
  InstanceClaim claim = InstanceClaim::Taken;
  while (claim == InstanceClaim::Taken) {
    // The published window is the holder's own; the settings file may be unwritable or name
    // a window of an instance that has ended.
    const WindowId published = instances_.PublishedInstanceWindow();
    const WindowId recorded = RecordedHandle();
    if (HandOff(published) || (recorded != published && HandOff(recorded))) {
      handedOff = true;
      break;
    }
    if (loop_.Milliseconds() - start >= kHolderWindowWaitMs) {
      break;
    }
    loop_.Sleep(kHolderWindowPollMs);
    claim = instances_.ClaimSingleInstance();
  }
  return claim;
}

Startup::Result Startup::Main() {
  settings_.file = ResolveConfigFile(paths_);

  // Taken before anything else, so that of simultaneous starts exactly one goes on.
  InstanceClaim claim = instances_.ClaimSingleInstance();
  bool handedOff = false;
  if (claim == InstanceClaim::Taken) {
    claim = HandOffToHolder(handedOff);
    if (!handedOff && claim == InstanceClaim::Taken) {
      notices_.SetMousePointer(Pointer::Normal);
      return Result::NoAnswer;
    }
  } else if (claim == InstanceClaim::Unavailable) {
    // A running instance that does not answer in time counts as absent.
    handedOff = HandOff(RecordedHandle());
  }

  if (!handedOff) {
    summoning_.ShowSearchWindow();
    const SummonSetting summon = ReadSummonSetting(settings_);
    if (!summon.problem.empty()) {
      std::fprintf(stderr, "varnel: %s\n", summon.problem.c_str());
    }
    hook_.SetSummonChord(summon.chord);
    hook_.HookKeyboard();
    if (window_.handle != 0) {
      settings_.WriteIniString(kAppSection, kAppHwndKey, std::to_string(window_.handle));
      instances_.PublishInstanceWindow(window_.handle);
    }
    if (voice_.RecogniserRunning() != 0) {
      voice_.SwitchOnAtStart();
    }
  }

  notices_.SetMousePointer(Pointer::Normal);
  if (handedOff) {
    return Result::HandedOff;
  }
  CreateKeySender();
  return Result::Running;
}

void Startup::CreateKeySender() {
  if (!voice_.keySender) {
    voice_.keySender = voice_.MakeKeySender();
  }
}

}  // namespace varnel

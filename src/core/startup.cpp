#include "core/startup.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

#include "core/config_path.h"
#include "core/program.h"
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
bool Startup::IsRunningInstance(Hwnd hwnd) {
  Platform& pf = p_.platform;
  if (hwnd == 0 || !pf.WindowExists(hwnd)) {
    return false;
  }
  if (!EqualsIgnoringCase(pf.ClassName(hwnd), "Varnel")) {
    return false;
  }
  const std::vector<ProcessEntry> processes = pf.RunningProcesses();
  // Without a process list the class name is all there is to go on.
  if (processes.empty()) {
    return true;
  }
  const ProcessId pid = pf.WindowProcess(hwnd);
  const std::string own = pf.OwnExecutableName();
  for (const ProcessEntry& e : processes) {
    if (e.pid != pid || pid == 0) {
      continue;
    }
    return EqualsIgnoringCase(e.exeFile, own) || EqualsIgnoringCase(e.exeFile, "varnel") ||
           EqualsIgnoringCase(e.exeFile, "varnel.exe");
  }
  return false;
}

bool Startup::HandOff(Hwnd hwnd) {
  Platform& pf = p_.platform;
  if (!IsRunningInstance(hwnd)) {
    return false;
  }
  // This start was the user's doing, so it may pass the foreground on to the window it summons.
  pf.GrantForeground(pf.WindowProcess(hwnd));
  if (!pf.SendPrivateMessage(hwnd, kSummonMessage, kSummonParam, kSummonParam, kHandOffTimeoutMs)) {
    return false;
  }
  pf.RunPendingEvents();
  return true;
}

Hwnd Startup::RecordedHandle() {
  return static_cast<Hwnd>(p_.settings.ReadIniLong(kAppSection, kAppHwndKey, 0));
}

InstanceClaim Startup::HandOffToHolder(bool& handedOff) {
  Platform& pf = p_.platform;
  const std::uint32_t start = pf.Milliseconds();
  InstanceClaim claim = InstanceClaim::Taken;
  while (claim == InstanceClaim::Taken) {
    // The published window is the holder's own; the settings file may be unwritable or name
    // a window of an instance that has ended.
    const Hwnd published = pf.PublishedInstanceWindow();
    const Hwnd recorded = RecordedHandle();
    if (HandOff(published) || (recorded != published && HandOff(recorded))) {
      handedOff = true;
      break;
    }
    if (pf.Milliseconds() - start >= kHolderWindowWaitMs) {
      break;
    }
    pf.Sleep(kHolderWindowPollMs);
    claim = pf.ClaimSingleInstance();
  }
  return claim;
}

Startup::Result Startup::Main() {
  Platform& pf = p_.platform;
  ProgramState& st = p_.state;
  st.cfgFile = ResolveConfigFile(pf);

  // Taken before anything else, so that of simultaneous starts exactly one goes on.
  InstanceClaim claim = pf.ClaimSingleInstance();
  bool handedOff = false;
  if (claim == InstanceClaim::Taken) {
    claim = HandOffToHolder(handedOff);
    if (!handedOff && claim == InstanceClaim::Taken) {
      pf.SetMousePointer(kPointerDefault);
      return Result::NoAnswer;
    }
  } else if (claim == InstanceClaim::Unavailable) {
    // A running instance that does not answer in time counts as absent.
    handedOff = HandOff(RecordedHandle());
  }

  if (!handedOff) {
    p_.summoning.ShowSearchWindow();
    st.quote = "\"";
    const SummonSetting summon = ReadSummonSetting(p_.settings);
    if (!summon.problem.empty()) {
      std::fprintf(stderr, "varnel: %s\n", summon.problem.c_str());
    }
    p_.hook.SetSummonChord(summon.chord);
    p_.hook.HookKeyboard();
    if (st.searchWindow != 0) {
      p_.settings.WriteIniString(kAppSection, kAppHwndKey, std::to_string(st.searchWindow));
      pf.PublishInstanceWindow(st.searchWindow);
    }
    if (p_.voice.IsNatSpeakRunning() != 0) {
      p_.voice.SwitchOnAtStart();
    }
  }

  pf.SetMousePointer(kPointerDefault);
  if (handedOff) {
    return Result::HandedOff;
  }
  CreateSendKey();
  return Result::Running;
}

void Startup::CreateSendKey() {
  if (!p_.sendKey) {
    p_.sendKey = std::make_unique<KeySender>(p_);
  }
  p_.state.sendKeyExists = true;
}

}  // namespace varnel

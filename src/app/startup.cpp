#include "app/startup.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <string_view>

#include "app/config_path.h"
#include "app/program.h"
#include "app/summon_setting.h"
#include "ui/codes.h"

namespace varnel {

namespace {

constexpr const char* kAppSection = "Application";
constexpr const char* kAppHwndKey = "AppHwnd";

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

// Handles are reused: the recorded one only counts when it still is a Varnel search window.
bool Startup::IsRunningInstance(Hwnd hwnd) {
  Platform& pf = p_.platform;
  if (hwnd == 0 || !pf.IsWindow(hwnd)) {
    return false;
  }
  if (!EqualNoCase(pf.ClassName(hwnd), "Varnel")) {
    return false;
  }
  const std::vector<ProcessEntry> processes = pf.Processes();
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
    return EqualNoCase(e.exeFile, own) || EqualNoCase(e.exeFile, "varnel") ||
           EqualNoCase(e.exeFile, "varnel.exe");
  }
  return false;
}

Startup::Result Startup::Main() {
  Platform& pf = p_.platform;
  ProgramState& st = p_.state;
  st.cfgFile = ResolveConfigFile(pf);

  const auto recorded = static_cast<Hwnd>(p_.settings.ReadIniLong(kAppSection, kAppHwndKey, 0));
  bool handedOff = false;
  if (IsRunningInstance(recorded)) {
    // A running instance that does not answer in time counts as absent.
    if (pf.SendMessageTimeout(recorded, MSG_SHOW_BOX, SHOW_BOX_PARAM, SHOW_BOX_PARAM,
                              kHandOffTimeoutMs)) {
      pf.DoEvents();
      handedOff = true;
    }
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
    if (st.hwndBox != 0) {
      p_.settings.WriteIniString(kAppSection, kAppHwndKey, std::to_string(st.hwndBox));
    }
    if (p_.voice.IsNatSpeakRunning() != 0) {
      p_.voice.SetVoiceCommands(true);
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
    p_.sendKey = std::make_unique<ClsSendKey>(p_);
  }
  p_.state.sendKeyExists = true;
}

}  // namespace varnel

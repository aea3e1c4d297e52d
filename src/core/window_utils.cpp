#include "core/window_utils.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "core/browser.h"
#include "core/program.h"
#include "domain/codes.h"
#include "domain/text_compare.h"

namespace varnel {

namespace {

// The sought name matches by prefix; a name with ".exe" also matches the bare name, since
// processes on other systems have no extension.
bool ImageMatches(std::string_view exe, std::string_view name) {
  if (StartsWithIgnoringCase(exe, name)) {
    return true;
  }
  constexpr std::string_view kExe = ".exe";
  if (name.size() > kExe.size() && EndsWithIgnoringCase(name, kExe)) {
    return EqualsIgnoringCase(exe, name.substr(0, name.size() - kExe.size()));
  }
  return false;
}

constexpr std::string_view kPellarImage = "Pellar.exe";

}  // namespace

std::string GetFileName(const std::string& path) {
  std::string s = path.substr(0, path.find('\0'));
  if (!s.empty() && s.back() == '\\') {
    s.pop_back();
  }
  if (s.size() < 2) {
    return s;
  }
  // The last character never counts as the separator: a trailing "/" stays part of the name.
  const std::size_t from = s.size() - 2;
  std::size_t sep = s.rfind('\\', from);
  if (sep == std::string::npos) {
    sep = s.rfind('/', from);
  }
  return sep == std::string::npos ? s : s.substr(sep + 1);
}

std::uint64_t WindowUtils::TickNow() {
  return p_.platform.Milliseconds();
}

void WindowUtils::WaitMs(std::int32_t ms, bool yield) {
  Platform& pf = p_.platform;
  pf.Sleep(1);
  pf.RunPendingEvents();
  if (ms <= 0) {
    return;
  }
  // Unsigned difference: correct across the 2^32 wrap of the tick counter.
  const std::uint32_t start = pf.Milliseconds();
  const auto span = static_cast<std::uint32_t>(ms);
  while (static_cast<std::uint32_t>(pf.Milliseconds() - start) < span) {
    if (yield) {
      pf.RunPendingEvents();
    }
    pf.Sleep(1);  // don't burn a core while waiting
  }
}

void WindowUtils::ForceForeground(Hwnd hwnd, bool pulse) {
  Platform& pf = p_.platform;
  const Hwnd fg = pf.WindowInFront();
  if (hwnd != fg) {
    const ThreadId tFg = pf.WindowThread(fg);
    const ThreadId tWin = pf.WindowThread(hwnd);
    bool taken = false;
    if (tFg != tWin && tFg != 0 && tWin != 0) {
      // Sharing input state lets us take the foreground from the current owner.
      pf.ShareInputState(tFg, tWin, true);
      taken = pf.BringToFront(hwnd);
      pf.ShareInputState(tFg, tWin, false);
    } else {
      taken = pf.BringToFront(hwnd);
    }
    // The search window is asked once, unless the system refused it the foreground.
    if (hwnd != p_.state.searchWindow || !taken || pf.WindowInFront() != hwnd) {
      WaitMs(0, true);
      RetryForeground(hwnd);
    }
  }
  WaitMs(0, true);
  if (pulse) {
    SetTopmost(hwnd, true);
    WaitMs(0, true);
    SetTopmost(hwnd, false);
  }
}

void WindowUtils::RetryForeground(Hwnd hwnd) {
  Platform& pf = p_.platform;
  if (hwnd == pf.WindowInFront()) {
    return;
  }
  pf.BringToFront(hwnd);
  pf.SetStacking(hwnd, ZPlace::Top);
  if (hwnd != pf.WindowInFront()) {
    pf.BringToFront(hwnd);
  }
}

void WindowUtils::SetTopmost(Hwnd hwnd, bool on) {
  p_.platform.SetStacking(hwnd, on ? ZPlace::TopMost : ZPlace::NoTopMost);
}

void WindowUtils::ActivateWindow(Hwnd hwnd) {
  ForceForeground(hwnd, false);
}

void WindowUtils::HideSearchWindow() {
  Platform& pf = p_.platform;
  if (pf.ViewTop() == kParkedTop) {
    return;
  }
  pf.SetViewTop(kParkedTop);
  pf.SetTextColour(ControlRef{Control::DoIt, 0}, kHeadingBlue);
  p_.window.SetKeyboard(false);
  const Hwnd next = NextShownWindow(p_.state.searchWindow);
  if (next != 0) {
    ActivateWindow(next);
  }
  p_.hook.RefreshKeyboardHook();
}

Hwnd WindowUtils::NextShownWindow(Hwnd hStart) {
  Platform& pf = p_.platform;
  const Hwnd desktop = pf.DesktopRoot();
  Hwnd cur = hStart;
  for (int step = 0; step < kZOrderStepLimit; ++step) {
    cur = pf.WindowBelow(cur);
    if (cur == 0) {
      return 0;  // the end of the stacking order; every further step gives 0 too
    }
    if (cur == hStart || cur == desktop) {
      continue;
    }
    if (IsShownWindow(cur)) {
      return cur;
    }
  }
  return 0;
}

bool WindowUtils::IsShownWindow(Hwnd hwnd) {
  return hwnd != 0 && p_.platform.WindowVisible(hwnd) && !p_.platform.WindowMinimised(hwnd);
}

void WindowUtils::PlaceBehindForeground(Hwnd hwnd) {
  Platform& pf = p_.platform;
  if (hwnd == 0 || pf.WindowMinimised(hwnd)) {
    return;
  }
  const Hwnd fg = pf.WindowInFront();
  SetWindowOwner(hwnd, pf.DesktopRoot());
  if (fg == 0 || fg == hwnd || pf.WindowMinimised(fg)) {
    return;
  }
  pf.PlaceBelow(hwnd, fg);
}

void WindowUtils::SetWindowOwner(Hwnd hwnd, Hwnd hOwner) {
  Platform& pf = p_.platform;
  if (hwnd == 0 || hwnd == hOwner) {
    return;
  }
  Hwnd owner = pf.WindowExists(hOwner) ? hOwner : pf.WindowInFront();
  if (owner != 0 && pf.WindowRect(owner).bottom == 0) {
    owner = 0;
  }
  if (owner != 0 &&
      (!pf.WindowExists(owner) || !pf.WindowVisible(owner) || pf.WindowMinimised(owner))) {
    owner = 0;
  }
  if (owner == 0) {
    owner = pf.DesktopRoot();
  }
  if (owner != hwnd) {
    pf.SetOwner(hwnd, owner);
  }
}

void WindowUtils::CentreForm() {
  Platform& pf = p_.platform;
  if (pf.ViewState() != WindowState::Normal) {
    return;
  }
  const Twips w = pf.ViewWidth();
  const Twips h = pf.ViewHeight();
  const Twips left = pf.ScreenWidth() / 2 - w / 2;
  const Twips top = pf.ScreenHeight() / 2 - h / 2;
  // Three quarters of the centred offset: the window sits a little above the middle.
  const auto raised = static_cast<Twips>(std::lround(top - top * 0.25));
  pf.MoveView(left, raised, w, h);
}

std::uint32_t WindowUtils::FindProcess(const std::string& image, bool pidOnly, bool activate) {
  Platform& pf = p_.platform;
  ProgramState& st = p_.state;
  st.foundProcess = 0;
  const std::string name = GetFileName(image);
  for (const ProcessEntry& entry : pf.RunningProcesses()) {
    if (ImageMatches(TrimNull(entry.exeFile), name)) {
      st.foundProcess = entry.pid;
      break;
    }
  }
  if (pidOnly) {
    return st.foundProcess;
  }
  Hwnd h = 0;
  if (st.foundProcess != 0) {
    h = FindAppWindow(kModeCaptionedOfFound);
  }
  if (h != 0 && activate) {
    if (pf.WindowMinimised(h)) {
      pf.ChangeWindowState(h, ShowCmd::Restore);
    }
    ForceForeground(h, true);
  }
  return h;
}

Hwnd WindowUtils::FindAppWindow(int mode) {
  ProgramState& st = p_.state;
  // The sibling lookup goes through FindProcess too; keep the pid our own caller found.
  const ProcessId requested = st.foundProcess;
  st.helperProcess = FindProcess(std::string(kPellarImage), true, false);
  st.foundProcess = requested;
  st.foundWindow = 0;
  p_.platform.ForEachWindow(
      [this, mode, requested](Hwnd h) { return EnumWindowProc(h, mode, requested); });
  return st.foundWindow;
}

bool WindowUtils::EnumWindowProc(Hwnd hwnd, int mode, ProcessId requested) {
  Platform& pf = p_.platform;
  ProgramState& st = p_.state;
  bool match = false;
  if (mode == kModePellarMain) {
    match = WindowProcessId(hwnd) == st.helperProcess && IsMdiMainFormClass(hwnd);
  } else if (mode == kModeCaptionedOfFound) {
    match = pf.WindowVisible(hwnd) && pf.HasTitleBar(hwnd) && WindowProcessId(hwnd) == requested;
  }
  if (match) {
    st.foundWindow = hwnd;
    return false;
  }
  return true;
}

bool WindowUtils::IsMdiMainFormClass(Hwnd hwnd) {
  const std::string cls = p_.platform.ClassName(hwnd);
  return EqualsIgnoringCase(cls, "ThunderMDIForm") || EqualsIgnoringCase(cls, "ThunderRT6MDIForm");
}

ProcessId WindowUtils::WindowProcessId(Hwnd hwnd) {
  // An unknown owner reads as 1, so it never equals the "not running" pid 0.
  const ProcessId pid = p_.platform.WindowProcess(hwnd);
  return pid == 0 ? 1 : pid;
}

}  // namespace varnel

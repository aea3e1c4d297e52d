#include "core/window_utils.h"

#include "core/keyboard_hook.h"
#include "core/search_window.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "domain/codes.h"
#include "domain/text.h"
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

constexpr std::string_view kSiblingImage = "Pellar.exe";

}  // namespace

std::string ImageNameOf(const std::string& path) {
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
  return loop_.Milliseconds();
}

void WindowUtils::WaitMs(std::int32_t ms, bool yield) {
  loop_.Sleep(1);
  loop_.RunPendingEvents();
  if (ms <= 0) {
    return;
  }
  // Unsigned difference: correct across the 2^32 wrap of the tick counter.
  const std::uint32_t start = loop_.Milliseconds();
  const auto span = static_cast<std::uint32_t>(ms);
  while (static_cast<std::uint32_t>(loop_.Milliseconds() - start) < span) {
    if (yield) {
      loop_.RunPendingEvents();
    }
    loop_.Sleep(1);  // don't burn a core while waiting
  }
}

void WindowUtils::HideSearchWindow() {
  if (view_.Parked()) {
    return;
  }
  view_.Park();
  controls_.SetTextColour(ControlRef{Control::DoIt, 0}, kHeadingBlue);
  window_.SetKeyboard(false);
  const WindowId next = NextShownWindow(window_.handle);
  if (next != 0) {
    desktop_.Activate(next, Lift::InPlace);
  }
  hook_.RefreshKeyboardHook();
}

WindowId WindowUtils::NextShownWindow(WindowId from) {
  const WindowId desktop = desktop_.DesktopRoot();
  WindowId cur = from;
  for (int step = 0; step < kZOrderStepLimit; ++step) {
    cur = desktop_.WindowBelow(cur);
    if (cur == 0) {
      return 0;  // the end of the stacking order; every further step gives 0 too
    }
    if (cur == from || cur == desktop) {
      continue;
    }
    if (IsShownWindow(cur)) {
      return cur;
    }
  }
  return 0;
}

bool WindowUtils::IsShownWindow(WindowId window) {
  return window != 0 && desktop_.WindowVisible(window) && !desktop_.WindowMinimised(window);
}

void WindowUtils::PlaceBehindForeground(WindowId window) {
  if (window == 0 || desktop_.WindowMinimised(window)) {
    return;
  }
  const WindowId fg = desktop_.WindowInFront();
  SetWindowOwner(window, desktop_.DesktopRoot());
  if (fg == 0 || fg == window || desktop_.WindowMinimised(fg)) {
    return;
  }
  desktop_.PlaceBelow(window, fg);
}

void WindowUtils::SetWindowOwner(WindowId window, WindowId requestedOwner) {
  if (window == 0 || window == requestedOwner) {
    return;
  }
  WindowId owner =
      desktop_.WindowExists(requestedOwner) ? requestedOwner : desktop_.WindowInFront();
  if (owner != 0 && desktop_.WindowRect(owner).bottom == 0) {
    owner = 0;
  }
  if (owner != 0 && (!desktop_.WindowExists(owner) || !desktop_.WindowVisible(owner) ||
                     desktop_.WindowMinimised(owner))) {
    owner = 0;
  }
  if (owner == 0) {
    owner = desktop_.DesktopRoot();
  }
  if (owner != window) {
    desktop_.SetOwner(window, owner);
  }
}

void WindowUtils::CentreWindow() {
  if (view_.ViewState() != WindowState::Normal) {
    return;
  }
  const Rect frame = view_.ViewFrame();
  const Rect area = view_.WorkArea();
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int left = area.right / 2 - width / 2;
  const int top = area.bottom / 2 - height / 2;
  // Three quarters of the centred offset: the window sits a little above the middle.
  const auto raised = static_cast<int>(std::lround(top * kRaisedShare));
  view_.MoveView({left, raised, left + width, raised + height});
}

ProcessId WindowUtils::RunningProcess(const std::string& image) {
  const std::string name = ImageNameOf(image);
  for (const ProcessEntry& entry : processes_.RunningProcesses()) {
    if (ImageMatches(BeforeNulTrimmed(entry.exeFile), name)) {
      return entry.pid;
    }
  }
  return 0;
}

WindowId WindowUtils::BringProgramToFront(const std::string& image) {
  const ProcessId pid = RunningProcess(image);
  const WindowId window = pid == 0 ? 0 : FirstWindowWhere([this, pid](WindowId h) {
    return desktop_.WindowVisible(h) && desktop_.HasTitleBar(h) && WindowProcessId(h) == pid;
  });
  if (window != 0) {
    if (desktop_.WindowMinimised(window)) {
      desktop_.ChangeWindowState(window, WindowChange::Restore);
    }
    desktop_.Activate(window, Lift::AboveOthers);
  }
  return window;
}

WindowId WindowUtils::SiblingMainWindow() {
  const ProcessId sibling = RunningProcess(std::string(kSiblingImage));
  return FirstWindowWhere([this, sibling](WindowId h) {
    return WindowProcessId(h) == sibling && IsMdiMainFormClass(h);
  });
}

WindowId WindowUtils::FirstWindowWhere(const std::function<bool(WindowId)>& wanted) {
  WindowId found = 0;
  desktop_.ForEachWindow([&](WindowId h) {
    if (!wanted(h)) {
      return true;
    }
    found = h;
    return false;
  });
  return found;
}

bool WindowUtils::IsMdiMainFormClass(WindowId window) {
  const std::string cls = desktop_.ClassName(window);
  return EqualsIgnoringCase(cls, "ThunderMDIForm") || EqualsIgnoringCase(cls, "ThunderRT6MDIForm");
}

ProcessId WindowUtils::WindowProcessId(WindowId window) {
  // An unknown owner reads as 1, so it never equals the "not running" pid 0.
  const ProcessId pid = desktop_.WindowProcess(window);
  return pid == 0 ? 1 : pid;
}

}  // namespace varnel

#include "support/fake_platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <stdexcept>

namespace varnel {

std::string FakeCall::ToString() const {
  std::string s = op;
  for (auto a : args) {
    s += " " + std::to_string(a);
  }
  if (!text.empty()) {
    s += " \"" + text + "\"";
  }
  return s;
}

FakePlatform::FakePlatform() : FakePlatform(Config{}) {}

FakePlatform::FakePlatform(const Config& config)
    : cfg_(config), nextHwnd_(config.firstHwnd), desktop_(config.firstHwnd) {
  nextHwnd_ += 4;
  processes_.push_back({cfg_.ownPid, ownExecutableName});
  std::error_code ec;
  auto tmp = std::filesystem::temp_directory_path(ec);
  tempFolder = ec ? std::string("/tmp/") : tmp.string() + "/";
}

FakePlatform::~FakePlatform() = default;

void FakePlatform::Record(std::string op, std::vector<std::int64_t> args, std::string text) {
  log_.push_back({std::move(op), std::move(args), std::move(text)});
}

std::vector<FakeCall> FakePlatform::Calls(const std::string& op) const {
  std::vector<FakeCall> out;
  for (const auto& c : log_) {
    if (c.op == op) {
      out.push_back(c);
    }
  }
  return out;
}

std::size_t FakePlatform::CountCalls(const std::string& op) const {
  return static_cast<std::size_t>(
      std::count_if(log_.begin(), log_.end(), [&](const FakeCall& c) { return c.op == op; }));
}

std::vector<std::string> FakePlatform::LogLines() const {
  std::vector<std::string> out;
  out.reserve(log_.size());
  for (const auto& c : log_) {
    out.push_back(c.ToString());
  }
  return out;
}

// ---------------------------------------------------------------- windows

Hwnd FakePlatform::AddWindow(FakeWindow w) {
  if (w.hwnd == 0) {
    w.hwnd = NewHwnd();
  }
  if (w.thread == 0) {
    w.thread = w.hwnd + 1;
  }
  Hwnd h = w.hwnd;
  windows_[h] = std::move(w);
  Restack(h, std::nullopt);
  return h;
}

void FakePlatform::CloseWindow(Hwnd hwnd) {
  windows_.erase(hwnd);
  zorder_.erase(std::remove(zorder_.begin(), zorder_.end(), hwnd), zorder_.end());
  if (foreground_ == hwnd) {
    foreground_ = 0;
  }
}

FakeWindow* FakePlatform::Window(Hwnd hwnd) {
  auto it = windows_.find(hwnd);
  return it == windows_.end() ? nullptr : &it->second;
}

// Puts hwnd at the top, or directly below `below`.
void FakePlatform::Restack(Hwnd hwnd, std::optional<Hwnd> below) {
  if (Window(hwnd) == nullptr) {
    return;
  }
  zorder_.erase(std::remove(zorder_.begin(), zorder_.end(), hwnd), zorder_.end());
  auto at = below ? std::find(zorder_.begin(), zorder_.end(), *below) : zorder_.end();
  zorder_.insert(at == zorder_.end() ? zorder_.begin() : at + 1, hwnd);
}

void FakePlatform::ChangeForeground(Hwnd hwnd) {
  if (hwnd == foreground_) {
    return;
  }
  Hwnd old = foreground_;
  foreground_ = hwnd;
  Record("Foreground", {hwnd});
  if (hwnd != 0) {
    Restack(hwnd, std::nullopt);
  }
  if (autoDeactivate && old != 0 && old == formHwnd_ && formCreated_) {
    QueueEvent("OnDeactivate", [this] {
      if (sink_ != nullptr && formCreated_) {
        sink_->OnDeactivate();
      }
    });
  }
}

void FakePlatform::UserActivate(Hwnd hwnd) {
  Record("UserActivate", {hwnd});
  ChangeForeground(hwnd);
}

bool FakePlatform::Activate(Hwnd hwnd, Lift lift) {
  bool granted = WindowExists(hwnd) && hwnd != desktop_;
  if (granted && hwnd != foreground_ && refuseForeground > 0) {
    --refuseForeground;
    granted = false;
  }
  Record("Activate", {hwnd, lift == Lift::AboveOthers ? 1 : 0, granted ? 1 : 0});
  if (granted) {
    ChangeForeground(hwnd);
    if (lift == Lift::AboveOthers) {
      Restack(hwnd, std::nullopt);
    }
  }
  // The system delivers what the change set off before the request returns.
  Sleep(1);
  RunPendingEvents();
  return granted;
}

Hwnd FakePlatform::WindowBelow(Hwnd hwnd) {
  auto it = std::find(zorder_.begin(), zorder_.end(), hwnd);
  if (it == zorder_.end() || it + 1 == zorder_.end()) {
    return 0;
  }
  return *(it + 1);
}

bool FakePlatform::WindowExists(Hwnd hwnd) {
  if (hwnd == 0) {
    return false;
  }
  if (hwnd == desktop_ || windows_.count(hwnd) > 0) {
    return true;
  }
  return std::any_of(controls_.begin(), controls_.end(),
                     [&](const auto& kv) { return kv.second.hwnd == hwnd; });
}

bool FakePlatform::WindowVisible(Hwnd hwnd) {
  if (hwnd == desktop_) {
    return true;
  }
  const FakeWindow* w = Window(hwnd);
  return w != nullptr && w->visible;
}

bool FakePlatform::WindowMinimised(Hwnd hwnd) {
  const FakeWindow* w = Window(hwnd);
  return w != nullptr && w->minimised;
}

bool FakePlatform::HasTitleBar(Hwnd hwnd) {
  const FakeWindow* w = Window(hwnd);
  return w != nullptr && w->caption;
}

Rect FakePlatform::WindowRect(Hwnd hwnd) {
  if (hwnd == desktop_) {
    return {0, 0, screenWidthPx_, screenHeightPx_};
  }
  const FakeWindow* w = Window(hwnd);
  return w == nullptr ? Rect{} : w->rect;
}

std::string FakePlatform::ClassName(Hwnd hwnd) {
  if (hwnd == desktop_) {
    return "#32769";
  }
  const FakeWindow* w = Window(hwnd);
  return w == nullptr ? std::string() : w->className;
}

ThreadId FakePlatform::WindowThread(Hwnd hwnd) {
  const FakeWindow* w = Window(hwnd);
  return w == nullptr ? 0 : w->thread;
}

ProcessId FakePlatform::WindowProcess(Hwnd hwnd) {
  const FakeWindow* w = Window(hwnd);
  return w == nullptr ? 0 : w->pid;
}

void FakePlatform::PlaceBelow(Hwnd hwnd, Hwnd above) {
  Record("PlaceBelow", {hwnd, above});
  if (hwnd == above) {
    return;
  }
  Restack(hwnd, above);
}

void FakePlatform::SetOwner(Hwnd hwnd, Hwnd owner) {
  Record("SetOwner", {hwnd, owner});
  if (FakeWindow* w = Window(hwnd)) {
    w->owner = owner;
  }
}

void FakePlatform::ChangeWindowState(Hwnd hwnd, ShowCmd cmd) {
  Record("ChangeWindowState", {hwnd, static_cast<int>(cmd)});
  FakeWindow* w = Window(hwnd);
  if (w == nullptr) {
    return;
  }
  w->minimised = cmd == ShowCmd::Minimise;
  if (hwnd == formHwnd_) {
    formState_ = w->minimised ? WindowState::Minimised : WindowState::Normal;
  }
}

void FakePlatform::ForEachWindow(const std::function<bool(Hwnd)>& visit) {
  const std::vector<Hwnd> snapshot = zorder_;
  for (Hwnd h : snapshot) {
    if (!visit(h)) {
      return;
    }
  }
}

bool FakePlatform::SendPrivateMessage(Hwnd hwnd, Code msg, std::uint32_t wParam,
                                      std::uint32_t lParam, std::uint32_t timeoutMs) {
  Record("SendPrivateMessage", {hwnd, msg, wParam, lParam, timeoutMs});
  if (!WindowExists(hwnd)) {
    return false;
  }
  if (hwnd == formHwnd_ && formCreated_) {
    if (sink_ != nullptr) {
      sink_->OnWindowMessage(hwnd, msg, wParam, lParam);
    }
    return true;
  }
  FakeWindow* w = Window(hwnd);
  if (w == nullptr || !w->answers) {
    tick_ += timeoutMs;  // the caller waited the whole time
    return false;
  }
  if (w->onMessage) {
    w->onMessage(msg, wParam, lParam);
  }
  return true;
}

bool FakePlatform::SendCommandPhrase(Hwnd hwnd, const std::string& phrase,
                                     std::uint32_t timeoutMs) {
  Record("SendCommandPhrase", {hwnd, timeoutMs}, phrase);
  if (hwnd == formHwnd_ && formCreated_) {
    if (sink_ != nullptr) {
      sink_->OnCommandPhrase(phrase);
    }
    return true;
  }
  FakeWindow* w = Window(hwnd);
  if (w == nullptr || !w->answers) {
    return false;
  }
  if (w->onCommandPhrase) {
    w->onCommandPhrase(phrase);
  }
  return true;
}

void FakePlatform::DrawAsActive(Hwnd hwnd) {
  Record("DrawAsActive", {hwnd});
}

// ---------------------------------------------------------------- processes

void FakePlatform::AddProcess(ProcessId pid, const std::string& exe) {
  processes_.push_back({pid, exe});
}

void FakePlatform::RemoveProcess(ProcessId pid) {
  processes_.erase(std::remove_if(processes_.begin(), processes_.end(),
                                  [&](const ProcessEntry& e) { return e.pid == pid; }),
                   processes_.end());
}

// ---------------------------------------------------------------- clock and loop

void FakePlatform::Sleep(std::uint32_t ms) {
  Record("Sleep", {ms});
  tick_ += ms;
  if (onSleep) {
    onSleep();
  }
}

InstanceClaim FakePlatform::ClaimSingleInstance() {
  const InstanceClaim claim =
      instanceClaims.empty() ? InstanceClaim::First : instanceClaims.front();
  if (instanceClaims.size() > 1) {
    instanceClaims.pop_front();
  }
  Record("ClaimSingleInstance", {static_cast<std::int64_t>(claim)});
  return claim;
}

void FakePlatform::PublishInstanceWindow(Hwnd hwnd) {
  Record("PublishInstanceWindow", {hwnd});
  publishedWindow = hwnd;
}

void FakePlatform::GrantForeground(ProcessId pid) {
  Record("GrantForeground", {pid});
}

void FakePlatform::QueueEvent(const std::string& what, std::function<void()> fn) {
  queue_.push_back({what, std::move(fn)});
}

void FakePlatform::QueueTimerTick() {
  QueueEvent("OnTimer", [this] {
    if (sink_ != nullptr && formCreated_) {
      sink_->OnTimer();
    }
  });
}

void FakePlatform::QueueDueTimer() {
  if (!autoTimer || timerInterval_ == 0 || !formCreated_) {
    return;
  }
  if (static_cast<std::int32_t>(tick_ - timerDue_) < 0) {
    return;
  }
  // Elapsed intervals coalesce into one tick, as platform timers do.
  timerDue_ = tick_ + timerInterval_;
  QueueTimerTick();
}

void FakePlatform::RunOne() {
  Pending p = std::move(queue_.front());
  queue_.pop_front();
  Record("event", {}, p.what);
  if (p.fn) {
    p.fn();
  }
}

void FakePlatform::RunPendingEvents() {
  Record("RunPendingEvents");
  QueueDueTimer();
  std::size_t n = queue_.size();
  for (std::size_t i = 0; i < n && !queue_.empty(); ++i) {
    RunOne();
  }
}

int FakePlatform::RunPending() {
  int ran = 0;
  QueueDueTimer();
  while (!queue_.empty()) {
    if (++ran > 100000) {
      throw std::runtime_error("FakePlatform: events never settle");
    }
    RunOne();
    QueueDueTimer();
  }
  return ran;
}

void FakePlatform::Post(Code code) {
  Record("Post", {code});
  // Codes go to the search window while there is one, else to the thread, as on Windows: a
  // code posted to a window that is gone before it runs is lost with it.
  const Hwnd target = formCreated_ ? formHwnd_ : 0;
  QueueEvent("OnDeferredCode " + std::to_string(code), [this, code, target] {
    const bool lost = target != 0 && !(formCreated_ && formHwnd_ == target);
    if (sink_ != nullptr && !lost) {
      sink_->OnDeferredCode(code);
    }
  });
}

void FakePlatform::StartTimer(std::uint32_t intervalMs) {
  Record("StartTimer", {intervalMs});
  timerInterval_ = intervalMs;
  timerDue_ = tick_ + intervalMs;
}

int FakePlatform::RunUntilClosed() {
  Record("RunUntilClosed");
  while (!unloaded_ && !queue_.empty()) {
    RunOne();
    QueueDueTimer();
  }
  return 0;
}

// ---------------------------------------------------------------- keys and hook

void FakePlatform::SetKeyDown(int vkCode, bool down) {
  if (down) {
    keysDown_.insert(vkCode);
  } else {
    keysDown_.erase(vkCode);
  }
}

bool FakePlatform::KeyHeldNow(int vkCode) {
  return keysDown_.count(vkCode) > 0;
}

HookHandle FakePlatform::InstallKeyHook() {
  HookHandle h = hookInstallFails ? 0 : ++nextHook_;
  Record("InstallKeyHook", {static_cast<std::int64_t>(h)});
  if (h != 0) {
    hooks_.insert(h);
  }
  return h;
}

void FakePlatform::RemoveKeyHook(HookHandle hook) {
  Record("RemoveKeyHook", {static_cast<std::int64_t>(hook)});
  hooks_.erase(hook);
}

std::intptr_t FakePlatform::PassKeyOn(HookHandle, int, std::uint32_t, const KeyEvent&) {
  return nextHookResult;
}

FakeKeyRecord FakePlatform::FeedKey(const KeyEvent& ev) {
  FakeKeyRecord rec;
  rec.ev = ev;
  const bool up = (ev.flags & kKeyEventUp) != 0;
  if (!hooks_.empty() && sink_ != nullptr) {
    rec.hookCalled = true;
    const std::uint32_t msg = up ? 257 : 256;
    rec.swallowed = sink_->OnKeyboardHook(0, msg, ev) != 0;
  }
  keyRecords_.push_back(rec);
  if (rec.swallowed) {
    return rec;
  }
  // The key state changes after the low-level hook has seen the event.
  SetKeyDown(static_cast<int>(ev.vkCode), !up);
  if (foreground_ != 0 && foreground_ == formHwnd_ && formCreated_) {
    DeliverKeyToForm(ev);
  }
  return rec;
}

void FakePlatform::KeybdEvent(std::uint8_t vkCode, std::uint8_t scan, std::uint32_t flags) {
  Record("KeybdEvent", {vkCode, scan, flags});
  if (!injectedKeysReachHook) {
    SetKeyDown(vkCode, (flags & kKeyUp) == 0);
    return;
  }
  KeyEvent ev;
  ev.vkCode = vkCode;
  ev.scanCode = scan;
  ev.flags = ((flags & kKeyUp) != 0 ? kKeyEventUp : 0) | ((flags & kKeyExtended) != 0 ? 1 : 0) |
             0x10;  // injected
  ev.time = tick_;
  QueueEvent("InjectedKey " + std::to_string(vkCode), [this, ev] { FeedKey(ev); });
}

InjectResult FakePlatform::InjectKeys(std::span<const KeyInput> keys) {
  const std::size_t taken =
      injectLimit < 0 ? keys.size() : std::min(keys.size(), static_cast<std::size_t>(injectLimit));
  Record("InjectKeys", {static_cast<std::int64_t>(keys.size()), static_cast<std::int64_t>(taken)});
  for (const KeyInput& k : keys.first(taken)) {
    KeybdEvent(k.vk, k.scan, k.flags);
  }
  return {taken, taken < keys.size() && injectElevated};
}

void FakePlatform::UserKeyDown(int vkCode) {
  KeyEvent ev;
  ev.vkCode = static_cast<std::uint32_t>(vkCode);
  ev.scanCode = TranslateKeyCode(ev.vkCode, 0);
  QueueEvent("KeyDown " + std::to_string(vkCode), [this, ev]() mutable {
    ev.time = tick_;
    FeedKey(ev);
  });
}

void FakePlatform::UserKeyUp(int vkCode) {
  KeyEvent ev;
  ev.vkCode = static_cast<std::uint32_t>(vkCode);
  ev.scanCode = TranslateKeyCode(ev.vkCode, 0);
  ev.flags = kKeyEventUp;
  QueueEvent("KeyUp " + std::to_string(vkCode), [this, ev]() mutable {
    ev.time = tick_;
    FeedKey(ev);
  });
}

void FakePlatform::UserChord(int vkCode, int mask) {
  if ((mask & 2) != 0) {
    UserKeyDown(vk::Control);
  }
  if ((mask & 4) != 0) {
    UserKeyDown(vk::Alt);
  }
  if ((mask & 1) != 0) {
    UserKeyDown(vk::Shift);
  }
  UserKeyDown(vkCode);
  UserKeyUp(vkCode);
  if ((mask & 1) != 0) {
    UserKeyUp(vk::Shift);
  }
  if ((mask & 4) != 0) {
    UserKeyUp(vk::Alt);
  }
  if ((mask & 2) != 0) {
    UserKeyUp(vk::Control);
  }
}

void FakePlatform::UserType(const std::string& text) {
  for (char ch : text) {
    std::int16_t scan = KeyForCharacter(ch);
    if (scan == -1) {
      continue;
    }
    UserChord(scan & 0xFF, (scan >> 8) & 7);
  }
}

// ---------------------------------------------------------------- services

int FakePlatform::ShowMessageBox(const std::string& text, int style, const std::string& title) {
  int answer = kIdOk;
  if (!messageBoxAnswers.empty()) {
    answer = messageBoxAnswers.front();
    messageBoxAnswers.pop_front();
  }
  Record("ShowMessageBox", {style, answer}, title + ": " + text);
  if (onMessageBox) {
    onMessageBox(text);
  }
  return answer;
}

void FakePlatform::SetMousePointer(int pointer) {
  Record("SetMousePointer", {pointer});
  mousePointer = pointer;
}

void FakePlatform::Beep() {
  Record("Beep");
}

bool FakePlatform::OpenAddress(const std::string& target) {
  Record("OpenAddress", {}, target);
  return launchesStart;
}

std::string FakePlatform::BrowserHandlerCommand(const std::string& handler) {
  auto it = browserHandlerCommands.find(handler);
  return it == browserHandlerCommands.end() ? std::string() : it->second;
}

std::string FakePlatform::ExecutableForDocument(const std::string& path) {
  Record("ExecutableForDocument", {}, path);
  return executableForDocument;
}

std::string FakePlatform::ExecutableFromCommand(const std::string& commandLine) {
  if (executableFromCommand) {
    return executableFromCommand(commandLine);
  }
  // First word, or the quoted first part.
  if (!commandLine.empty() && commandLine[0] == '"') {
    auto end = commandLine.find('"', 1);
    return commandLine.substr(1, end == std::string::npos ? std::string::npos : end - 1);
  }
  return commandLine.substr(0, commandLine.find(' '));
}

// The real file system: the tests look at the files the program leaves behind.
NewFile FakePlatform::CreateNewFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY, S_IRUSR | S_IWUSR);
  if (fd < 0) {
    return errno == EEXIST ? NewFile::Exists : NewFile::Failed;
  }
  ::close(fd);
  return NewFile::Created;
}

void FakePlatform::RemoveFile(const std::string& path) {
  ::unlink(path.c_str());
}

std::string FakePlatform::EnvironmentVariable(const std::string& name) {
  auto it = environment.find(name);
  return it == environment.end() ? std::string() : it->second;
}

std::unique_ptr<SpeechService> FakePlatform::CreateSpeechService(SpeechError& error) {
  Record("CreateSpeechService");
  if (speechFactory) {
    return speechFactory(error);
  }
  error = {-2147221005, "Invalid class string"};
  return nullptr;
}

}  // namespace varnel

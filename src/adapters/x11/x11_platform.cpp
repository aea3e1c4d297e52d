#include "adapters/x11/x11_platform.h"

#include "adapters/posix/plain_files.h"
#include "adapters/shared/activation.h"
#include "adapters/shared/key_scan.h"
#include "adapters/shared/monitor_places.h"

#include <sys/stat.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QCursor>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <string_view>
#include <thread>

#include "adapters/x11/autostart_entry.h"
#include "adapters/x11/command_line.h"
#include "adapters/x11/default_browser.h"
#include "adapters/x11/instance_lock.h"
#include "adapters/x11/keysym_vk.h"
#include "adapters/x11/listen_client.h"
#include "adapters/x11/open_address.h"
#include "adapters/x11/proc_list.h"
#include "adapters/x11/record_hook.h"
#include "adapters/x11/search_form.h"
#include "adapters/x11/startup_trace.h"
#include "adapters/x11/tray_icon.h"
#include "adapters/x11/x_display.h"
#include "adapters/x11/xtest_injector.h"
#include "domain/codes.h"
#include "domain/key_masks.h"
#include "domain/text_compare.h"

// Resources of a static library are registered by hand.
static void InitResources() {
  Q_INIT_RESOURCE(varnel);
}

namespace varnel {
namespace {

constexpr std::uint32_t kActivationWaitMs = 200;
// Managers that answer do so within a few milliseconds; a late answer, or one that only
// comes with the mapping (fluxbox), still places the window once it arrives.
constexpr std::uint32_t kFrameExtentsWaitMs = 50;

bool IsExecutable(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::string WithSlash(std::string dir) {
  if (dir.empty() || dir.back() != '/') {
    dir += '/';
  }
  return dir;
}

}  // namespace

// Lets the speech client's socket be watched by Qt's event loop.
class X11Platform::Watcher final : public FdWatcher {
 public:
  void Watch(int fd, std::function<void()> onReadable) override {
    Unwatch(fd);
    auto* n = new QSocketNotifier(fd, QSocketNotifier::Read);
    QObject::connect(n, &QSocketNotifier::activated, n, [cb = std::move(onReadable)] { cb(); });
    notifiers_[fd] = n;
  }
  void Unwatch(int fd) override {
    auto it = notifiers_.find(fd);
    if (it == notifiers_.end()) {
      return;
    }
    it->second->setEnabled(false);
    it->second->deleteLater();  // may be inside its own signal
    notifiers_.erase(it);
  }
  ~Watcher() override {
    for (auto& [fd, n] : notifiers_) {
      delete n;
    }
  }

 private:
  std::map<int, QSocketNotifier*> notifiers_;
};

namespace {

// Shown once, at the first showing, on a Wayland session: the line in the window is short,
// its tooltip and the standard error say it whole.
constexpr const char* kWaylandNotice = "Wayland: Ctrl+Alt+/ only in X apps; bind varnel to a key";
constexpr const char* kWaylandAdvice =
    "On Wayland, Ctrl+Alt+/ reaches Varnel only from X applications. Bind the command varnel "
    "to a keyboard shortcut of the desktop: a second start brings the running one forward.";

// The same, once, where the X server cannot report other programs' keys.
constexpr const char* kKeysUnheardNotice = "No X RECORD: Ctrl+Alt+/ unheard; bind varnel to a key";
constexpr const char* kKeysUnheardAdvice =
    "This X server lacks the RECORD extension, so Varnel cannot hear its summon chord. Bind the "
    "command varnel to a keyboard shortcut of the desktop: a second start brings the running "
    "one forward.";

bool WaylandSession() {
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const char* session = std::getenv("XDG_SESSION_TYPE");
  return (wayland != nullptr && *wayland != '\0') ||
         (session != nullptr && std::string_view(session) == "wayland");
}

// Everything here speaks X11 (window ids, RECORD, XTEST): on a Wayland session the toolkit
// must run on XWayland too, or its window would be no X window at all. Without an X display
// the toolkit would abort with a core dump: say why and end instead.
void UseXcb(bool displayOpens) {
  if (!displayOpens) {
    const char* display = std::getenv("DISPLAY");
    std::fprintf(stderr,
                 "varnel: no X display (DISPLAY=%s does not open); Varnel needs X11 or XWayland\n",
                 display != nullptr ? display : "");
    std::exit(1);
  }
  setenv("QT_QPA_PLATFORM", "xcb", 1);
}

}  // namespace

X11Platform::X11Platform(int& argc, char** argv) : argc_(argc), argv_(argv) {
  TraceStartup("main");
}

X11Platform::~X11Platform() {
  record_.reset();
  timer_.reset();
  form_.reset();
  watcher_.reset();
  injector_.reset();
  if (app_) {
    app_->removeNativeEventFilter(this);
  }
  if (waitCursor_) {
    QGuiApplication::restoreOverrideCursor();
  }
  app_.reset();
  x_.reset();
}

QApplication& X11Platform::App() {
  if (!app_) {
    UseXcb(X() != nullptr);
    QCoreApplication::setApplicationName(QStringLiteral("Varnel"));  // WM_CLASS class "Varnel"
    TraceStartup("application");
    app_ = std::make_unique<QApplication>(argc_, argv_);
    TraceStartup("application ready");
    InitResources();
    app_->setQuitOnLastWindowClosed(false);  // the program ends when its window unloads
    app_->installNativeEventFilter(this);
  }
  return *app_;
}

XDisplay* X11Platform::X() {
  if (!x_ && !xTried_) {
    xTried_ = true;
    x_ = XDisplay::Connect();
    TraceStartup("own X connection");
  }
  return x_.get();
}

XTestInjector* X11Platform::Injector() {
  if (!injector_ && X() != nullptr) {
    injector_ = std::make_unique<XTestInjector>(xcb_connect(nullptr, nullptr), true);
  }
  if (injector_) {
    injector_->SetGroup(GroupInForce());
  }
  return injector_.get();
}

WindowId X11Platform::FormHwnd() const {
  return form_ ? static_cast<WindowId>(form_->winId()) : 0;
}

std::string X11Platform::FontReport() const {
  return form_ ? form_->FontReport().toStdString() : "";
}

// ---- clock, waiting and the event loop

std::uint32_t X11Platform::Milliseconds() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  const std::uint64_t ms = static_cast<std::uint64_t>(ts.tv_sec) * 1000U +
                           static_cast<std::uint64_t>(ts.tv_nsec) / 1000000U;
  return static_cast<std::uint32_t>(ms);
}

void X11Platform::Sleep(std::uint32_t ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void X11Platform::RunPendingEvents() {
  if (app_) {
    QCoreApplication::processEvents();
  }
}

void X11Platform::Post(Code code) {
  QMetaObject::invokeMethod(
      &App(),
      [this, code] {
        if (sink_ != nullptr) {
          sink_->OnDeferredCode(code);
        }
      },
      Qt::QueuedConnection);
}

void X11Platform::StartTimer(std::uint32_t intervalMs) {
  App();
  if (!timer_) {
    timer_ = std::make_unique<QTimer>();
    QObject::connect(timer_.get(), &QTimer::timeout, [this] {
      if (sink_ != nullptr) {
        sink_->OnTimer();
      }
    });
  }
  timer_->start(static_cast<int>(intervalMs));
}

int X11Platform::RunUntilClosed() {
  if (!form_) {
    return 0;
  }
  loopRunning_ = true;
  TraceStartup("event loop");
  const int rc = App().exec();
  loopRunning_ = false;
  return rc;
}

// ---- top-level windows and stacking order

WindowId X11Platform::WindowInFront() {
  return X() != nullptr ? X()->ActiveWindow() : 0;
}

namespace {

// The window manager decides; EWMH asks it, and _NET_WM_STATE_ABOVE lifts a window.
class XActivationSteps final : public ActivationSteps {
 public:
  explicit XActivationSteps(X11Platform& platform, XDisplay& x) : platform_(platform), x_(x) {}
  WindowId InFront() override { return x_.ActiveWindow(); }
  void FirstRequest(WindowId hwnd) override { Request(hwnd); }
  void Request(WindowId hwnd) override { x_.Activate(hwnd, kActivationWaitMs); }
  void RaiseToTop(WindowId hwnd) override { x_.Raise(hwnd); }
  void KeepAboveOthers(WindowId hwnd, bool on) override { x_.SetAbove(hwnd, on); }
  void LetEventsRun() override {
    platform_.Sleep(1);
    platform_.RunPendingEvents();
  }

 private:
  X11Platform& platform_;
  XDisplay& x_;
};

}  // namespace

bool X11Platform::Activate(WindowId hwnd, Lift lift) {
  if (X() == nullptr || hwnd == 0 || IsPseudo(hwnd)) {
    return false;
  }
  // Parked, the search window is withdrawn: activating it would only confuse the manager.
  if (hwnd == FormHwnd() && (form_->Parked() || !form_->isVisible())) {
    return false;
  }
  XActivationSteps steps(*this, *X());
  return ActivateWithRetry(steps, hwnd, lift);
}

WindowId X11Platform::FocusedWindow() {
  if (!form_) {
    return 0;
  }
  QWidget* f = QApplication::focusWidget();
  if (f == nullptr || f->window() != form_.get()) {
    return 0;
  }
  const std::optional<ControlRef> ref = form_->RefOf(f);
  return ref ? PseudoHandle(*ref) : FormHwnd();
}

WindowId X11Platform::DesktopRoot() {
  return X() != nullptr ? X()->Root() : 0;
}

WindowId X11Platform::WindowBelow(WindowId hwnd) {
  if (X() == nullptr || hwnd == 0 || IsPseudo(hwnd)) {
    return 0;
  }
  std::vector<xcb_window_t> order = X()->StackingBottomToTop();
  auto it = std::find(order.begin(), order.end(), hwnd);
  if (hwnd == FormHwnd() && form_->Parked()) {
    // Withdrawn while parked: it keeps the place it had when it left the screen.
    std::vector<xcb_window_t> before(parkedStacking_.begin(), parkedStacking_.end());
    auto at = std::find(before.begin(), before.end(), hwnd);
    if (at != before.end()) {
      while (at != before.begin()) {
        --at;
        if (std::find(order.begin(), order.end(), *at) != order.end()) {
          return *at;
        }
      }
      return 0;
    }
  }
  if (it == order.end() || it == order.begin()) {
    return 0;
  }
  return *(it - 1);
}

bool X11Platform::WindowExists(WindowId hwnd) {
  if (IsPseudo(hwnd)) {
    return form_ != nullptr;
  }
  return X() != nullptr && X()->Exists(hwnd);
}

bool X11Platform::WindowVisible(WindowId hwnd) {
  if (IsPseudo(hwnd)) {
    return form_ != nullptr && form_->isVisible();
  }
  if (X() == nullptr) {
    return false;
  }
  // Minimised windows count as visible, as they do on Windows.
  return X()->Viewable(hwnd) || X()->Iconic(hwnd);
}

bool X11Platform::WindowMinimised(WindowId hwnd) {
  if (IsPseudo(hwnd) || X() == nullptr) {
    return false;
  }
  if (hwnd == FormHwnd()) {
    return ViewState() == WindowState::Minimised;
  }
  return X()->Iconic(hwnd);
}

bool X11Platform::HasTitleBar(WindowId hwnd) {
  return !IsPseudo(hwnd) && X() != nullptr && X()->HasTitleBar(hwnd);
}

Rect X11Platform::WindowRect(WindowId hwnd) {
  if (IsPseudo(hwnd) || X() == nullptr || hwnd == 0) {
    return {};
  }
  return X()->RootRect(hwnd);
}

std::string X11Platform::ClassName(WindowId hwnd) {
  if (IsPseudo(hwnd) || X() == nullptr || hwnd == 0) {
    return "";
  }
  return X()->ClassName(hwnd);
}

ThreadId X11Platform::WindowThread(WindowId hwnd) {
  if (IsPseudo(hwnd)) {
    hwnd = FormHwnd();
  }
  if (X() == nullptr || !X()->Exists(hwnd)) {
    return 0;
  }
  return X()->ClientBase(hwnd);
}

ProcessId X11Platform::WindowProcess(WindowId hwnd) {
  if (IsPseudo(hwnd)) {
    return form_ ? static_cast<ProcessId>(getpid()) : 0;
  }
  if (X() == nullptr || hwnd == 0) {
    return 0;
  }
  return X()->Pid(hwnd);
}

void X11Platform::PlaceBelow(WindowId hwnd, WindowId above) {
  if (IsPseudo(hwnd) || X() == nullptr || hwnd == 0 || above == 0) {
    return;
  }
  X()->PlaceBelow(hwnd, above);
}

void X11Platform::SetOwner(WindowId hwnd, WindowId owner) {
  if (IsPseudo(hwnd) || X() == nullptr || hwnd == 0 || hwnd == owner) {
    return;
  }
  // Owned by the desktop means owned by nobody.
  X()->SetTransientFor(hwnd, owner == X()->Root() ? 0 : owner);
}

void X11Platform::ChangeWindowState(WindowId hwnd, WindowChange cmd) {
  if (IsPseudo(hwnd) || X() == nullptr || hwnd == 0) {
    return;
  }
  if (form_ && hwnd == FormHwnd()) {
    SetViewState(cmd == WindowChange::Minimise ? WindowState::Minimised : WindowState::Normal);
    return;
  }
  if (cmd == WindowChange::Minimise) {
    X()->Iconify(hwnd);
  } else {
    X()->Restore(hwnd);
  }
}

void X11Platform::ForEachWindow(const std::function<bool(WindowId)>& visit) {
  if (X() == nullptr) {
    return;
  }
  const std::vector<xcb_window_t> order = X()->StackingBottomToTop();
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    if (!visit(*it)) {
      return;
    }
  }
}

bool X11Platform::SendPrivateMessage(WindowId hwnd, Code msg, std::uint32_t wParam,
                                     std::uint32_t lParam, std::uint32_t timeoutMs) {
  if (hwnd != 0 && hwnd == FormHwnd()) {
    if (sink_ != nullptr) {
      sink_->OnWindowMessage(hwnd, msg, wParam, lParam);
    }
    return true;
  }
  return X() != nullptr && !IsPseudo(hwnd) &&
         X()->SendInstanceMessage(hwnd, msg, wParam, lParam, timeoutMs);
}

bool X11Platform::SendCommandPhrase(WindowId hwnd, const std::string& phrase,
                                    std::uint32_t timeoutMs) {
  if (hwnd != 0 && hwnd == FormHwnd()) {
    if (sink_ != nullptr) {
      sink_->OnCommandPhrase(phrase);
    }
    return true;
  }
  return X() != nullptr && !IsPseudo(hwnd) && X()->SendPhrase(hwnd, phrase, timeoutMs);
}

bool X11Platform::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t" || !form_ || X() == nullptr) {
    return false;
  }
  auto* ev = static_cast<xcb_generic_event_t*>(message);
  const std::uint8_t type = ev->response_type & 0x7f;  // without the sent-by-a-client bit
  if (type == XCB_DESTROY_NOTIFY) {
    if (reinterpret_cast<xcb_destroy_notify_event_t*>(ev)->window == FormHwnd()) {
      OnFormDestroyed();
    }
    return false;
  }
  if (type == XCB_PROPERTY_NOTIFY) {
    const auto* pn = reinterpret_cast<xcb_property_notify_event_t*>(ev);
    if (pn->window == FormHwnd() && pn->atom == X()->FrameExtentsAtom()) {
      // Some window managers (fluxbox) tell the frame only once the window is mapped.
      // After this event, once the toolkit has seen it too.
      QMetaObject::invokeMethod(
          &App(), [this] { OnFormFrameChanged(); }, Qt::QueuedConnection);
    }
    return false;
  }
  if (type != XCB_CLIENT_MESSAGE) {
    return false;
  }
  auto* cm = reinterpret_cast<xcb_client_message_event_t*>(ev);
  if (cm->window != FormHwnd()) {
    return false;
  }
  const std::optional<InstanceMessage> m = X()->DecodeInstanceMessage(*cm);
  if (!m) {
    return false;
  }
  // Handled after the current event, never inside Qt's event dispatch; the sender waits
  // for the acknowledgement that follows the handler.
  QMetaObject::invokeMethod(
      &App(),
      [this, msg = *m] {
        if (sink_ != nullptr && X() != nullptr) {
          if (msg.phrase) {
            sink_->OnCommandPhrase(X()->TakePhrase(msg));
          } else {
            sink_->OnWindowMessage(FormHwnd(), msg.msg, msg.wParam, msg.lParam);
          }
        }
        if (X() != nullptr) {
          X()->Acknowledge(msg);
        }
      },
      Qt::QueuedConnection);
  return true;
}

void X11Platform::OnFormDestroyed() {
  if (formDestroyed_) {
    return;
  }
  formDestroyed_ = true;
  // After the current event, like a close; the window is gone, so nothing may touch it.
  QMetaObject::invokeMethod(
      &App(),
      [this] {
        if (sink_ != nullptr) {
          sink_->OnViewClosed();
        }
        if (app_ && loopRunning_) {
          app_->quit();
        }
      },
      Qt::QueuedConnection);
}

// ---- processes

std::vector<ProcessEntry> X11Platform::RunningProcesses() {
  TraceStartup("process list");
  return ListProcesses("/proc", ::getuid());
}

std::string X11Platform::OwnExecutableName() {
  std::error_code ec;
  return std::filesystem::read_symlink("/proc/self/exe", ec).filename().string();
}

// ---- the single instance

InstanceLock& X11Platform::Lock() {
  if (!lock_) {
    lock_ = std::make_unique<InstanceLock>(EnvironmentVariable("XDG_RUNTIME_DIR"), TempFolder(),
                                           EnvironmentVariable("DISPLAY"));
  }
  return *lock_;
}

InstanceClaim X11Platform::ClaimSingleInstance() {
  return Lock().Claim();
}

void X11Platform::PublishInstanceWindow(WindowId hwnd) {
  Lock().Publish(hwnd);
}

WindowId X11Platform::PublishedInstanceWindow() {
  return Lock().Published();
}

// ---- keys

std::uint32_t X11Platform::VkOfKeycode(std::uint32_t keycode) {
  if (keycode > 255 || X() == nullptr) {
    return 0;
  }
  if (vkCache_[keycode] == 0) {
    const auto code = static_cast<xcb_keycode_t>(keycode);
    // The digit row is VK_0..VK_9 whatever it types unshifted, as on Windows: AZERTY puts
    // "&", "é", ... there and the digits on Shift.
    const xcb_keysym_t shifted = X()->KeysymOf(code, GroupColumn(kShiftLevel));
    const std::uint32_t vk = (shifted >= '0' && shifted <= '9')
                                 ? shifted
                                 : VkFromKeysym(X()->KeysymOf(code, GroupColumn(kBaseLevel)));
    vkCache_[keycode] = static_cast<std::uint16_t>(vk + 1);
  }
  return vkCache_[keycode] - 1U;
}

int X11Platform::GroupInForce() {
  // Asked of the server only between keys: a recorded key carries its own, and a round trip
  // for every key would slow the hook.
  return keyGroup_ ? *keyGroup_ : X()->KeyboardGroup();
}

std::uintptr_t X11Platform::LayoutId() {
  if (X() == nullptr) {
    return 0;
  }
  // A new map, or another of its groups, puts the characters on other keys. While a key is
  // handled its own group counts: a tool that types may switch the group for one key only.
  const std::uint32_t generation = X()->KeyboardMapGeneration();
  const int group = GroupInForce();
  if (generation != vkCacheGeneration_ || group != group_) {
    vkCache_.fill(0);
    vkCacheGeneration_ = generation;
    group_ = group;
  }
  return (static_cast<std::uintptr_t>(generation) << kGroupBits) | static_cast<unsigned>(group);
}

int X11Platform::GroupColumn(int level) const {
  return CoreMapColumn(group_, level);
}

std::size_t X11Platform::LocateCharacter(char32_t ch, std::span<KeyPlace> places) {
  constexpr char32_t kLastLatin1 = 0xFF;
  constexpr xcb_keysym_t kUnicodeKeysym = 0x01000000;
  constexpr std::uint32_t kFirstScanKeycode = 8;  // X keycode = scan code + 8
  if (X() == nullptr) {
    return 0;
  }
  const xcb_keysym_t sym = ch <= kLastLatin1 ? ch : (kUnicodeKeysym | ch);
  LayoutId();  // the group in force
  std::size_t n = 0;
  for (std::uint32_t kc = X()->MinKeycode(); kc <= X()->MaxKeycode() && n < places.size(); ++kc) {
    for (int level = kBaseLevel; level <= kShiftLevel; ++level) {
      if (X()->KeysymOf(static_cast<xcb_keycode_t>(kc), GroupColumn(level)) == sym) {
        places[n++] = KeyPlace{0, kc - kFirstScanKeycode, level == kShiftLevel ? kMaskShift : 0};
        break;
      }
    }
  }
  return n;
}

bool X11Platform::ChordTakenElsewhere(const KeyPlace& key, int mods) {
  constexpr std::uint32_t kFirstScanKeycode = 8;
  if (X() == nullptr) {
    return false;
  }
  const xcb_keycode_t code = key.vk != 0
                                 ? X()->KeycodeOf(KeysymFromVk(key.vk))
                                 : static_cast<xcb_keycode_t>(key.scanCode + kFirstScanKeycode);
  if (code == 0) {
    return false;
  }
  return X()->KeyGrabbedElsewhere(code, ModifierBitsOf(mods));
}

std::array<bool, 256> X11Platform::KeysDownNow() {
  // The key feed keeps them; without it, the server is asked.
  std::array<bool, 256> down = keyDown_;
  if (!record_ || !record_->Running()) {
    std::array<std::uint8_t, 32> keys{};
    if (!X()->Keymap(keys)) {
      return {};
    }
    for (std::size_t kc = 0; kc < 256; ++kc) {
      down[kc] = (keys[kc / 8] & (1U << (kc % 8))) != 0;
    }
  }
  return down;
}

bool X11Platform::KeyHeldNow(int vk) {
  if (X() == nullptr) {
    return false;
  }
  const std::array<bool, 256> down = KeysDownNow();
  for (std::size_t kc = 8; kc < 256; ++kc) {
    if (down[kc] && VkMatches(VkOfKeycode(static_cast<std::uint32_t>(kc)), vk)) {
      return true;
    }
  }
  return false;
}

bool X11Platform::AltGrHeldNow() {
  // The layout says which key is AltGr: ISO_Level3_Shift or Mode_switch. A right Alt that
  // gives Alt_R, as on a US keyboard, is a plain Alt.
  if (X() == nullptr) {
    return false;
  }
  const std::array<bool, 256> down = KeysDownNow();
  for (std::size_t kc = 8; kc < 256; ++kc) {
    if (down[kc]) {
      const xcb_keysym_t sym = X()->KeysymOf(static_cast<xcb_keycode_t>(kc));
      if (sym == kLevel3ShiftKeysym || sym == kModeSwitchKeysym) {
        return true;
      }
    }
  }
  return false;
}

void X11Platform::OnRecordedKey(const RecordedKey& key) {
  keyDown_[key.keycode] = !key.release;
  // The keyboard map's group the key was pressed in, from the state the server gave it.
  keyGroup_ = GroupOfModifierBits(key.modifiers);
  LayoutId();  // a layout switched meanwhile gives the keys new codes
  if (installedHook_ == 0 || sink_ == nullptr) {
    keyGroup_.reset();
    return;
  }
  KeyEvent ev;
  ev.vkCode = VkOfKeycode(key.keycode);
  ev.scanCode = key.keycode >= 8 ? key.keycode - 8U : 0U;
  ev.up = key.release;
  ev.time = key.time;
  // The server's modifier state at the key holds what sticky keys latched or locked.
  ev.latchedMask = MasksOfModifierBits(key.modifiers);
  sink_->OnGlobalKey(ev);
  keyGroup_.reset();
}

HookHandle X11Platform::InstallKeyHook() {
  if (X() == nullptr) {
    return 0;
  }
  App();
  if (!record_) {
    record_ = std::make_unique<RecordHook>([this](const RecordedKey& k) {
      QMetaObject::invokeMethod(
          app_.get(), [this, k] { OnRecordedKey(k); }, Qt::QueuedConnection);
    });
  }
  // A server without the extension never gains it: no new connections every refresh.
  if (record_->ExtensionMissing()) {
    return 0;
  }
  if (!record_->Start()) {
    if (record_->ExtensionMissing()) {  // found out now: said once
      std::fprintf(stderr, "varnel: %s\n", kKeysUnheardAdvice);
      if (form_ && form_->Shown()) {  // else at the first showing
        ShowKeysNotice(kKeysUnheardNotice, kKeysUnheardAdvice);
      }
    }
    return 0;
  }
  TraceStartup("key recording");
  installedHook_ = ++nextHook_;
  return installedHook_;
}

void X11Platform::RemoveKeyHook(HookHandle hook) {
  if (hook != 0 && hook == installedHook_) {
    installedHook_ = 0;
  }
}

std::optional<KeyPlace> X11Platform::KeyToType(char ch) {
  XTestInjector* i = Injector();
  return i != nullptr ? KeyPlaceFromKeyScan(i->VkKeyScan(ch)) : std::nullopt;
}

std::uint32_t X11Platform::ScanCodeOf(std::uint32_t vk) {
  constexpr std::uint32_t kVkToScan = 0;
  XTestInjector* i = Injector();
  return i != nullptr ? i->MapVirtualKey(vk, kVkToScan) : 0;
}

char32_t X11Platform::CharacterOf(std::uint32_t vk) {
  constexpr std::uint32_t kVkToCharacter = 2;
  XTestInjector* i = Injector();
  return i != nullptr ? i->MapVirtualKey(vk, kVkToCharacter) : 0;
}

InjectResult X11Platform::InjectKeys(std::span<const KeyInput> keys) {
  XTestInjector* i = Injector();
  if (i == nullptr || !i->Available()) {
    return {};
  }
  for (const KeyInput& k : keys) {
    i->SendKey(k.vk, k.up);
  }
  return {keys.size(), false};
}

// ---- the search window

WindowId X11Platform::CreateSearchWindow(const WindowDesign& design) {
  App();
  if (form_) {
    return FormHwnd();
  }
  TraceStartup("build window");
  form_ = std::make_unique<SearchForm>(design, sink_,
                                       [this](std::uint32_t kc) { return VkOfKeycode(kc); });
  form_->onClosed = [this] {
    if (app_ && loopRunning_) {
      app_->quit();
    }
  };
  TraceStartup("window built");
  const WindowId h = FormHwnd();
  if (X() != nullptr) {
    X()->MarkInstanceWindow(h);
    if (const auto frame = X()->FrameExtents(h, kFrameExtentsWaitMs)) {
      form_->SetFrameExtents(FormMargins(*frame));
    }
  }
  if (QScreen* s = ScreenInFront()) {
    form_->FitInto(s->availableGeometry());
  }
  return h;
}

namespace {

Rect ToRect(const QRect& r) {
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

// A monitor in the X server's pixels: the toolkit keeps a monitor's corner where the server
// has it and scales only its size.
Rect NativeArea(const QScreen* s) {
  const QRect g = s->geometry();
  return ToRect({g.topLeft(), (QSizeF(g.size()) * s->devicePixelRatio()).toSize()});
}

std::string MonitorName(const QScreen* s) {
  return s->name().toStdString();
}

// The screens' areas in the order of `screens`, each as `area` gives it.
std::vector<Rect> Areas(const QList<QScreen*>& screens, Rect (*area)(const QScreen*)) {
  std::vector<Rect> out;
  out.reserve(static_cast<std::size_t>(screens.size()));
  for (const QScreen* s : screens) {
    out.push_back(area(s));
  }
  return out;
}

Rect LogicalArea(const QScreen* s) {
  return ToRect(s->geometry());
}

}  // namespace

QMargins X11Platform::FormMargins(const std::array<std::uint32_t, 4>& extents) const {
  // The window manager counts device pixels, the form logical ones.
  const qreal ratio = form_->devicePixelRatioF();
  auto logical = [ratio](std::uint32_t px) { return static_cast<int>(std::ceil(px / ratio)); };
  return {logical(extents[0]), logical(extents[2]), logical(extents[1]), logical(extents[3])};
}

void X11Platform::OnFormFrameChanged() {
  if (!form_ || X() == nullptr) {
    return;
  }
  const auto frame = X()->CurrentFrameExtents(FormHwnd());
  // Managers such as openbox clear the frame of a window they no longer show; it comes back
  // with the window, and fitting the parked window meanwhile would count no title bar.
  const bool cleared = frame && *frame == std::array<std::uint32_t, 4>{};
  if (cleared && form_->Parked()) {
    return;
  }
  QScreen* screen = MeasuredOn();
  if (frame && screen != nullptr) {
    form_->LearnFrame(FormMargins(*frame), screen->availableGeometry());
    // A frame told late corrects the place the window was seen at, parked or not.
    places_.Remember(MonitorName(screen), LogicalArea(screen), form_->Frame().left());
  }
}

void X11Platform::ShowView() {
  TraceStartup("show window");
  if (!form_) {
    return;
  }
  // The key hook hears only X applications there: say so once, in place of the options
  // hint, which the next summons puts back.
  if (!form_->Shown() && WaylandSession()) {
    ShowKeysNotice(kWaylandNotice, kWaylandAdvice);
    std::fprintf(stderr, "varnel: %s\n", kWaylandAdvice);
  } else if (!form_->Shown() && record_ && record_->ExtensionMissing()) {
    ShowKeysNotice(kKeysUnheardNotice, kKeysUnheardAdvice);
  }
  form_->ShowForm();
}

void X11Platform::ShowKeysNotice(const char* notice, const char* advice) {
  form_->SetText({Control::Message, 0}, notice);
  if (QWidget* line = form_->Widget({Control::Message, 0})) {
    line->setToolTip(QString::fromUtf8(advice));
  }
}

void X11Platform::DestroySearchWindow() {
  // The window may be closing from inside its own close event: hide it now, free it later.
  if (!form_) {
    return;
  }
  if (!formDestroyed_) {
    form_->hide();
  }
  if (timer_) {
    timer_->stop();
  }
  if (app_ && loopRunning_) {
    app_->quit();
  }
}

QScreen* X11Platform::ScreenInFront() {
  const QList<QScreen*> screens = App().screens();
  const WindowId front = X() != nullptr ? X()->ActiveWindow() : 0;
  if (front != 0 && front != FormHwnd() && front != X()->Root()) {
    const int i =
        MostOverlapped(Areas(screens, NativeArea), X()->RootRect(static_cast<xcb_window_t>(front)));
    if (i >= 0) {
      return screens[i];
    }
  }
  if (form_ && form_->isVisible() && !form_->Parked()) {
    return MeasuredOn();
  }
  if (screen_) {
    return screen_;
  }
  if (QScreen* s = App().screenAt(QCursor::pos())) {
    return s;
  }
  return App().primaryScreen();
}

QScreen* X11Platform::MeasuredOn() {
  if (form_ && form_->isVisible() && !form_->Parked()) {
    // A window the user has dragged to another monitor is measured from that one.
    const QList<QScreen*> screens = App().screens();
    if (const int i = MostOverlapped(Areas(screens, LogicalArea), ToRect(form_->Frame())); i >= 0) {
      screen_ = screens[i];
    }
  }
  return screen_ ? screen_.data() : App().primaryScreen();
}

Rect X11Platform::ViewFrame() {
  if (!form_) {
    return {};
  }
  const QRect f = form_->Frame();
  const QScreen* s = MeasuredOn();
  const QPoint origin = s != nullptr ? s->geometry().topLeft() : QPoint();
  return ToRect(f.translated(-origin));
}

void X11Platform::MoveView(const Rect& frame) {
  if (!form_) {
    return;
  }
  const QScreen* s = MeasuredOn();
  const QPoint origin = s != nullptr ? s->geometry().topLeft() : QPoint();
  form_->MoveTo(QRect(frame.left + origin.x(), frame.top + origin.y(), frame.right - frame.left,
                      frame.bottom - frame.top));
  if (s != nullptr) {
    places_.Remember(MonitorName(s), LogicalArea(s), frame.left + origin.x());
  }
}

void X11Platform::RememberPlace() {
  if (form_ && form_->isVisible() && !form_->Parked()) {
    if (const QScreen* s = MeasuredOn()) {
      places_.Remember(MonitorName(s), LogicalArea(s), form_->Frame().left());
    }
  }
}

void X11Platform::SetViewTop(int top) {
  if (!form_) {
    return;
  }
  RememberPlace();
  // Back from the parked place onto the monitor of the application in front.
  QScreen* target = form_->Parked() ? ScreenInFront() : MeasuredOn();
  if (target == nullptr) {
    form_->SetTop(top);
    return;
  }
  if (target != screen_) {
    form_->FitInto(target->availableGeometry());
  }
  const QSize size = form_->Frame().size();
  const Rect at =
      places_.ComeBack(MonitorName(target), LogicalArea(target), top, size.width(), size.height());
  screen_ = target;
  form_->SetPlace({at.left, at.top});
}

void X11Platform::Park() {
  if (!form_ || form_->Parked()) {
    return;
  }
  if (X() != nullptr) {
    // Withdrawn, it leaves the stacking order; the place it had is remembered.
    const std::vector<xcb_window_t> order = X()->StackingBottomToTop();
    parkedStacking_.assign(order.begin(), order.end());
  }
  RememberPlace();
  form_->Park();
}

bool X11Platform::Parked() {
  return form_ && form_->Parked();
}

WindowState X11Platform::ViewState() {
  if (!form_) {
    return WindowState::Normal;
  }
  const Qt::WindowStates s = form_->windowState();
  if (s & Qt::WindowMinimized) {
    return WindowState::Minimised;
  }
  if (s & Qt::WindowMaximized) {
    return WindowState::Maximised;
  }
  return WindowState::Normal;
}

void X11Platform::SetViewState(WindowState state) {
  if (!form_) {
    return;
  }
  Qt::WindowStates s = form_->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
  if (state == WindowState::Minimised) {
    s |= Qt::WindowMinimized;
  }
  if (state == WindowState::Maximised) {
    s |= Qt::WindowMaximized;
  }
  if (s != form_->windowState()) {
    form_->setWindowState(s);
  }
}

bool X11Platform::ViewVisible() {
  return form_ && form_->Shown();
}

void X11Platform::RaiseView() {
  if (!form_ || !form_->isVisible()) {
    return;
  }
  form_->raise();
  if (X() != nullptr) {
    X()->Raise(FormHwnd());
  }
}

Rect X11Platform::WorkArea() {
  // The window is centred on the monitor the user works on, and measured from it.
  screen_ = ScreenInFront();
  return screen_ ? Rect{0, 0, screen_->geometry().width(), screen_->geometry().height()} : Rect{};
}

// ---- the controls

std::string X11Platform::Text(ControlRef c) {
  return form_ ? form_->Text(c) : "";
}
void X11Platform::SetText(ControlRef c, const std::string& text) {
  if (form_) {
    form_->SetText(c, text);
  }
}
int X11Platform::SelStart(ControlRef c) {
  return form_ ? form_->SelStart(c) : 0;
}
int X11Platform::SelLength(ControlRef c) {
  return form_ ? form_->SelLength(c) : 0;
}
void X11Platform::SetSelection(ControlRef c, int start, int length) {
  if (form_) {
    form_->SetSelection(c, start, length);
  }
}
int X11Platform::Value(ControlRef c) {
  return form_ ? form_->Value(c) : 0;
}
void X11Platform::SetValue(ControlRef c, int value) {
  if (form_) {
    form_->SetValue(c, value);
  }
}

bool X11Platform::Enabled(ControlRef c) {
  QWidget* w = form_ ? form_->Widget(c) : nullptr;
  return w != nullptr && w->isEnabled();
}

void X11Platform::SetEnabled(ControlRef c, bool enabled) {
  if (QWidget* w = form_ ? form_->Widget(c) : nullptr) {
    w->setEnabled(enabled);
  }
}

bool X11Platform::Visible(ControlRef c) {
  QWidget* w = form_ ? form_->Widget(c) : nullptr;
  if (w == nullptr) {
    return false;
  }
  return c.id == Control::Window ? form_->Shown() : !w->isHidden();
}

void X11Platform::SetVisible(ControlRef c, bool visible) {
  if (!form_ || c.id == Control::Window) {
    return;
  }
  if (QWidget* w = form_->Widget(c)) {
    w->setVisible(visible);
  }
}

Colour X11Platform::TextColour(ControlRef c) {
  return form_ ? form_->ForeColor(c) : kBlack;
}
void X11Platform::SetTextColour(ControlRef c, Colour colour) {
  if (form_) {
    form_->SetForeColor(c, colour);
  }
}

int X11Platform::ControlTop(ControlRef c) {
  QWidget* w = form_ ? form_->Widget(c) : nullptr;
  if (w == nullptr || c.id == Control::Window) {
    return ViewFrame().top;
  }
  return w->y();
}

void X11Platform::SetControlTop(ControlRef c, int top) {
  if (!form_ || c.id == Control::Window) {
    return;
  }
  if (QWidget* w = form_->Widget(c)) {
    w->move(w->x(), top);
  }
}

bool X11Platform::SetTabStop(ControlRef c, bool on) {
  return form_ && form_->SetTabStop(c, on);
}
bool X11Platform::SetFocus(ControlRef c) {
  return form_ && form_->SetFocus(c);
}

std::optional<ControlRef> X11Platform::FocusedControl() {
  return form_ ? form_->FocusedControl() : std::nullopt;
}

WindowId X11Platform::ControlWindow(ControlRef c) {
  if (!form_) {
    return 0;
  }
  return c.id == Control::Window ? FormHwnd() : PseudoHandle(c);
}

// ---- tray icon and start at login

bool X11Platform::ShowTrayIcon(const TrayState& state) {
  App();
  if (!TrayIcon::HostAvailable()) {
    return false;
  }
  if (!tray_) {
    tray_ = std::make_unique<TrayIcon>([this](TrayEntry entry) {
      if (sink_ != nullptr) {
        sink_->OnTrayEntry(entry);
      }
    });
  }
  tray_->SetState(state);
  return true;
}

void X11Platform::RemoveTrayIcon() {
  tray_.reset();
}

void X11Platform::SetTrayState(const TrayState& state) {
  if (tray_) {
    tray_->SetState(state);
  }
}

bool X11Platform::StartAtLogin() {
  return AutostartEnabled(AutostartEntryPath());
}

bool X11Platform::SetStartAtLogin(bool on) {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (on && ec) {
    return false;
  }
  return SetAutostart(AutostartEntryPath(), self.string(), on);
}

// ---- user-interface services

MessageAnswer X11Platform::ShowMessageBox(const std::string& text, MessageStyle style,
                                          const std::string& title) {
  App();
  // Parked off screen, the window would take a box over it out of sight too.
  QWidget* parent = form_ && form_->isVisible() && !form_->Parked() && form_->Frame().top() > 0
                        ? form_.get()
                        : nullptr;
  QMessageBox box(parent);
  box.setWindowTitle(QString::fromStdString(title));
  box.setText(QString::fromStdString(text));
  if (style.icon == MessageIcon::Information) {
    box.setIcon(QMessageBox::Information);
  }
  const bool withCancel = style.buttons == MessageButtons::OkCancel;
  box.setStandardButtons(withCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok);
  box.setDefaultButton(QMessageBox::Ok);
  box.exec();
  // Window managers give the focus back to the window under a closed box; with none, or
  // with one that leaves the focus to the pointer, the keyboard would be left to nobody.
  if (parent != nullptr && form_->isVisible() && X() != nullptr &&
      X()->ActiveWindow() != FormHwnd()) {
    X()->Activate(FormHwnd(), 0);
  }
  // Closed by its frame: Cancel where there is one, else the only button.
  if (box.standardButton(box.clickedButton()) == QMessageBox::Ok) {
    return MessageAnswer::Ok;
  }
  return withCancel ? MessageAnswer::Cancel : MessageAnswer::Ok;
}

void X11Platform::SetMousePointer(Pointer pointer) {
  if (pointer == Pointer::Busy) {
    if (!app_ || waitCursor_) {
      return;
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    waitCursor_ = true;
  } else if (waitCursor_) {
    QGuiApplication::restoreOverrideCursor();
    waitCursor_ = false;
  }
}

void X11Platform::Beep() {
  if (app_) {
    QApplication::beep();
  }
}

bool X11Platform::OpenAddress(const std::string& target) {
  if (target.empty()) {
    return false;
  }
  if (StartsWithIgnoringCase(target, "http://") || StartsWithIgnoringCase(target, "https://")) {
    return OpenWebAddress(target, EnvironmentVariable("BROWSER"));
  }
  if (target.find('/') != std::string::npos && IsExecutable(target)) {
    return StartDetached({target});
  }
  return StartDetached({"xdg-open", target});
}

// ---- default browser

std::string X11Platform::BrowserUserCommand() {
  // $BROWSER is the user's own choice and wins over the desktop's association.
  // Its first entry that names a program found here, as a search would use it.
  const std::string path = EnvironmentVariable("PATH");
  for (const std::string& entry : BrowserEntries(EnvironmentVariable("BROWSER"))) {
    if (!ResolveExecutable(entry, path).empty()) {
      return entry;
    }
  }
  return HttpHandlerCommand();
}

std::string X11Platform::BrowserChosenHandler() {
  return HttpsHandlerId();
}

std::string X11Platform::BrowserHandlerCommand(const std::string& handler) {
  return DesktopEntryCommand(handler);
}

std::string X11Platform::ExecutableForDocument(const std::string& path) {
  return ExecutableFromCommand(DocumentHandlerCommand(path));
}

std::string X11Platform::ExecutableFromCommand(const std::string& commandLine) {
  return ResolveExecutable(commandLine, EnvironmentVariable("PATH"));
}

// ---- files

std::string X11Platform::ExecutableFolder() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string("./") : WithSlash(exe.parent_path().string());
}

std::string X11Platform::TempFolder() {
  const std::string t = EnvironmentVariable("TMPDIR");
  return WithSlash(t.empty() ? "/tmp" : t);
}

NewFile X11Platform::CreateNewFile(const std::string& path) {
  return posix::CreateNewFile(path);
}

void X11Platform::RemoveFile(const std::string& path) {
  posix::RemoveFile(path);
}

std::string X11Platform::UserConfigFolder() {
  std::string base = EnvironmentVariable("XDG_CONFIG_HOME");
  // XDG base directories ignore a relative path there.
  if (!base.starts_with('/')) {
    base = EnvironmentVariable("HOME") + "/.config";
  }
  return WithSlash(base) + "varnel/";
}

std::string X11Platform::EnvironmentVariable(const std::string& name) {
  const char* v = std::getenv(name.c_str());
  return v != nullptr ? v : "";
}

// ---- speech

std::unique_ptr<SpeechService> X11Platform::CreateSpeechService(SpeechError& error) {
  App();
  if (!watcher_) {
    watcher_ = std::make_unique<Watcher>();
  }
  return CreateListenSpeechService(error, *watcher_);
}

std::string X11Platform::RecogniserProcessName() {
  return kListenProcessName;
}
std::string X11Platform::RecogniserDisplayName() {
  return kListenDisplayName;
}

}  // namespace varnel

// Cost per key event of the keyboard hook's decision, on the in-memory platform.
// Prints nanoseconds, cycles, instructions (where the system lets us count them) and heap
// allocations per event for the three paths that matter: a plain letter (every key typed
// anywhere), Tab with the search window in front, and the Ctrl+Alt+/ shortcut.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "core/keyboard_hook.h"
#include "core/program.h"
#include "support/fake_platform.h"

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#define VARNEL_HAVE_RDTSC 1
#endif

#if defined(__linux__)
#include <linux/perf_event.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace {

std::atomic<std::uint64_t> g_allocations{0};

}  // namespace

void* operator new(std::size_t size) {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

namespace {

using varnel::FakePlatform;
using varnel::FakeWindow;
using varnel::KeyEvent;
using varnel::Program;

// User-space instruction counter; unavailable in many containers.
class InstructionCounter {
 public:
  InstructionCounter() {
#if defined(__linux__)
    perf_event_attr attr{};
    attr.type = PERF_TYPE_HARDWARE;
    attr.size = sizeof attr;
    attr.config = PERF_COUNT_HW_INSTRUCTIONS;
    attr.disabled = 1;
    attr.exclude_kernel = 1;
    attr.exclude_hv = 1;
    fd_ = static_cast<int>(syscall(SYS_perf_event_open, &attr, 0, -1, -1, 0));
#endif
  }
  ~InstructionCounter() {
#if defined(__linux__)
    if (fd_ >= 0) close(fd_);
#endif
  }
  InstructionCounter(const InstructionCounter&) = delete;
  InstructionCounter& operator=(const InstructionCounter&) = delete;
  bool Available() const {
    return fd_ >= 0;
  }
  void Start() {
#if defined(__linux__)
    if (fd_ < 0) return;
    ioctl(fd_, PERF_EVENT_IOC_RESET, 0);
    ioctl(fd_, PERF_EVENT_IOC_ENABLE, 0);
#endif
  }
  std::uint64_t Stop() {
    std::uint64_t count = 0;
#if defined(__linux__)
    if (fd_ < 0) return 0;
    ioctl(fd_, PERF_EVENT_IOC_DISABLE, 0);
    if (read(fd_, &count, sizeof count) != static_cast<ssize_t>(sizeof count)) count = 0;
#endif
    return count;
  }

 private:
  int fd_ = -1;
};

std::uint64_t Cycles() {
#ifdef VARNEL_HAVE_RDTSC
  return __rdtsc();
#else
  return 0;
#endif
}

struct Result {
  double ns = 0, cycles = 0, instructions = 0, allocations = 0;
};

struct Scenario {
  const char* name;
  std::uint32_t vk;
  int mask;
  bool boxInFront;
};

Result Measure(const Scenario& s, InstructionCounter& counter) {
  FakePlatform pf;
  Program p{pf.AllPorts()};
  // A stand-in window for the search window: posted codes then reach nobody, so the
  // queue can be drained between batches without running the program's handlers.
  FakeWindow box;
  box.thread = 1;
  p.window.handle = pf.desktop.AddWindow(box);
  FakeWindow app;
  app.thread = 2;
  const varnel::WindowId other = pf.desktop.AddWindow(app);
  pf.desktop.UserActivate(s.boxInFront ? p.window.handle.load() : other);
  p.hook.HookKeyboard();
  pf.hotkeys.SetKeyDown(varnel::vk::Shift, (s.mask & varnel::kMaskShift) != 0);
  pf.hotkeys.SetKeyDown(varnel::vk::Control, (s.mask & varnel::kMaskCtrl) != 0);
  pf.hotkeys.SetKeyDown(varnel::vk::Alt, (s.mask & varnel::kMaskAlt) != 0);

  KeyEvent ev;
  ev.vkCode = s.vk;
  constexpr int kBatch = 1000;
  constexpr int kBatches = 200;
  std::uint64_t ns = 0, cycles = 0, instructions = 0, allocations = 0;
  for (int b = 0; b < kBatches; ++b) {
    const std::uint64_t a0 = g_allocations.load(std::memory_order_relaxed);
    counter.Start();
    const auto t0 = std::chrono::steady_clock::now();
    const std::uint64_t c0 = Cycles();
    for (int i = 0; i < kBatch; ++i) {
      ev.time = static_cast<std::uint32_t>(i);
      p.hook.Judge(ev);
    }
    const std::uint64_t c1 = Cycles();
    const auto t1 = std::chrono::steady_clock::now();
    instructions += counter.Stop();
    allocations += g_allocations.load(std::memory_order_relaxed) - a0;
    cycles += c1 - c0;
    ns += static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(t1 - t0).count());
    pf.log.Clear();
    pf.loop.RunPending();
  }
  const double events = static_cast<double>(kBatch) * kBatches;
  return {static_cast<double>(ns) / events, static_cast<double>(cycles) / events,
          static_cast<double>(instructions) / events, static_cast<double>(allocations) / events};
}

}  // namespace

// An optional argument picks one scenario by its row number (for instruction counting under
// callgrind, where perf events are unavailable).
int main(int argc, char** argv) {
  const int only = argc > 1 ? std::atoi(argv[1]) : 0;
  const Scenario scenarios[] = {
      {"plain letter, other window in front", 'A', 0, false},
      {"Tab, search window in front", 9, 0, true},
      {"Ctrl+Alt+/, other window in front", 191, 6, false},
  };
  InstructionCounter counter;
  std::printf("Keyboard hook decision, cost per key-down event (in-memory platform)\n\n");
  std::printf("%-38s %10s %10s %14s %12s\n", "event", "ns", "cycles", "instructions",
              "allocations");
  int row = 0;
  for (const Scenario& s : scenarios) {
    if (only != 0 && ++row != only) continue;
    const Result r = Measure(s, counter);
    char instr[32];
    if (counter.Available()) {
      std::snprintf(instr, sizeof instr, "%.0f", r.instructions);
    } else {
      std::snprintf(instr, sizeof instr, "n/a");
    }
    std::printf("%-38s %10.1f %10.0f %14s %12.2f\n", s.name, r.ns, r.cycles, instr, r.allocations);
  }
  std::printf(
      "\nAllocations on the posting paths are the in-memory platform recording the post;\n"
      "the decision itself allocates nothing (see the plain-letter row).\n");
  if (!counter.Available()) {
    std::printf("Instruction counts need perf events (kernel.perf_event_paranoid <= 2).\n");
  }
  return 0;
}

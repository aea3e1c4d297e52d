#include "adapters/x11/startup_trace.h"

#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace varnel {
namespace {

double NowMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// The process start on the same clock (boot time, in clock ticks), read once.
double StartMs() {
  std::ifstream f("/proc/self/stat");
  std::string line;
  std::getline(f, line);
  const std::size_t close = line.rfind(')');
  if (close == std::string::npos) {
    return NowMs();
  }
  std::istringstream rest(line.substr(close + 2));
  std::string field;
  for (int i = 3; i <= 22 && rest >> field; ++i) {
    if (i == 22) {
      timespec boot{};
      clock_gettime(CLOCK_BOOTTIME, &boot);
      const double bootMs =
          static_cast<double>(boot.tv_sec) * 1e3 + static_cast<double>(boot.tv_nsec) / 1e6;
      const double startMs = std::stod(field) * 1e3 / static_cast<double>(sysconf(_SC_CLK_TCK));
      return NowMs() - (bootMs - startMs);
    }
  }
  return NowMs();
}

}  // namespace

void TraceStartup(const char* step) {
  static const bool on = std::getenv("VARNEL_TRACE_STARTUP") != nullptr;
  if (!on) {
    return;
  }
  static const double start = StartMs();
  std::fprintf(stderr, "startup %7.1f ms  %s\n", NowMs() - start, step);
}

}  // namespace varnel

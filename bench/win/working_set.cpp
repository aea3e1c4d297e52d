// Prints the memory of the running search window's process as Windows reports it:
// working set, peak working set and private bytes, in KiB, on one line.
#include <windows.h>

#include <psapi.h>

#include <cstdio>

int main() {
  const HWND box = FindWindowW(L"Varnel", nullptr);
  DWORD pid = 0;
  if (box == nullptr || GetWindowThreadProcessId(box, &pid) == 0) {
    std::fprintf(stderr, "no search window\n");
    return 1;
  }
  const HANDLE process =
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  PROCESS_MEMORY_COUNTERS_EX m{};
  m.cb = sizeof m;
  const bool ok =
      process != nullptr &&
      GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m) != 0;
  if (process != nullptr) CloseHandle(process);
  if (!ok) {
    std::fprintf(stderr, "no memory figures for process %lu\n", static_cast<unsigned long>(pid));
    return 1;
  }
  std::printf("%llu %llu %llu\n", static_cast<unsigned long long>(m.WorkingSetSize / 1024),
              static_cast<unsigned long long>(m.PeakWorkingSetSize / 1024),
              static_cast<unsigned long long>(m.PrivateUsage / 1024));
  return 0;
}

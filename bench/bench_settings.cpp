// Cost of reading and writing the settings file as it grows: 1, 100 and 10,000 keys.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "core/ini_file.h"
#include "core/settings.h"

namespace {

namespace fs = std::filesystem;

template <typename F>
double MicrosPerCall(int reps, F&& f) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < reps; ++i) {
    f(i);
  }
  return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
             .count() /
         reps;
}

}  // namespace

int main() {
  std::random_device rd;
  const fs::path dir = fs::temp_directory_path() / ("varnel-bench-" + std::to_string(rd()));
  fs::create_directories(dir);

  std::printf("one read and one write of SearchHistory in a file of N keys\n\n");
  std::printf("%8s %10s %12s %8s %12s %8s\n", "keys", "file KiB", "read us", "ratio", "write us",
              "ratio");
  double firstRead = 0;
  double firstWrite = 0;
  for (int keys : {1, 100, 10000}) {
    varnel::Settings settings((dir / ("Varnel" + std::to_string(keys) + ".cfg")).string());
    varnel::IniFile file;
    for (int k = 1; k < keys; ++k) {
      file.Set("Filler", "Key" + std::to_string(k), "some value");
    }
    file.Set("History", "SearchHistory", "cheap flights");
    file.Save(settings.file);

    const int reps = keys >= 10000 ? 50 : 500;
    std::size_t sink = 0;
    const double read = MicrosPerCall(reps, [&](int) { sink += settings.LoadHistory().size(); });
    const double write =
        MicrosPerCall(reps, [&](int i) { settings.SaveHistory("terms " + std::to_string(i)); });
    if (firstRead == 0) {
      firstRead = read, firstWrite = write;
    }
    std::printf("%8d %10.1f %12.1f %8.1f %12.1f %8.1f%s\n", keys,
                static_cast<double>(fs::file_size(settings.file)) / 1024.0, read, read / firstRead,
                write, write / firstWrite, sink == 0 ? "?" : "");
  }
  std::printf("\nwrites go through a temporary file, a sync to disk and a rename\n");
  std::error_code ec;
  fs::remove_all(dir, ec);
  return 0;
}

// A program on the in-memory platform, with its own settings file in a temporary folder, and
// helpers that act like a user.
#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <system_error>

#include <gtest/gtest.h>
#include <unistd.h>

#include "core/program.h"
#include "support/fake_platform.h"

namespace varnel::testing {

// A folder that is removed with everything in it when the object goes.
class TempFolder {
 public:
  TempFolder() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("varnel-test-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string() + "/"; }

 private:
  std::filesystem::path path_;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

// One running copy of the program. Several may share one settings file (a second start).
class FakeProgram {
 public:
  explicit FakeProgram(const std::string& cfgFile,
                       const FakePlatform::Config& config = FakePlatform::Config{})
      : fake(config), cfgFile_(cfgFile) {
    fake.paths.environment["VARNEL_CFG"] = cfgFile;
    program = std::make_unique<Program>(fake.AllPorts());
  }

  FakePlatform fake;
  std::unique_ptr<Program> program;

  Program& p() { return *program; }
  const std::string& cfgFile() const { return cfgFile_; }

  // Main, then whatever it left pending.
  Startup::Result Start() {
    Startup::Result r = program->startup.Main();
    fake.loop.RunPending();
    return r;
  }

  // An application window with its own process and thread, brought to the front.
  WindowId AddApp(const std::string& exe = "editor.exe", const std::string& cls = "EditorFrame") {
    static ProcessId nextPid = 9000;
    const ProcessId pid = ++nextPid;
    fake.processes.AddProcess(pid, exe);
    FakeWindow w;
    w.pid = pid;
    w.className = cls;
    WindowId h = fake.desktop.AddWindow(w);
    fake.desktop.UserActivate(h);
    return h;
  }

  void BringToFront(WindowId h) {
    fake.desktop.UserActivate(h);
    fake.loop.RunPending();
  }

  // A key chord through the hook and on to the window in front (mask Shift 1, Ctrl 2, Alt 4).
  void Press(int vk, int mask = 0) {
    fake.UserChord(vk, mask);
    fake.loop.RunPending();
  }
  void Type(const std::string& text) {
    fake.UserType(text);
    fake.loop.RunPending();
  }
  void Click(ControlRef c) {
    fake.UserClick(c);
    fake.loop.RunPending();
  }
  void Advance(std::uint32_t ms) {
    fake.loop.AdvanceTime(ms);
    fake.loop.RunPending();
  }

  std::string Terms() { return fake.controls.Text({Control::Terms, 0}); }
  bool Parked() { return fake.viewWindow.FormCreated() && fake.viewWindow.Parked(); }
  bool OnScreen() {
    return fake.viewWindow.FormCreated() && !fake.viewWindow.Parked() &&
           fake.viewWindow.ViewFrame().top > 0;
  }
  std::string CfgText() const { return ReadFile(cfgFile_); }

 private:
  std::string cfgFile_;
};

// A test with one program whose settings file lives in a fresh temporary folder.
class FakeProgramTest : public ::testing::Test {
 protected:
  FakeProgramTest() : app(tmp.str() + "Varnel.cfg") {}

  TempFolder tmp;
  FakeProgram app;
  FakePlatform& fake = app.fake;
  Program& p = *app.program;
};

}  // namespace varnel::testing

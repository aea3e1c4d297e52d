// Folders and the environment as the test sets them; files are made on the real file
// system, by the POSIX adapter's own calls, since the tests look at the files the program
// leaves behind.
#pragma once

#include <map>
#include <string>

#include "ports/system_paths.h"

namespace varnel {

class FakeSystemPaths final : public SystemPaths {
 public:
  FakeSystemPaths();

  std::string executableFolder = "/nonexistent-varnel-exe/";
  std::string tempFolder;  // the system's temporary folder
  std::string userConfigFolder = "/nonexistent-varnel-config/";
  std::map<std::string, std::string> environment;

  std::string ExecutableFolder() override { return executableFolder; }
  std::string TempFolder() override { return tempFolder; }
  NewFile CreateNewFile(const std::string& path) override;
  void RemoveFile(const std::string& path) override;
  std::string UserConfigFolder() override { return userConfigFolder; }
  std::string EnvironmentVariable(const std::string& name) override;
};

}  // namespace varnel

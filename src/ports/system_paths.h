// Where the program, temporary files and the user's settings live, and the environment.
#pragma once

#include <cstdint>
#include <string>

namespace varnel {

enum class NewFile : std::uint8_t { Created, Exists, Failed };

class SystemPaths {
 public:
  virtual std::string ExecutableFolder() = 0;  // ends with the path separator
  virtual std::string TempFolder() = 0;        // ends with the path separator
  // Creates an empty file, never opening one that exists already.
  virtual NewFile CreateNewFile(const std::string& path) = 0;
  virtual void RemoveFile(const std::string& path) = 0;
  virtual std::string UserConfigFolder() = 0;  // fallback home of the settings file
  virtual std::string EnvironmentVariable(const std::string& name) = 0;  // "" when unset

 protected:
  ~SystemPaths() = default;
};

}  // namespace varnel

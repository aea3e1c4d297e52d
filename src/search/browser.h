// Finding the default browser and bringing it forward or starting it.
#pragma once

#include <string>

namespace varnel {

class Program;

std::string TrimNull(const std::string& text);
std::string CutAtLastDot(const std::string& text);

class Browser {
 public:
  explicit Browser(Program& program) : p_(program) {}

  void LaunchBrowser();
  std::string GetDefaultBrowser();
  // Creates an empty file with a unique name in the temporary folder; "" on failure.
  std::string MakeTempFile(const std::string& extension, bool create);

 private:
  Program& p_;
};

}  // namespace varnel

// The Linux desktop program: the command line first, then the resident search window.
#include <iostream>
#include <string>
#include <vector>

#include "adapters/x11/x11_platform.h"
#include "core/cli.h"
#include "core/program.h"

int main(int argc, char** argv) {
  varnel::X11Platform platform(argc, argv);
  const std::vector<std::string> args(argv + 1, argv + argc);
  const varnel::Ports ports = platform.AllPorts();
  if (const std::optional<int> rc = varnel::RunCommandLine(args, ports, std::cout, std::cerr)) {
    return *rc;
  }
  varnel::Program program(ports);
  return program.Run();
}

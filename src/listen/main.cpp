// varnel-listen: an offline command recogniser that Varnel talks to over a Unix socket.
#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "listen/audio_file.h"
#include "listen/audio_source.h"
#include "listen/recogniser.h"
#include "listen/server.h"
#include "listen/settings.h"

namespace {

void OnSignal(int /*sig*/) {
  varnel::listen::RequestStop();
}

}  // namespace

int main(int argc, char** argv) {
  using namespace varnel::listen;
  Settings settings;
  std::string error;
  bool help = false;
  if (!ParseSettings(std::vector<std::string>(argv + 1, argv + argc), settings, error, help)) {
    std::fprintf(stderr, "varnel-listen: %s\n%s", error.c_str(), Usage().c_str());
    return 2;
  }
  if (help) {
    std::fputs(Usage().c_str(), stdout);
    return 0;
  }
  std::signal(SIGPIPE, SIG_IGN);

  Recogniser recogniser(settings);
  if (!recogniser.Open(error)) {
    std::fprintf(stderr, "varnel-listen: %s\n", error.c_str());
    return 1;
  }
  Server server(settings, recogniser);
  if (!server.CheckPhrases(error)) {
    std::fprintf(stderr, "varnel-listen: %s\n", error.c_str());
    return 2;
  }
  if (const int status = server.Listen(error); status != 0) {
    std::fprintf(stderr, "varnel-listen: %s\n", error.c_str());
    return status;
  }
  const bool fromFile = !settings.input.empty();
  auto source =
      fromFile ? OpenAudioFile(settings.input, error) : OpenMicrophone(settings.bufferMs, error);
  if (!source) {
    std::fprintf(stderr, "varnel-listen: %s\n", error.c_str());
    return 1;
  }
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);

  recogniser.Start(
      std::move(source), fromFile, [&server](Heard h) { server.Post(std::move(h)); },
      [&server](bool failed) { server.PostEnd(failed); },
      fromFile ? std::function<std::unique_ptr<AudioSource>(std::string&)>()
               : [&settings](std::string& e) { return OpenMicrophone(settings.bufferMs, e); });
  std::fprintf(stderr, "varnel-listen: listening on %s (%s)\n", settings.socketPath.c_str(),
               fromFile ? settings.input.c_str() : "microphone");
  const int status = server.Run();
  if (!recogniser.Stop()) {
    // A read on stdin that never ends: leave without waiting for it. Not fflush(nullptr):
    // that waits for stdin's lock, which the blocked read holds.
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(status);
  }
  return status;
}

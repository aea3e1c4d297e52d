#include "platform/x11/listen_client.h"

namespace varnel {

std::unique_ptr<SpeechService> CreateListenSpeechService(SpeechError& error, FdWatcher&) {
  error = {1, "This build has no speech client."};
  return nullptr;
}

}  // namespace varnel

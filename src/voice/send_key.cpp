#include "voice/send_key.h"
#include "app/program.h"
// PLACEHOLDER until implemented.
namespace varnel {
void ClsSendKey::SendKey(const std::string&, bool, bool) {}
void ClsSendKey::PressKeyVK(int, bool, bool, bool) {}
void SendKeyChord(Program&, bool, bool, bool, int, std::int32_t) {}
}  // namespace varnel

#include "ui/summoning.h"
#include "app/program.h"
// PLACEHOLDER until implemented.
namespace varnel {
void Summoning::PostCode(Code) {}
void Summoning::DispatchCode(Code) {}
void Summoning::OnWindowMessage(Hwnd, Code, std::uint32_t, std::uint32_t) {}
void Summoning::ShowSearchWindow() {}
void Summoning::ShowCaptionActive(Hwnd) {}
int Summoning::ShowMessage(const std::string&, int, const std::string&) { return 0; }
}  // namespace varnel

#include "ui/search_window.h"
#include "app/program.h"
// PLACEHOLDER until implemented.
namespace varnel {
void SearchWindow::EnsureLoaded() {}
void SearchWindow::Form_Load() {}
void SearchWindow::Form_Resize() {}
void SearchWindow::Form_Deactivate() {}
void SearchWindow::Form_Unload() {}
bool SearchWindow::Keyboard() const { return p_.state.keyboard; }
void SearchWindow::SetKeyboard(bool bKey) { p_.state.keyboard = bKey; }
void SearchWindow::ReleaseSendKey() {}
}  // namespace varnel

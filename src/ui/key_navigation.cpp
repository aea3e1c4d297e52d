#include "ui/key_navigation.h"
#include "app/program.h"
// PLACEHOLDER until implemented.
namespace varnel {
void KeyNavigation::CycleFocus() {}
void KeyNavigation::SelectAllText(ControlRef, bool) {}
void KeyNavigation::Form_KeyPress(int&) {}
void KeyNavigation::Form_KeyUp(int, int) {}
void KeyNavigation::Form_MouseMove() {}
void KeyNavigation::lbl_doit_MouseMove() {}
}  // namespace varnel

#include "app/program.h"

#include <iostream>

#include "ui/codes.h"

namespace varnel {

Program::Program(Platform& p) : platform(p) {
  platform.SetEventSink(this);
  settings.OnProblem([this] { summoning.ShowSettingsProblem(); });
}

Program::~Program() {
  // The hook may run on a thread of its own: it stops before the program it calls goes.
  hook.UnhookKeyboard();
  platform.SetEventSink(nullptr);
}

int Program::Run() {
  switch (startup.Main()) {
    case Startup::Result::HandedOff:
      return 0;
    case Startup::Result::NoAnswer:
      std::cerr << "varnel: another Varnel is running but does not answer\n";
      return 1;
    case Startup::Result::Running:
      break;
  }
  if (state.formLoaded) {
    tray.Show();
  }
  return platform.RunEventLoop();
}

void Program::LoadVoxForm() {
  if (vox && vox->Loaded()) {
    return;
  }
  // A form that so far only carried out handed-over phrases is loaded in place.
  if (!vox) {
    vox = std::make_unique<VoxForm>(*this);
  }
  vox->Form_Load();
  tray.Sync();
}

void Program::UnloadVoxForm() {
  if (!vox) {
    return;
  }
  // Keep the form alive while its unload runs: events that arrive meanwhile still find it.
  vox->Form_Unload();
  vox.reset();
  tray.Sync();
}

bool Program::OnScreen() {
  return state.formLoaded && platform.FormTop() > 0;
}

void Program::OnDeferredCode(Code code) {
  summoning.DispatchCode(code);
}

void Program::OnWindowMessage(Hwnd hwnd, Code msg, std::uint32_t wParam, std::uint32_t lParam) {
  summoning.OnWindowMessage(hwnd, msg, wParam, lParam);
}

void Program::OnTimer() {
  tracker.timer_vnl_Timer();
}

std::intptr_t Program::OnKeyboardHook(int nCode, std::uint32_t wParam, const KeyEvent& ev) {
  return hook.KeyboardProc(nCode, wParam, ev);
}

void Program::OnResize() {
  window.Form_Resize();
}
void Program::OnDeactivate() {
  window.Form_Deactivate();
}
void Program::OnUnload() {
  window.Form_Unload();
}
bool Program::OnCloseRequest() {
  return tray.CloseEndsProgram();
}
void Program::OnTrayEntry(TrayEntry entry) {
  tray.Choose(entry);
}
void Program::OnKeyPress(int& ch) {
  keys.Form_KeyPress(ch);
}
void Program::OnKeyDown(int key, int mask) {
  keys.Form_KeyDown(key, mask);
}

void Program::OnKeyUp(int key, int mask) {
  keys.Form_KeyUp(key, mask);
}

void Program::OnMouseMove(ControlRef over) {
  if (over.id == Ctl::lbl_doit) {
    keys.lbl_doit_MouseMove();
  } else if (over.id == Ctl::Form) {
    keys.Form_MouseMove();
  }
}

void Program::OnDblClick() {
  search.Form_DblClick();
}

void Program::OnClick(ControlRef control) {
  switch (control.id) {
    case Ctl::cmd_find:
      search.cmd_find_Click();
      break;
    case Ctl::lbl_doit:
      search.lbl_doit_Click();
      break;
    case Ctl::op_which:
      search.op_which_Click(control.index);
      break;
    case Ctl::chk_vox:
      voice.chk_vox_Click();
      break;
    default:
      break;
  }
}

}  // namespace varnel

// The search window's life: load, resize, deactivate, unload and the Keyboard property.
#pragma once

#include "platform/platform.h"

namespace varnel {

class Program;

class SearchWindow {
 public:
  explicit SearchWindow(Program& program) : p_(program) {}

  // Creates and loads the window on first reference; no-op afterwards.
  void EnsureLoaded();
  void Form_Load();
  void Form_Resize();
  void Form_Deactivate();
  void Form_Unload();
  bool Keyboard() const;
  void SetKeyboard(bool bKey);
  void ReleaseSendKey();

 private:
  Program& p_;
  Hwnd hwnd_ = 0;
  bool unloaded_ = false;
};

}  // namespace varnel

// The search window's life: load, resize, deactivate, unload and the Keyboard property.
#pragma once

#include "ports/platform.h"

namespace varnel {

class Program;

class SearchWindow {
 public:
  explicit SearchWindow(Program& program) : p_(program) {}

  // Creates and loads the window on first reference; no-op afterwards.
  void EnsureLoaded();
  void Build();
  void Resized();
  void Deactivated();
  void Close();
  bool Keyboard() const;
  void SetKeyboard(bool keyboard);
  void ReleaseSendKey();

 private:
  Program& p_;
  Hwnd hwnd_ = 0;
  bool unloaded_ = false;
};

}  // namespace varnel

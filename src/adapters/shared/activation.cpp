#include "adapters/shared/activation.h"

namespace varnel {

bool ActivateWithRetry(ActivationSteps& steps, WindowId hwnd, Lift lift) {
  if (steps.InFront() != hwnd) {
    steps.FirstRequest(hwnd);
    if (steps.InFront() != hwnd) {
      steps.LetEventsRun();
      steps.Request(hwnd);
      steps.RaiseToTop(hwnd);
      if (steps.InFront() != hwnd) {
        steps.Request(hwnd);
      }
    }
  }
  steps.LetEventsRun();
  if (lift == Lift::AboveOthers) {
    steps.KeepAboveOthers(hwnd, true);
    steps.LetEventsRun();
    steps.KeepAboveOthers(hwnd, false);
  }
  return steps.InFront() == hwnd;
}

}  // namespace varnel

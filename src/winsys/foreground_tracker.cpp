#include "winsys/foreground_tracker.h"
#include "app/program.h"
// PLACEHOLDER until implemented.
namespace varnel {
void ForegroundTracker::timer_vnl_Timer() {}
void ForegroundTracker::TrackForeground() {}
void ForegroundTracker::CheckPellar() {}
void ForegroundTracker::SnapBack() {}
}  // namespace varnel

// Remembering the applications the user came from, and Snap Back.
#pragma once

namespace varnel {

class Program;

class ForegroundTracker {
 public:
  explicit ForegroundTracker(Program& program) : p_(program) {}

  void FollowForeground();
  void TrackForeground();
  void CheckPellar();
  void SnapBack();

 private:
  Program& p_;
};

}  // namespace varnel

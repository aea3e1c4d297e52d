#include "listen/neighbour_scan.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <limits>
#include <mutex>
#include <string>
#include <vector>

namespace varnel::listen {
namespace {

using Words = std::vector<std::string>;

// A scan the test holds: each call waits until the test allows that many, and the calls are
// kept.
class HeldScan {
 public:
  NeighbourScan::Scanned operator()(const Words& words) {
    std::unique_lock lock(mutex_);
    calls_.push_back(words);
    changed_.notify_all();
    const std::size_t call = calls_.size();
    changed_.wait(lock, [&] { return allowed_ >= call; });
    NeighbourScan::Scanned scanned;
    for (const auto& word : words) {
      scanned.neighbours.push_back(word + "-like");
    }
    return scanned;
  }
  // Waits until the scan has been called `n` times.
  void AwaitCalls(std::size_t n) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return calls_.size() >= n; });
  }
  void Allow(std::size_t calls) {
    std::lock_guard lock(mutex_);
    allowed_ = calls;
    changed_.notify_all();
  }
  void AllowAll() { Allow(std::numeric_limits<std::size_t>::max()); }
  // Holds every call after those made so far.
  void Hold() {
    std::lock_guard lock(mutex_);
    allowed_ = calls_.size();
  }
  std::vector<Words> Calls() {
    std::lock_guard lock(mutex_);
    return calls_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Words> calls_;
  std::size_t allowed_ = 0;
};

Words Like(const Words& words) {
  Words out;
  for (const auto& word : words) {
    out.push_back(word + "-like");
  }
  return out;
}

TEST(NeighbourScanTest, AWantReturnsBeforeTheScanEnds) {
  HeldScan held;
  NeighbourScan scan([&](const Words& w) { return held(w); });
  EXPECT_TRUE(scan.Want({"page", "down"}));
  held.AwaitCalls(1);
  EXPECT_TRUE(scan.Busy());
  EXPECT_FALSE(scan.Take());  // still scanning
  held.AllowAll();
  scan.Wait();
  EXPECT_FALSE(scan.Busy());
  const auto found = scan.Take();
  ASSERT_TRUE(found);
  EXPECT_EQ(found->words, (Words{"page", "down"}));
  EXPECT_EQ(found->scanned.neighbours, Like({"page", "down"}));
  EXPECT_FALSE(scan.Take());  // taken once
}

// Menus wanted one after another, each either while the scan before is still held or after it
// ended: every word wanted ends up scanned, in the order first wanted, and only the scan of
// them all is ever taken.
TEST(NeighbourScanTest, EndsWithEveryWordWanted) {
  struct Step {
    Words words;
    bool release;  // let the scans so far end before the next step
  };
  struct Case {
    const char* what;
    std::vector<Step> steps;
    std::vector<Words> calls;
    Words words;  // of the result taken at the end; empty: none
  };
  const std::vector<Case> cases = {
      {"a second menu during the scan of the first",
       {{{"page", "down"}, false}, {{"zoom", "in"}, false}},
       {{"page", "down"}, {"page", "down", "zoom", "in"}},
       {"page", "down", "zoom", "in"}},
      {"a second menu after the first was scanned",
       {{{"page", "down"}, true}, {{"page", "up"}, true}},
       {{"page", "down"}, {"page", "down", "up"}},
       {"page", "down", "up"}},
      {"asleep and awake again: no word is new",
       {{{"go", "to", "sleep", "page"}, true},
        {{"wake", "up"}, true},
        {{"go", "to", "sleep"}, true},
        {{"wake", "up"}, true},
        {{"go", "to", "sleep", "page"}, true}},
       {{"go", "to", "sleep", "page"}, {"go", "to", "sleep", "page", "wake", "up"}},
       {"go", "to", "sleep", "page", "wake", "up"}},
      {"three menus while the first is scanned",
       {{{"a"}, false}, {{"b"}, false}, {{"a", "c"}, false}},
       {{"a"}, {"a", "b", "c"}},
       {"a", "b", "c"}},
      {"nothing new after the first", {{{"a"}, false}, {{"a"}, false}}, {{"a"}}, {"a"}},
      {"an empty menu", {{{}, true}}, {}, {}},
  };
  for (const auto& c : cases) {
    HeldScan held;
    NeighbourScan scan([&](const Words& w) { return held(w); });
    std::size_t wanted = 0;
    for (const auto& step : c.steps) {
      if (scan.Want(step.words) && ++wanted == 1) {
        held.AwaitCalls(1);  // the first scan is under way before the next menu comes
      }
      if (step.release) {
        held.AllowAll();
        scan.Wait();
        held.Hold();
      }
    }
    if (!c.steps.back().release) {
      EXPECT_FALSE(scan.Take()) << c.what;  // the scan of every word is still held
    }
    held.AllowAll();
    scan.Wait();
    const auto found = scan.Take();
    if (c.words.empty()) {
      EXPECT_FALSE(found) << c.what;
    } else {
      ASSERT_TRUE(found) << c.what;
      EXPECT_EQ(found->words, c.words) << c.what;
      EXPECT_EQ(found->scanned.neighbours, Like(c.words)) << c.what;
    }
    EXPECT_EQ(held.Calls(), c.calls) << c.what;
  }
}

TEST(NeighbourScanTest, AStaleResultIsNeverTaken) {
  HeldScan held;
  NeighbourScan scan([&](const Words& w) { return held(w); });
  scan.Want({"page"});
  held.AwaitCalls(1);
  scan.Want({"zoom"});
  held.Allow(1);  // the scan of "page" alone ends now, after "zoom" was wanted
  held.AwaitCalls(2);
  EXPECT_FALSE(scan.Take());
  EXPECT_TRUE(scan.Busy());
  held.AllowAll();
  scan.Wait();
  const auto found = scan.Take();
  ASSERT_TRUE(found);
  EXPECT_EQ(found->scanned.neighbours, Like({"page", "zoom"}));
}

TEST(NeighbourScanTest, StopsOnceTheScanUnderWayEnds) {
  HeldScan held;
  NeighbourScan scan([&](const Words& w) { return held(w); });
  scan.Want({"page"});
  held.AwaitCalls(1);
  held.AllowAll();
  scan.Stop();
  scan.Wait();  // returns at once once stopped
  EXPECT_FALSE(scan.Busy());
  EXPECT_FALSE(scan.Want({"zoom"}));
  EXPECT_EQ(held.Calls().size(), 1U);
}

}  // namespace
}  // namespace varnel::listen

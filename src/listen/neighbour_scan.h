// Looks for the command words' neighbours on a thread of its own: the whole dictionary is
// scanned for them, and a new menu must not wait for that. The decoder takes the result
// between utterances.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace varnel::listen {

class NeighbourScan {
 public:
  // What one scan found, and the CPU time it took its thread.
  struct Scanned {
    std::vector<std::string> neighbours;
    std::vector<std::string> closest;  // those one phone edit from a command word
    double cpuMs = 0;
  };
  // The neighbours of `words`; runs on the scan's thread.
  using Find = std::function<Scanned(const std::vector<std::string>& words)>;
  struct Found {
    std::vector<std::string> words;  // every command word wanted so far, in the order wanted
    Scanned scanned;
    // From the earliest want still unanswered until they were found.
    std::chrono::steady_clock::duration sinceWanted{};
  };

  explicit NeighbourScan(Find find);
  ~NeighbourScan();  // Stop()
  NeighbourScan(const NeighbourScan&) = delete;
  NeighbourScan& operator=(const NeighbourScan&) = delete;

  // Adds the words not wanted before, after the others, and starts a scan of them all when
  // there is any: a new word may also take a neighbour away from another word. Words wanted
  // once stay, so going back to an earlier menu finds nothing new. Whether a scan was started.
  bool Want(const std::vector<std::string>& words);
  // The neighbours of every word wanted so far, once, when they have been found; nullopt
  // otherwise. A scan that ended after more words were wanted is never taken: a newer one
  // replaces it.
  std::optional<Found> Take();
  // Whether the neighbours of some word wanted so far are still being looked for.
  bool Busy() const;
  // Waits while Busy(), or until stopped.
  void Wait();
  // Ends the thread once a scan under way is over; Want then starts nothing.
  void Stop();

 private:
  void Run();

  Find find_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> wanted_;
  std::size_t scanned_ = 0;  // words of wanted_ the latest finished scan covered
  std::chrono::steady_clock::time_point wantedAt_;
  std::optional<Found> found_;  // not taken yet
  bool stop_ = false;
  std::thread worker_;
};

}  // namespace varnel::listen

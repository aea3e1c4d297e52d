#include "listen/neighbour_scan.h"

#include <algorithm>
#include <utility>

namespace varnel::listen {

NeighbourScan::NeighbourScan(Find find) : find_(std::move(find)), worker_([this] { Run(); }) {}

NeighbourScan::~NeighbourScan() {
  Stop();
}

bool NeighbourScan::Want(const std::vector<std::string>& words) {
  std::lock_guard lock(mutex_);
  if (stop_) {
    return false;
  }
  const bool wasBusy = scanned_ != wanted_.size();
  const std::size_t before = wanted_.size();
  for (const auto& word : words) {
    if (std::find(wanted_.begin(), wanted_.end(), word) == wanted_.end()) {
      wanted_.push_back(word);
    }
  }
  if (wanted_.size() == before) {
    return false;
  }
  if (!wasBusy) {
    wantedAt_ = std::chrono::steady_clock::now();
  }
  changed_.notify_all();
  return true;
}

std::optional<NeighbourScan::Found> NeighbourScan::Take() {
  std::lock_guard lock(mutex_);
  if (!found_ || found_->words.size() != wanted_.size()) {
    return std::nullopt;
  }
  std::optional<Found> taken = std::move(found_);
  found_.reset();
  return taken;
}

bool NeighbourScan::Busy() const {
  std::lock_guard lock(mutex_);
  return !stop_ && scanned_ != wanted_.size();
}

void NeighbourScan::Wait() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return stop_ || scanned_ == wanted_.size(); });
}

void NeighbourScan::Stop() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
    changed_.notify_all();
  }
  if (worker_.joinable() && worker_.get_id() != std::this_thread::get_id()) {
    worker_.join();
  }
}

void NeighbourScan::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stop_ || scanned_ != wanted_.size(); });
    if (stop_) {
      return;
    }
    const std::vector<std::string> words = wanted_;
    lock.unlock();
    Scanned scanned = find_(words);
    lock.lock();
    // Words wanted meanwhile: the next round scans them all, and this result goes.
    if (words.size() == wanted_.size()) {
      found_ = Found{words, std::move(scanned), std::chrono::steady_clock::now() - wantedAt_};
      scanned_ = words.size();
      changed_.notify_all();
    }
  }
}

}  // namespace varnel::listen

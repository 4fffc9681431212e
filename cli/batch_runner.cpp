#include "cli/batch_runner.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace vortlan::cli {

namespace {

constexpr auto kTick = std::chrono::milliseconds(100);

// How far the workers may run ahead of the spectrum released last: a slow spectrum must not make the
// outcomes behind it pile up without bound.
constexpr std::size_t kAheadPerJob = 64;

class OrderedPool {
  public:
    OrderedPool(std::size_t count, int jobs, const RunSteps& steps)
        : count_(count), ahead_(kAheadPerJob * static_cast<std::size_t>(jobs)), steps_(steps) {}

    std::size_t run(int jobs) {
        std::vector<std::jthread> workers;
        for (int j = 0; j < jobs; ++j) workers.emplace_back([this] { work(); });
        releaseInOrder();
        return released_;
    }

  private:
    bool stopping() {
        if (!stopped_ && steps_.stopRequested()) stopped_ = true;
        return stopped_;
    }

    // The next spectrum to fit, or none when all are taken or the run is stopping.
    std::optional<std::size_t> take() {
        std::unique_lock lock(mutex_);
        while (true) {
            if (taken_ == count_ || stopping()) return std::nullopt;
            if (taken_ < released_ + ahead_) return taken_++;
            changed_.wait_for(lock, kTick);
        }
    }

    void work() {
        while (const std::optional<std::size_t> k = take()) {
            ItemOutcome outcome = steps_.fit(*k);
            const std::lock_guard lock(mutex_);
            ready_.emplace(*k, std::move(outcome));
            changed_.notify_all();
        }
    }

    // Ends when every spectrum taken has been released and no more will be taken.
    void releaseInOrder() {
        std::unique_lock lock(mutex_);
        while (true) {
            const auto next = ready_.find(released_);
            if (next != ready_.end()) {
                ItemOutcome outcome = std::move(next->second);
                ready_.erase(next);
                const std::size_t k = released_;
                lock.unlock();
                steps_.release(k, std::move(outcome));
                lock.lock();
                ++released_;
                changed_.notify_all();
                tickUnlocked(lock);
                continue;
            }
            if (released_ == count_ || (stopping() && released_ == taken_)) return;
            changed_.wait_for(lock, kTick);
            tickUnlocked(lock);
        }
    }

    void tickUnlocked(std::unique_lock<std::mutex>& lock) {
        const std::size_t released = released_;
        lock.unlock();
        steps_.tick(released);
        lock.lock();
    }

    const std::size_t count_;
    const std::size_t ahead_;
    const RunSteps& steps_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::size_t, ItemOutcome> ready_;
    std::size_t taken_ = 0;
    std::size_t released_ = 0;
    bool stopped_ = false;
};

}  // namespace

std::size_t runInOrder(std::size_t count, int jobs, const RunSteps& steps) {
    return OrderedPool(count, jobs, steps).run(jobs);
}

}  // namespace vortlan::cli

#pragma once
// How often the saver may put its window back on top or take the keyboard focus back. Two
// programs that both insist on the top (a second saver, a screen locker) would otherwise hand it
// to each other for ever, each spinning and the screen flickering between them. A burst of
// restorations is fine (a handful of notifications at once); past the limit the other program
// keeps the top until the burst has aged out of the window.
#include <cstdint>
#include <deque>

namespace driftmere {

class RaiseBudget {
  public:
    RaiseBudget(int limit, std::int64_t windowMs) : limit_(limit), windowMs_(windowMs) {}

    // True when one more restoration at `nowMs` (a monotonic clock) stays within the limit; it
    // is then counted.
    bool Take(std::int64_t nowMs) {
        while (!recent_.empty() && nowMs - recent_.front() >= windowMs_) recent_.pop_front();
        if (static_cast<int>(recent_.size()) >= limit_) return false;
        recent_.push_back(nowMs);
        return true;
    }

  private:
    int limit_;
    std::int64_t windowMs_;
    std::deque<std::int64_t> recent_;
};

}  // namespace driftmere

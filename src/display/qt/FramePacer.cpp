#include "display/qt/FramePacer.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>

namespace driftmere {

namespace {

constexpr std::int64_t kNsPerMs = 1'000'000;
constexpr std::int64_t kIntoTheTick = kNsPerMs / 4;

}  // namespace

FramePacer::FramePacer(QObject* parent) : QObject(parent) {
    fd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd_ >= 0) {
        notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        notifier_->setEnabled(false);
        connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
            std::uint64_t expirations = 0;
            if (read(fd_, &expirations, sizeof expirations) == sizeof expirations) Fire();
        });
    } else {
        fallback_.setTimerType(Qt::PreciseTimer);
        fallback_.setSingleShot(true);
        connect(&fallback_, &QTimer::timeout, this, &FramePacer::Fire);
    }
}

FramePacer::~FramePacer() {
    notifier_.reset();
    if (fd_ >= 0) close(fd_);
}

std::int64_t FramePacer::NowNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

std::int64_t FramePacer::TickToNs(std::uint32_t tick, std::int64_t nowNs) {
    const std::int64_t nowMs = nowNs / kNsPerMs;
    // The signed difference of the two 32-bit counts: right across the wrap.
    const auto ahead = static_cast<std::int32_t>(tick - static_cast<std::uint32_t>(nowMs));
    return (nowMs + ahead) * kNsPerMs + kIntoTheTick;
}

void FramePacer::WakeAt(std::int64_t atNs) {
    wakeAt_ = atNs;
    if (fd_ < 0) {
        const std::int64_t inMs = (atNs - NowNs() + kNsPerMs - 1) / kNsPerMs;
        fallback_.start(static_cast<int>(std::clamp<std::int64_t>(inMs, 0, 60'000)));
        return;
    }
    // An absolute time in the past fires at once.
    const std::int64_t at = std::max<std::int64_t>(atNs, 1);
    itimerspec spec{};
    spec.it_value.tv_sec = at / 1'000'000'000;
    spec.it_value.tv_nsec = at % 1'000'000'000;
    timerfd_settime(fd_, TFD_TIMER_ABSTIME, &spec, nullptr);
    notifier_->setEnabled(true);
}

void FramePacer::WakeOnGrid(int intervalMs) {
    const std::int64_t interval = std::int64_t(std::max(intervalMs, 1)) * kNsPerMs;
    WakeAt((NowNs() / interval + 1) * interval + kIntoTheTick);
}

void FramePacer::WakeWhenDue(FrameDue due) {
    // Balloons move at most once per 20 ms: a frame at a divisor of that misses none of a
    // balloon's 50 moves a second.
    constexpr int kSteadyIntervalMs = 10;
    switch (due.when) {
        case FrameDue::When::Steadily:
            WakeOnGrid(kSteadyIntervalMs);
            break;
        case FrameDue::When::AtTick:
            WakeAt(TickToNs(due.tick, NowNs()));
            break;
        case FrameDue::When::WhenAsked:
            Stop();
            break;
    }
}

void FramePacer::WakeWithin(int ms) {
    const std::int64_t now = NowNs();
    const std::int64_t latest = now + std::int64_t{std::max(ms, 0)} * 1'000'000;
    if (wakeAt_ && *wakeAt_ <= latest) return;
    WakeAt(now);
}

void FramePacer::Stop() {
    wakeAt_.reset();
    if (fd_ < 0) {
        fallback_.stop();
        return;
    }
    itimerspec off{};
    timerfd_settime(fd_, 0, &off, nullptr);
    notifier_->setEnabled(false);
}

void FramePacer::Fire() {
    wakeAt_.reset();
    emit frame();
}

}  // namespace driftmere

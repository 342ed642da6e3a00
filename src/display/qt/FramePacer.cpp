#include "display/qt/FramePacer.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <cstdint>
#include <ctime>

namespace driftmere {

FramePacer::FramePacer(int intervalMs, QObject* parent) : QObject(parent), intervalMs_(intervalMs) {
    fd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd_ >= 0) {
        notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
        notifier_->setEnabled(false);
        connect(notifier_.get(), &QSocketNotifier::activated, this, &FramePacer::OnTimerFd);
    } else {
        fallback_.setTimerType(Qt::PreciseTimer);
        fallback_.setInterval(intervalMs_);
        connect(&fallback_, &QTimer::timeout, this, &FramePacer::frame);
    }
}

FramePacer::~FramePacer() {
    notifier_.reset();
    if (fd_ >= 0) close(fd_);
}

void FramePacer::start() {
    if (fd_ < 0) {
        fallback_.start();
        return;
    }
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::int64_t interval = std::int64_t(intervalMs_) * 1'000'000;
    const std::int64_t nowNs = std::int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
    // The next multiple of the interval, a quarter of a millisecond in.
    const std::int64_t first = (nowNs / interval + 1) * interval + 250'000;
    itimerspec spec{};
    spec.it_value.tv_sec = first / 1'000'000'000;
    spec.it_value.tv_nsec = first % 1'000'000'000;
    spec.it_interval.tv_nsec = interval;
    timerfd_settime(fd_, TFD_TIMER_ABSTIME, &spec, nullptr);
    notifier_->setEnabled(true);
}

void FramePacer::stop() {
    if (fd_ < 0) {
        fallback_.stop();
        return;
    }
    itimerspec off{};
    timerfd_settime(fd_, 0, &off, nullptr);
    notifier_->setEnabled(false);
}

void FramePacer::OnTimerFd() {
    // Frames missed while the program was busy are not made up: one frame, then the grid.
    std::uint64_t expirations = 0;
    if (read(fd_, &expirations, sizeof expirations) != sizeof expirations) return;
    emit frame();
}

}  // namespace driftmere

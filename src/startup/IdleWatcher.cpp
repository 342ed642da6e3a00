#include "startup/IdleWatcher.h"

#include <charconv>
#include <cmath>

#include "startup/CommandLine.h"

namespace driftmere {

IdleWatcher::IdleWatcher(IdleSource& source, SaverStarter& starter, std::uint64_t idleMs)
    : source_(source), starter_(starter), idleMs_(idleMs) {}

void IdleWatcher::Start() {
    state_ = State::Waiting;
    source_.WatchIdle(idleMs_);
}

bool IdleWatcher::Inhibited() { return inhibitors_ > 0 || source_.HeldOffBySession(); }

void IdleWatcher::WaitAgain() {
    state_ = State::Waiting;
    // Without input since, the idle counter keeps counting from where it is: a saver that ended
    // by itself (or was ended from outside) comes back one whole idle time later, not at once.
    source_.WatchIdle(source_.IdleMs() + idleMs_);
    // Input resets the counter; from then on the plain idle time counts again.
    source_.WatchActivity();
}

void IdleWatcher::OnIdleReached() {
    if (state_ == State::Running) return;
    if (Inhibited()) {
        // Look again after another idle time (a hold the session ends sends no word), or at
        // once when the inhibitors go (SetInhibitors).
        state_ = State::HeldOff;
        source_.WatchIdle(source_.IdleMs() + idleMs_);
        source_.WatchActivity();
        return;
    }
    if (starter_.StartSaver()) {
        state_ = State::Running;
        return;
    }
    WaitAgain();
}

void IdleWatcher::OnActivity() {
    if (state_ == State::Running) return;
    state_ = State::Waiting;
    source_.WatchIdle(idleMs_);
}

void IdleWatcher::SaverEnded() {
    if (state_ == State::Running) WaitAgain();
}

void IdleWatcher::SaverFailed() {
    if (state_ != State::Running) return;
    // The idle watch that started it has fired; only input (OnActivity) starts the wait again.
    state_ = State::Waiting;
    source_.WatchActivity();
}

void IdleWatcher::SetInhibitors(std::size_t count) {
    inhibitors_ = count;
    // The user has been idle all along; the idle time counts again from the release.
    if (count == 0 && state_ == State::HeldOff) WaitAgain();
}

std::optional<IdleRequest> ParseIdleRequest(const std::vector<std::string>& args) {
    if (args.empty() || args[0] != "--idle") return std::nullopt;
    IdleRequest req;
    double minutes = kDefaultIdleMinutes;
    if (args.size() > 2) {
        req.refusal = "--idle takes one number of minutes at most";
        return req;
    }
    if (args.size() == 2) {
        const std::string& text = args[1];
        const char* end = text.data() + text.size();
        auto [ptr, ec] = std::from_chars(text.data(), end, minutes, std::chars_format::fixed);
        const double shortest = 1.0 / 60;
        if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(minutes) ||
            minutes < shortest || minutes > kLongestIdleMinutes) {
            req.refusal = "--idle wants minutes from 0.017 (a second) up to 1440 (a day), not " +
                          QuotedForMessage(text);
            return req;
        }
    }
    req.idleMs = static_cast<std::uint64_t>(std::llround(minutes * 60000.0));
    return req;
}

}  // namespace driftmere

#pragma once
// `driftmere --idle [MINUTES]`: start the saver once the user has been idle that long, and wait
// again once it ends. The watcher decides; where the idle time comes from (the X server, a
// Wayland compositor, a desktop's D-Bus service) and how the saver is run are behind two small
// interfaces, so the same rules hold in every session.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/IdleSource.h"

namespace driftmere {

// Runs the saver (a child `driftmere /s`); the program calls SaverEnded when it is gone.
class SaverStarter {
  public:
    virtual ~SaverStarter() = default;
    // False when it could not be started at all.
    virtual bool StartSaver() = 0;
};

class IdleWatcher {
  public:
    enum class State {
        Waiting,  // for the idle time to pass
        HeldOff,  // idle long enough, but something inhibits savers; waits for it to go
        Running,  // the saver runs
    };

    IdleWatcher(IdleSource& source, SaverStarter& starter, std::uint64_t idleMs);

    void Start();
    // From the idle source.
    void OnIdleReached();
    void OnActivity();
    // From the program.
    void SaverEnded();
    // The saver failed right after it started (it cannot run in this session, say): it would
    // fail again at every idle time, so the next try waits until the user has come back.
    void SaverFailed();
    // The number of inhibitors held (a video player's Inhibit on the session bus, say).
    void SetInhibitors(std::size_t count);

    State state() const { return state_; }
    std::uint64_t idleMs() const { return idleMs_; }

  private:
    // Wait a whole idle time counted from now: the user's idle time so far plus the setting.
    void WaitAgain();
    bool Inhibited();

    IdleSource& source_;
    SaverStarter& starter_;
    std::uint64_t idleMs_;
    std::size_t inhibitors_ = 0;
    State state_ = State::Waiting;
};

// What `--idle` was asked for: the idle time in milliseconds, or why the argument is refused.
struct IdleRequest {
    std::uint64_t idleMs = 0;
    std::string refusal;
};

constexpr double kDefaultIdleMinutes = 10;
constexpr double kLongestIdleMinutes = 24 * 60;

// nullopt when `args` (the program's arguments without its path) do not ask for `--idle`.
// Otherwise the idle time: MINUTES with fractions (0.1 is six seconds), 10 without a number,
// refused when it is not a number from a second up to a day.
std::optional<IdleRequest> ParseIdleRequest(const std::vector<std::string>& args);

}  // namespace driftmere

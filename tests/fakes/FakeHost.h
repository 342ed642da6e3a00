#pragma once
#include <string>
#include <vector>

#include "platform/SessionHost.h"

namespace driftmere::testing {

// Records what the session asks of its host. The time text is "T<seconds>".
class FakeHost : public SessionHost {
  public:
    std::vector<std::string> calls;
    bool timer3 = false;
    int hides = 0, shows = 0;
    int quitStatus = -1;

    void SetPointerHidden(bool hidden) override {
        (hidden ? hides : shows)++;
        calls.push_back(hidden ? "HidePointer" : "ShowPointer");
    }
    void ShowMessage(const std::string& text, const std::string& title) override {
        calls.push_back("Message " + title + ": " + text);
    }
    void SetSongWatcherEnabled(bool enabled) override { timer3 = enabled; }
    std::string TimeText(double seconds) override {
        return "T" + std::to_string(static_cast<long>(seconds));
    }
    void RequestQuit(int status) override {
        quitStatus = status;
        calls.push_back("Quit " + std::to_string(status));
    }
};

}  // namespace driftmere::testing

#pragma once
#include <iostream>
#include <string>
#include <utility>

#include "platform/QuotedForMessage.h"
#include "settings/IniFileStore.h"

namespace driftmere {

// The settings file, saying once on stderr when settings cannot be saved (a read-only folder, a
// full disk); the saver and the Control Box go on with what they hold in memory.
class WarnOnceStore : public SettingsStore {
  public:
    explicit WarnOnceStore(std::string path) : path_(path), store_(std::move(path)) {}
    std::optional<std::string> Read(std::string_view section, std::string_view key) override {
        return store_.Read(section, key);
    }
    bool Write(std::string_view section, std::string_view key, std::string_view value) override {
        return Warn(store_.Write(section, key, value));
    }
    bool WriteAll(std::span<const SettingValue> values) override {
        return Warn(store_.WriteAll(values));
    }
    bool Update(const SettingsChange& change) override { return Warn(store_.Update(change)); }

  private:
    bool Warn(bool ok) {
        if (!ok && !warned_) {
            warned_ = true;
            std::cerr << "driftmere: cannot save settings to " << QuotedPath(path_) << '\n';
        }
        return ok;
    }

    std::string path_;
    IniFileStore store_;
    bool warned_ = false;
};

}  // namespace driftmere

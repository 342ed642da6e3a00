#pragma once
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "settings/KeyTable.h"
#include "settings/SettingsStore.h"

namespace driftmere::testing {

// An in-memory settings store that folds case like the real one and keeps a log of writes.
class MemoryStore : public SettingsStore {
  public:
    struct Entry {
        std::string section, key, value;
    };
    std::vector<Entry> writes;  // every value written, with the section spelled as the caller did
    int writeAlls = 0;          // how many changes of more than one value (WriteAll, Update)

    std::optional<std::string> Read(std::string_view section, std::string_view key) override {
        auto it = values_.find(Name(section, key));
        if (it == values_.end()) return std::nullopt;
        return it->second;
    }
    bool Write(std::string_view section, std::string_view key, std::string_view value) override {
        writes.push_back({std::string(section), std::string(key), std::string(value)});
        values_[Name(section, key)] = std::string(value);
        return true;
    }
    bool WriteAll(std::span<const SettingValue> values) override {
        ++writeAlls;
        for (const SettingValue& v : values) Write(v.section, v.key, v.value);
        return true;
    }
    bool Update(const SettingsChange& change) override {
        const std::vector<SettingValue> values = change(
            [this](std::string_view section, std::string_view key) { return Read(section, key); });
        if (values.empty()) return true;
        return WriteAll(values);
    }
    void Set(std::string_view section, std::string_view key, std::string_view value) {
        values_[Name(section, key)] = std::string(value);
    }
    void Erase(std::string_view section, std::string_view key) {
        values_.erase(Name(section, key));
    }
    std::optional<std::string> Get(std::string_view section, std::string_view key) {
        return Read(section, key);
    }

  private:
    static std::string Lower(std::string_view s) {
        std::string r(s);
        for (char& c : r)
            if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        return r;
    }
    static std::string Name(std::string_view section, std::string_view key) {
        return Lower(section) + '\n' + Lower(key);
    }
    std::map<std::string, std::string> values_;
};

}  // namespace driftmere::testing

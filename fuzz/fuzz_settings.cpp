// The settings file on arbitrary bytes: the text scanner and editor, and the file store reading
// and rewriting a file that holds the bytes. Beyond not crashing, an edit must read back and
// must leave every other key as it was.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "settings/IniFileStore.h"
#include "settings/IniParse.h"

using namespace driftmere;

namespace {

std::string g_folder;

void Require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "broken promise: %s\n", what);
        std::abort();
    }
}

bool NamesEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// The value the first matching line holds, as Lookup promises to find it.
std::optional<std::string> FirstValue(const std::vector<ini::Entry>& entries,
                                      std::string_view section, std::string_view key) {
    for (const auto& e : entries)
        if (NamesEqual(e.section, section) && NamesEqual(e.key, key)) return e.value;
    return std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // tmpfs where there is one: the store syncs every file it writes.
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    g_folder = std::string(base) + "/driftmere-fuzz-settings-" + std::to_string(getpid());
    std::filesystem::create_directories(g_folder);
    std::atexit([] { std::filesystem::remove_all(g_folder); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);

    std::vector<ini::Entry> entries = ini::Parse(text);
    ini::Scanner scanner(text);
    ini::Line line;
    std::size_t lines = 0;
    while (scanner.Next(line)) {
        Require(line.begin <= line.end && line.end <= line.next && line.next <= text.size(),
                "a line lies inside the text");
        Require(line.next > line.begin || text.empty(), "the scanner moves on");
        (void)scanner.Value(line);
        ++lines;
    }

    // Edit one existing key (chosen by the input) and add one the text may not have; the value
    // is the text's last bytes, so it holds whatever the input does.
    std::string value(text.substr(text.size() > 24 ? text.size() - 24 : 0));
    std::vector<ini::Entry> edits;
    if (!entries.empty()) edits.push_back(entries[size % entries.size()]);
    edits.push_back({entries.empty() ? std::string("music") : entries.back().section, "Fuzz", ""});
    for (const auto& edit : edits) {
        if (edit.key.empty()) continue;
        std::string edited = ini::WithValue(text, edit.section, edit.key, value);
        Require(ini::Lookup(edited, edit.section, edit.key) == value, "an edit reads back");
        std::vector<ini::Entry> after = ini::Parse(edited);
        std::size_t checked = 0;
        for (const auto& e : entries) {
            if (++checked > 32) break;
            if (NamesEqual(e.section, edit.section) && NamesEqual(e.key, edit.key)) continue;
            Require(FirstValue(after, e.section, e.key) == FirstValue(entries, e.section, e.key),
                    "an edit leaves other keys alone");
        }
    }

    // The file store over the same bytes.
    std::string path = g_folder + "/settings.ini";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    IniFileStore store(path);
    for (std::size_t i = 0; i < entries.size() && i < 8; ++i) {
        auto read = store.Read(entries[i].section, entries[i].key);
        Require(read == FirstValue(entries, entries[i].section, entries[i].key),
                "the store reads what the text holds");
    }
    (void)store.Read("Settings", "WindSpeed");
    if (!edits.empty() && !edits.front().key.empty()) {
        const auto& edit = edits.front();
        Require(store.Write(edit.section, edit.key, value), "a writable file takes a write");
        Require(store.Read(edit.section, edit.key) == value, "a stored value reads back");
    }
    return 0;
}

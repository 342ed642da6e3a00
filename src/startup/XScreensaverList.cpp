#include "startup/XScreensaverList.h"

#include <algorithm>
#include <charconv>

#include "platform/AsciiText.h"

namespace driftmere {
namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kSeparator = "\\n";  // a backslash and an n: the end of an entry

std::string_view Trimmed(std::string_view s) { return TrimmedOf(s, kBlanks); }

std::string_view TrimmedRight(std::string_view s) {
    const std::size_t end = s.find_last_not_of(kBlanks);
    return end == std::string_view::npos ? std::string_view{} : s.substr(0, end + 1);
}

// The file's lines, each with its '\n' (the last one may have none).
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::size_t length = end == std::string_view::npos ? text.size() : end + 1;
        lines.push_back(text.substr(0, length));
        text.remove_prefix(length);
    }
    return lines;
}

std::string_view Body(std::string_view line) {
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    return line;
}

// A line goes on on the next one when it ends in an odd number of backslashes ("\\" is a
// backslash of the value itself).
bool Continues(std::string_view body) {
    std::size_t n = 0;
    while (n < body.size() && body[body.size() - 1 - n] == '\\') ++n;
    return n % 2 == 1;
}

// Where the value of setting `name` starts on this line, when the line sets it: "name:",
// blanks allowed before the name and before the colon. `prefixes` are the resource paths the
// name may come after ("*" in app-defaults).
std::optional<std::size_t> SettingValueStart(std::string_view body, std::string_view name,
                                             std::initializer_list<std::string_view> prefixes) {
    const std::size_t start = std::min(body.find_first_not_of(kBlanks), body.size());
    std::string_view rest = body.substr(start);
    for (std::string_view prefix : prefixes) {
        if (!rest.starts_with(prefix) || !rest.substr(prefix.size()).starts_with(name)) continue;
        std::size_t at = start + prefix.size() + name.size();
        while (at < body.size() && kBlanks.find(body[at]) != std::string_view::npos) ++at;
        if (at < body.size() && body[at] == ':') return at + 1;
    }
    return std::nullopt;
}

// The lines [first, last] of a place where the file sets a setting: only a line that is not
// the continuation of another setting can start one.
struct Block {
    std::size_t first = 0, last = 0;
    std::size_t valueStart = 0;  // in the first line
};

// Every place the file sets `name`, in order; the last one is the one that counts.
std::vector<Block> FindSettings(const std::vector<std::string_view>& lines, std::string_view name,
                                std::initializer_list<std::string_view> prefixes) {
    std::vector<Block> found;
    bool continuation = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view body = Body(lines[i]);
        if (!continuation) {
            if (auto value = SettingValueStart(body, name, prefixes)) {
                std::size_t last = i;
                while (last + 1 < lines.size() && Continues(Body(lines[last]))) ++last;
                found.push_back({i, last, *value});
            }
        }
        continuation = Continues(body);
    }
    return found;
}

std::optional<Block> FindSetting(const std::vector<std::string_view>& lines, std::string_view name,
                                 std::initializer_list<std::string_view> prefixes) {
    std::vector<Block> all = FindSettings(lines, name, prefixes);
    if (all.empty()) return std::nullopt;
    return all.back();
}

// The setting's value as one text: the continuation backslashes and line ends taken out.
std::string ValueOf(const std::vector<std::string_view>& lines, const Block& block) {
    std::string value;
    for (std::size_t i = block.first; i <= block.last; ++i) {
        std::string_view body = Body(lines[i]);
        if (i == block.first) body.remove_prefix(block.valueStart);
        if (Continues(body)) body.remove_suffix(1);
        value += body;
    }
    return value;
}

// The entries of a programs value, blank ones left out (xscreensaver counts only the others).
std::vector<std::string> Entries(std::string_view value) {
    std::vector<std::string> entries;
    for (;;) {
        const std::size_t end = value.find(kSeparator);
        const std::string_view entry = Trimmed(value.substr(0, end));
        if (!entry.empty()) entries.emplace_back(entry);
        if (end == std::string_view::npos) break;
        value.remove_prefix(end + kSeparator.size());
    }
    return entries;
}

bool AnyRunsDriftmere(const std::vector<std::string>& entries) {
    return std::any_of(entries.begin(), entries.end(),
                       [](const std::string& e) { return EntryRunsDriftmere(e); });
}

// One entry a line, the way xscreensaver lays the list out: the list's last line has no
// backslash to go on with.
std::string EntryLine(std::string_view entry, bool more) {
    return "\t\t\t\t" + std::string(entry) + "\t\t\t\t    \\n" + (more ? "\\\n" : "\n");
}

std::string Joined(const std::vector<std::string_view>& lines, std::size_t from, std::size_t to) {
    std::string text;
    for (std::size_t i = from; i < to && i < lines.size(); ++i) text += lines[i];
    return text;
}

// The block's lines with Driftmere's entry after the last one.
std::string BlockWithEntryAdded(const std::vector<std::string_view>& lines, const Block& block) {
    // xscreensaver-settings ends the list with an empty line after the last entry's "\n\":
    // ours goes before that line, in the same layout.
    if (block.last > block.first && Trimmed(Body(lines[block.last])).empty() &&
        TrimmedRight(Body(lines[block.last - 1])).ends_with("\\n\\"))
        return Joined(lines, block.first, block.last) + EntryLine(kXScreensaverEntry, true) +
               std::string(lines[block.last]);
    std::string text = Joined(lines, block.first, block.last);
    std::string_view last = Body(lines[block.last]);
    const bool continued = Continues(last);  // a last line going on into the end of the file
    if (continued) last.remove_suffix(1);
    const std::string value = ValueOf(lines, block);
    std::string changed(last);
    // The entry before ours needs its "\n" unless the list is empty or already ends in one.
    const std::string_view shown = TrimmedRight(value);
    if (!shown.empty() && !shown.ends_with(kSeparator))
        changed = std::string(TrimmedRight(changed)) + ' ' + std::string(kSeparator);
    text += changed + "\\\n" + EntryLine(kXScreensaverEntry, false);
    if (continued) text.insert(text.size() - 1, "\\");
    if (lines[block.last].back() != '\n' && block.last + 1 == lines.size() && !continued)
        text.pop_back();  // the file ended without a line end: keep it that way
    return text;
}

// The list with Driftmere's entries taken out. When each of them has a line of its own, those
// lines go and every other line stays as it was, so adding and then removing gives back the
// file it started from; otherwise the entries left are written again one a line. With none
// left the whole setting goes: an empty list would leave xscreensaver nothing to run, while
// without one the system's list applies again.
std::string BlockWithoutDriftmere(const std::vector<std::string_view>& lines, const Block& block,
                                  std::size_t removed, const std::vector<std::string>& kept) {
    if (kept.empty()) return {};
    std::vector<std::string> out{std::string(lines[block.first])};
    std::size_t dropped = 0;
    for (std::size_t i = block.first + 1; i <= block.last; ++i) {
        std::string_view body = Body(lines[i]);
        if (Continues(body)) body.remove_suffix(1);
        const std::vector<std::string> here = Entries(body);
        if (here.size() == 1 && EntryRunsDriftmere(here.front()))
            ++dropped;
        else
            out.emplace_back(lines[i]);
    }
    if (dropped == removed) {
        // When the list's last line was ours, the one before it now ends the list.
        const std::string_view last = Body(lines[block.last]);
        std::string& now = out.back();
        const std::size_t nowBody = Body(now).size();
        if (!Continues(last) && Continues(Body(now))) {
            now.erase(nowBody - 1, 1);
            if (lines[block.last].back() != '\n') now.pop_back();  // no line end at the end
        }
        std::string text;
        for (const std::string& line : out) text += line;
        return text;
    }
    std::string text = "programs:\t\t\t\t\t\t\t\t      \\\n";
    for (std::size_t i = 0; i < kept.size(); ++i) text += EntryLine(kept[i], i + 1 < kept.size());
    return text;
}

}  // namespace

std::optional<ListEditRequest> ListEditFromArgs(const std::vector<std::string>& args) {
    std::optional<ListEditRequest> request;
    int named = 0;
    for (std::string_view arg : args) {
        if (arg.starts_with("--"))
            arg.remove_prefix(2);
        else if (arg.starts_with("-"))
            arg.remove_prefix(1);
        else
            continue;
        if (arg != "add-to-xscreensaver" && arg != "remove-from-xscreensaver") continue;
        ++named;
        request =
            ListEditRequest{arg == "add-to-xscreensaver" ? ListEdit::Add : ListEdit::Remove, {}};
    }
    if (request && (named > 1 || args.size() > 1))
        request->refusal =
            "--add-to-xscreensaver and --remove-from-xscreensaver take no other "
            "arguments";
    return request;
}

bool EntryRunsDriftmere(std::string_view entry) {
    entry = Trimmed(entry);
    if (entry.starts_with('-')) entry = Trimmed(entry.substr(1));
    // A visual ("GL:", "default-n:") is a word ending in a colon before the command.
    const std::size_t colon = entry.find(':');
    if (colon != std::string_view::npos && colon < entry.find_first_of(" \t\""))
        entry = Trimmed(entry.substr(colon + 1));
    if (entry.starts_with('"')) {
        const std::size_t close = entry.find('"', 1);
        if (close == std::string_view::npos) return false;
        entry = Trimmed(entry.substr(close + 1));
    }
    std::string_view program = entry.substr(0, entry.find_first_of(kBlanks));
    if (const std::size_t slash = program.rfind('/'); slash != std::string_view::npos)
        program.remove_prefix(slash + 1);
    return program == "driftmere";
}

std::optional<std::string> ProgramsFromDefaults(std::string_view appDefaults) {
    const std::vector<std::string_view> lines = Lines(appDefaults);
    const auto block = FindSetting(lines, "programs", {"*", "XScreenSaver.", "XScreenSaver*"});
    if (!block) return std::nullopt;
    std::string text =
        "programs:" + std::string(Body(lines[block->first]).substr(block->valueStart));
    text += '\n';
    text += Joined(lines, block->first + 1, block->last + 1);
    if (text.back() != '\n') text += '\n';
    return text;
}

ListResult WithDriftmere(std::string_view userFile,
                         const std::optional<std::string>& systemPrograms) {
    const std::vector<std::string_view> lines = Lines(userFile);
    if (const auto block = FindSetting(lines, "programs", {""})) {
        if (AnyRunsDriftmere(Entries(ValueOf(lines, *block))))
            return {ListOutcome::AlreadyThere, {}};
        return {ListOutcome::Changed, Joined(lines, 0, block->first) +
                                          BlockWithEntryAdded(lines, *block) +
                                          Joined(lines, block->last + 1, lines.size())};
    }
    if (!systemPrograms) return {ListOutcome::NeedsDefaults, {}};
    // The file sets no list, so the system's applies: it becomes the file's own, with ours.
    const std::vector<std::string_view> system = Lines(*systemPrograms);
    const auto block = FindSetting(system, "programs", {""});
    if (!block) return {ListOutcome::NeedsDefaults, {}};
    if (AnyRunsDriftmere(Entries(ValueOf(system, *block)))) return {ListOutcome::AlreadyThere, {}};
    std::string text(userFile);
    if (!text.empty()) text += text.back() == '\n' ? "\n" : "\n\n";
    return {ListOutcome::Changed, text + BlockWithEntryAdded(system, *block)};
}

ListResult WithoutDriftmere(std::string_view userFile) {
    // Every list in the file loses its Driftmere entries, not just the last one that counts: a
    // list that goes as a whole lets the one before it count again.
    const std::vector<std::string_view> lines = Lines(userFile);
    std::string text;
    std::size_t next = 0;
    std::vector<int> removed;  // from the last list, by place
    bool lastGone = false;
    for (const Block& block : FindSettings(lines, "programs", {""})) {
        const std::vector<std::string> entries = Entries(ValueOf(lines, block));
        std::vector<std::string> kept;
        removed.clear();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (EntryRunsDriftmere(entries[i]))
                removed.push_back(int(i));
            else
                kept.push_back(entries[i]);
        }
        if (removed.empty()) continue;
        text += Joined(lines, next, block.first) +
                BlockWithoutDriftmere(lines, block, removed.size(), kept);
        next = block.last + 1;
        lastGone = kept.empty();
    }
    if (next == 0) return {ListOutcome::NotThere, {}};
    text += Joined(lines, next, lines.size());
    if (removed.empty() || lastGone) return {ListOutcome::Changed, text};

    // `selected:` names a mode by its place in the list, so it moves with the list.
    std::vector<std::string_view> edited = Lines(text);
    const auto selected = FindSetting(edited, "selected", {""});
    if (!selected) return {ListOutcome::Changed, text};
    const std::string_view body = Body(edited[selected->first]);
    const std::string_view number = Trimmed(body.substr(selected->valueStart));
    int index = 0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), index);
    if (error != std::errc() || end != number.data() + number.size() || index < 0) {
        return {ListOutcome::Changed, text};
    }
    const auto before =
        std::count_if(removed.begin(), removed.end(), [&](int r) { return r < index; });
    const bool wasOurs = std::find(removed.begin(), removed.end(), index) != removed.end();
    const int now = wasOurs ? -1 : index - int(before);
    const std::size_t at = std::size_t(number.data() - body.data());
    const std::string line = std::string(body.substr(0, at)) + std::to_string(now) +
                             std::string(edited[selected->first].substr(at + number.size()));
    return {ListOutcome::Changed, Joined(edited, 0, selected->first) + line +
                                      Joined(edited, selected->first + 1, edited.size())};
}

}  // namespace driftmere

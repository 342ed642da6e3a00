// The command line on arbitrary bytes: the bytes split into arguments at NUL and newline, the
// first argument doubling as $XSCREENSAVER_WINDOW. Checks what the start-up promises about the
// text it hands on, beyond not crashing.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "startup/CommandLine.h"

using namespace driftmere;

namespace {

void Require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "broken promise: %s\n", what);
        std::abort();
    }
}

std::string Hex(std::uint64_t v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%llx", static_cast<unsigned long long>(v));
    return buf;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> args;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= bytes.size(); ++i) {
        if (i == bytes.size() || bytes[i] == '\0' || bytes[i] == '\n') {
            args.emplace_back(bytes.substr(start, i - start));
            start = i + 1;
        }
    }

    StartRequest plain = ParseStart(args, nullptr);
    StartRequest hosted = ParseStart(args, args.empty() ? nullptr : args.front().c_str());

    for (const StartRequest* req : {&plain, &hosted}) {
        const std::string& line = req->commandLine;
        Require(line.empty() || (line.front() != ' ' && line.back() != ' '),
                "the command line is trimmed");
        for (char c : line) Require(!(c >= 'A' && c <= 'Z'), "the command line is lower case");
        // A hosted saver (--root, --window-id) has no command line of its own to choose from.
        Require(req->hosted || (req->modeText.size() <= 2 &&
                                line.compare(0, req->modeText.size(), req->modeText) == 0),
                "the mode is the command line's first two characters");
        Require(req->mode != StartMode::Preview || !req->hosted, "a preview is never hosted");
        (void)EndsForSingleInstance(req->modeText, true, [] { return true; });
        Require(!CountsAsRunningSaver(*req, false) || req->mode == StartMode::Saver,
                "only a saver counts as a running saver");
        (void)PreviewHandle(line);
    }

    (void)PreviewHandle(bytes);
    for (const std::string& arg : args) {
        if (auto id = ParseWindowId(arg)) {
            auto again = ParseWindowId(Hex(*id));
            Require(again && *again == *id, "a window id written in hex reads back the same");
        }
    }
    return 0;
}

// The guards on either side of the synthesiser: the check of a song file before it is played,
// and the limiter on what comes out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "music/MidiCheck.h"
#include "music/PeakLimiter.h"

namespace driftmere {
namespace {

using Bytes = std::vector<std::uint8_t>;

bool Check(const Bytes& b) { return IsWellFormedMidi(b.data(), b.size()); }

Bytes File(const Bytes& track, std::uint16_t division = 480, std::uint8_t tracks = 1) {
    Bytes b{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, tracks};
    b.push_back(std::uint8_t(division >> 8));
    b.push_back(std::uint8_t(division));
    for (int t = 0; t < tracks; ++t) {
        const std::uint8_t size[] = {std::uint8_t(track.size() >> 8), std::uint8_t(track.size())};
        b.insert(b.end(), {'M', 'T', 'r', 'k', 0, 0, size[0], size[1]});
        b.insert(b.end(), track.begin(), track.end());
    }
    return b;
}

const Bytes kEnd{0x00, 0xFF, 0x2F, 0x00};

Bytes With(Bytes events) {
    events.insert(events.end(), kEnd.begin(), kEnd.end());
    return events;
}

Bytes Patched(Bytes b, std::size_t at, std::uint8_t value, std::size_t cut = 0) {
    b[at] = value;
    b.resize(b.size() - cut);
    return b;
}

TEST(MidiCheck, AcceptsCleanFilesAndRejectsDamagedOnes) {
    // Tempo, a note with running status for its note-off, end of track.
    Bytes good = With(
        {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0x90, 0x3C, 0x40, 0x83, 0x60, 0x3C, 0x00});
    EXPECT_TRUE(Check(File(good)));
    EXPECT_TRUE(Check(File(good, 96, 3)));
    // A track ending with its chunk, without an end-of-track event, is common; so is an empty one.
    const Bytes noEnd(good.begin(), good.end() - kEnd.size());
    EXPECT_TRUE(Check(File(noEnd)));
    EXPECT_TRUE(Check(File({}, 480, 2)));

    const std::pair<const char*, Bytes> bad[] = {
        // Without an end-of-track event the chunk's end ends the track, but only after an event.
        {"track ends inside a note", File({0x00, 0x90, 0x3C})},
        {"track ends after a delta time", File({0x00, 0x90, 0x3C, 0x40, 0x10})},
        {"track ends inside a delta time", File({0x00, 0x90, 0x3C, 0x40, 0x83})},
        {"track ends inside a meta event", File({0x00, 0xFF, 0x03})},
        // clang-format off
        {"zero division", File(With({}), 0)}, {"SMPTE division", File(With({}), 0xE728)},
        {"zero tempo", File(With({0x00, 0xFF, 0x51, 0x03, 0x00, 0x00, 0x00}))},
        {"not MIDI at all", Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0}},
        {"running status at the start", File(With({0x00, 0x3C, 0x40}))},
        {"delta time of five bytes", File(With({0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x90, 0x3C, 0x40}))},
        {"meta length past the track", File({0x00, 0xFF, 0x01, 0x7F, 'a'})},
        {"data byte with its top bit set", File(With({0x00, 0x90, 0xBC, 0x40}))},
        {"fewer tracks than the header says", Patched(File(With({})), 11, 2)},
        {"truncated", Patched(File(With({0x00, 0x90, 0x3C, 0x40})), 0, 'M', 3)},
        // Found by fuzzing: the first track chunk is not "MTrk"; the player spun on it for minutes.
        {"fuzzed file",
         Patched(File(With({0x00, 0xFF, 0x03, 0x03, 'c', 'o', 'l'}), 480, 5), 14, 'I')}};
    // clang-format on
    for (const auto& [what, bytes] : bad) EXPECT_FALSE(Check(bytes)) << what;
}

std::vector<float> Sine(float amplitude, int frames) {
    std::vector<float> s(frames);
    for (int i = 0; i < frames; ++i)
        s[i] = amplitude * std::sin(i * 2.0f * 3.14159265f * 440 / 44100);
    return s;
}

float Peak(const std::vector<float>& s) {
    float p = 0;
    for (float v : s) p = std::max(p, std::fabs(v));
    return p;
}

TEST(PeakLimiterTest, QuietSignalPassesUntouchedAndALoudOneStaysUnderTheCeilingAndRecovers) {
    PeakLimiter limiter(0.89f);
    auto left = Sine(0.5f, 44100), right = Sine(-0.3f, 44100);
    const auto quietLeft = left, quietRight = right;
    limiter.Process(left.data(), right.data(), 44100);
    EXPECT_EQ(left, quietLeft);
    EXPECT_EQ(right, quietRight);

    left = Sine(0.2f, 44100), right = Sine(3.0f, 44100);
    limiter.Process(left.data(), right.data(), 44100);
    EXPECT_LE(Peak(right), 0.89f + 1e-6f);
    // Both channels share the gain, so the picture does not lean to one side.
    EXPECT_LT(Peak(left), 0.2f * 0.89f / 3.0f * 1.5f);

    // Two seconds of quiet later the gain is back to (almost) one.
    std::vector<float> quietL(88200, 0.1f), quietR(88200, 0.1f);
    limiter.Process(quietL.data(), quietR.data(), 88200);
    EXPECT_GT(limiter.Gain(), 0.99f);
}

}  // namespace
}  // namespace driftmere

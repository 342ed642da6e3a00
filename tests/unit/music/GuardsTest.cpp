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

// A track of `count` notes on keys 0, 1, 2..., each held `hold` ticks and struck `gap` ticks
// after the previous one ended.
Bytes Notes(int count, std::uint8_t gap, std::uint8_t hold) {
    Bytes t;
    for (int i = 0; i < count; ++i) {
        const auto key = static_cast<std::uint8_t>(i);
        t.insert(t.end(), {gap, 0x90, key, 0x40, hold, 0x80, key, 0x00});
    }
    return With(t);
}

Bytes TwoTracks(const Bytes& first, const Bytes& second) {
    Bytes b = File(first);
    b[11] = 2;
    const std::uint8_t size[] = {std::uint8_t(second.size() >> 8), std::uint8_t(second.size())};
    b.insert(b.end(), {'M', 'T', 'r', 'k', 0, 0, size[0], size[1]});
    b.insert(b.end(), second.begin(), second.end());
    return b;
}

// What a well-formed song may cost: how many events it holds, how many notes start within 10 ms
// of its time on all tracks together (tempo changes in any track count), and how many sound at
// once. Each row is a song just past one limit, or a near miss that must still play.
TEST(MidiCheck, RefusesSongsPastWhatOneSongMayCost) {
    // 120 beats a minute at 480 ticks a beat: a tick is about a millisecond.
    const Bytes fast{0x00, 0xFF, 0x51, 0x03, 0x00, 0x00, 0x32};  // 50 microseconds a beat
    const SongLimits small{.events = 40, .notesAtOnce = 4, .notesSounding = 3};
    struct Row {
        const char* what;
        Bytes song;
        MidiVerdict verdict;
        const char* excess;
    };
    const Row rows[] = {
        {"four notes at once", File(Notes(4, 0, 0)), MidiVerdict::Playable, ""},
        {"five notes at once", File(Notes(5, 0, 0)), MidiVerdict::TooCostly, "5 notes started"},
        {"five notes 3 ms apart", File(Notes(5, 3, 0)), MidiVerdict::Playable, ""},
        {"five notes 3 ms apart, at a tempo that puts them within 10 ms",
         TwoTracks(With(fast), Notes(5, 3, 0)), MidiVerdict::TooCostly, "5 notes started"},
        {"three notes on one track, two at the same moment on another",
         TwoTracks(Notes(3, 0, 0), Notes(2, 0, 0)), MidiVerdict::TooCostly, "5 notes started"},
        {"one key struck twenty times without a note-off", File(With([] {
             Bytes t;
             for (int i = 0; i < 20; ++i) t.insert(t.end(), {20, 0x90, 0x3C, 0x40});
             return t;
         }())),
         MidiVerdict::Playable, ""},
        {"four keys struck and held",
         File(With({20, 0x90, 1, 0x40, 20, 0x90, 2, 0x40, 20, 0x90, 3, 0x40, 20, 0x90, 4, 0x40})),
         MidiVerdict::TooCostly, "4 notes sounding"},
        {"a note-on of velocity 0 lets the key go",
         File(With({20, 0x90, 1, 0x40, 20, 0x90, 2,  0x40, 20, 0x90,
                    3,  0x40, 0, 0x90, 1,  0x00, 20, 0x90, 4,  0x40})),
         MidiVerdict::Playable, ""},
        {"39 events with the end of track", File(Notes(19, 20, 0)), MidiVerdict::Playable, ""},
        {"41 events", File(Notes(20, 20, 0)), MidiVerdict::TooCostly, "more than 40 events"},
    };
    for (const Row& row : rows) {
        const MidiCheckResult result = CheckMidi(row.song.data(), row.song.size(), small);
        EXPECT_EQ(result.verdict, row.verdict) << row.what << ": " << result.excess;
        EXPECT_EQ(result.excess.rfind(row.excess, 0), 0u) << row.what << ": " << result.excess;
    }

    // The limits a song is played under: a chord on each of 16 channels plays, one more note
    // at that moment does not. Two beats at 120 a minute last a second.
    Bytes chords;
    for (int i = 0; i < 65; ++i)
        chords.insert(chords.end(), {0x00, std::uint8_t(0x90 | i % 16), std::uint8_t(i), 0x40});
    const Bytes tooMany = File(With(chords));
    EXPECT_EQ(CheckMidi(tooMany.data(), tooMany.size()).verdict, MidiVerdict::TooCostly);
    chords.resize(chords.size() - 4);
    chords.insert(chords.end(), {0x87, 0x40, 0x80, 0, 0});
    const Bytes played = File(With(chords));
    const MidiCheckResult result = CheckMidi(played.data(), played.size());
    EXPECT_EQ(result.verdict, MidiVerdict::Playable) << result.excess;
    EXPECT_DOUBLE_EQ(result.lengthMicros, 1e6);
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

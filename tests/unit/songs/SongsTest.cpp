#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "MidiReader.h"

namespace driftmere::test {
namespace {

const std::vector<std::string> kSongs = {"Tranquil.mid", "Ambiant.mid",    "colrkymt.mid",
                                         "pcanon.mid",   "dream.mid",      "travels.mid",
                                         "orfeo.mid",    "OrinocoFlow.mid"};

// The data folder named by the environment, else the one this build writes the songs into.
std::filesystem::path DataFolder() {
    const char* dir = std::getenv("DRIFTMERE_DATA_DIR");
    if (dir && *dir) return dir;
#ifdef DRIFTMERE_SONG_FOLDER
    return DRIFTMERE_SONG_FOLDER;
#else
    return "";
#endif
}

// Every song that parses, by file name; the first song test says which ones do not.
std::map<std::string, MidiFile> Songs() {
    std::map<std::string, MidiFile> songs;
    for (const auto& name : kSongs) {
        MidiFile file;
        std::string error;
        if (ParseMidi(ReadBytes(DataFolder() / name), file, error)) songs[name] = std::move(file);
    }
    return songs;
}

// --- The reader itself, on hand-made files, so the song checks below can be trusted. ---

std::vector<std::uint8_t> OneTrackFile(const std::vector<std::uint8_t>& body) {
    std::vector<std::uint8_t> bytes = {
        'M', 'T',  'h',  'd', 0,   0,   0,   6, 0, 1, 0,
        1,   0x01, 0xE0, 'M', 'T', 'r', 'k', 0, 0, 0, static_cast<std::uint8_t>(body.size())};
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

TEST(MidiReader, HonoursRunningStatusAndEveryTempoChange) {
    // 480 ticks a quarter: a quarter at 120 bpm (0.5 s), a tempo change to 60 bpm, two quarters
    // (2 s); the note-off and second note use running status.
    const auto bytes = OneTrackFile({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,  // 500000 us
                                     0x00, 0x90, 60,   80,                      // note on
                                     0x83, 0x60, 60,   0,                       // +480, off
                                     0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40,  // 1000000 us
                                     0x00, 0x90, 62,   70,                      // status again
                                     0x87, 0x40, 62,   0,                       // +960, off
                                     0x00, 0xFF, 0x2F, 0x00});
    MidiFile file;
    std::string error;
    ASSERT_TRUE(ParseMidi(bytes, file, error)) << error;
    ASSERT_EQ(file.tracks.size(), 1u);
    const auto& events = file.tracks[0];
    ASSERT_EQ(events.size(), 7u);
    EXPECT_TRUE(events[2].IsNoteOff());
    EXPECT_EQ(events[2].data1, 60);
    EXPECT_EQ(events[4].status, 0x90);
    EXPECT_EQ(events[5].tick, 1440u);
    EXPECT_DOUBLE_EQ(file.Seconds(file.EndTick()), 2.5);
}

TEST(MidiReader, RejectsBrokenStructure) {
    const std::vector<std::uint8_t> end = {0x00, 0xFF, 0x2F, 0x00};
    auto truncated = OneTrackFile(end);
    truncated.pop_back();  // a chunk length past the end of the file
    auto missing = OneTrackFile(end);
    missing[11] = 2;  // a header that announces more tracks than there are
    const std::vector<std::uint8_t> broken[] = {
        OneTrackFile({0x00, 0x90, 60, 80, 0x10, 0x80, 60, 0}),       // no end of track
        OneTrackFile({0x00, 60, 80, 0x00, 0xFF, 0x2F, 0x00}),        // data before any status
        OneTrackFile({0x00, 0xFF, 0x2F, 0x00, 0x00, 0x90, 60, 80}),  // events after the end
        truncated, missing};
    for (const auto& bytes : broken) {
        MidiFile file;
        std::string error;
        EXPECT_FALSE(ParseMidi(bytes, file, error)) << &bytes - broken;
    }
}

// --- The shipped songs. ---

TEST(Songs, AllEightAreFormatOneFilesOfNinetySecondsToThreeMinutesInTheirOwnKeyOrTempo) {
    ASSERT_FALSE(DataFolder().empty()) << "no data folder: DRIFTMERE_DATA_DIR is not set";
    std::set<std::pair<std::vector<std::uint8_t>, std::uint32_t>> keysAndTempos;
    for (const auto& name : kSongs) {
        SCOPED_TRACE(name);
        MidiFile file;
        std::string error;
        ASSERT_TRUE(ParseMidi(ReadBytes(DataFolder() / name), file, error)) << error;
        EXPECT_EQ(file.format, 1);
        EXPECT_GE(file.tracks.size(), 3u);
        EXPECT_GE(file.Seconds(file.EndTick()), 90.0);
        EXPECT_LE(file.Seconds(file.EndTick()), 180.0);
        std::vector<std::uint8_t> key;
        for (const auto& e : file.tracks[0])
            if (e.IsMeta(0x59)) key = e.meta;
        EXPECT_FALSE(key.empty()) << "no key signature";
        ASSERT_FALSE(file.TempoMap().empty());
        EXPECT_TRUE(keysAndTempos.insert({key, file.TempoMap().front().second}).second)
            << "shares its key and tempo with another song";
    }
}

// Every note-on meets its own note-off, and the song ends slowing onto a chord that is held.
TEST(Songs, EveryNoteEndsAndEachSongEndsSlowingOntoAHeldChord) {
    for (const auto& [name, file] : Songs()) {
        SCOPED_TRACE(name);
        struct Note {
            std::uint32_t on, off;
            int channel, key;
        };
        std::vector<Note> notes;
        for (std::size_t t = 0; t < file.tracks.size(); ++t) {
            // A key struck again while it still sounds would leave one note-on unmatched.
            std::map<std::pair<int, int>, std::uint32_t> sounding;
            for (const auto& e : file.tracks[t]) {
                const std::pair<int, int> key{e.Channel(), e.data1};
                if (e.IsNoteOn()) {
                    EXPECT_TRUE(sounding.emplace(key, e.tick).second)
                        << "track " << t << ": key " << int(e.data1) << " struck twice at tick "
                        << e.tick;
                } else if (e.IsNoteOff()) {
                    const auto on = sounding.find(key);
                    EXPECT_NE(on, sounding.end()) << "track " << t << ": note-off without a note";
                    if (on == sounding.end()) continue;
                    notes.push_back({on->second, e.tick, key.first, key.second});
                    sounding.erase(on);
                }
            }
            EXPECT_TRUE(sounding.empty()) << "track " << t << " leaves notes sounding";
        }
        EXPECT_GT(notes.size(), 100u) << "too short to be a song";

        std::uint32_t lastOn = 0, lastOff = 0;
        for (const Note& n : notes)
            lastOn = std::max(lastOn, n.on), lastOff = std::max(lastOff, n.off);
        // The last chord: every note still sounding a moment after the last note is struck.
        std::set<int> pitches;
        for (const Note& n : notes)
            if (n.off > lastOn && n.on + file.ticksPerQuarter * 4 >= lastOn && n.channel != 9)
                pitches.insert(n.key % 12);
        EXPECT_GE(pitches.size(), 3u) << "does not end on a chord";
        EXPECT_GE(file.Seconds(lastOff) - file.Seconds(lastOn), 2.0) << "final chord not held";
        EXPECT_GE(file.EndTick(), lastOff);
        // A larger number of microseconds a quarter is a slower tempo.
        const auto tempos = file.TempoMap();
        ASSERT_FALSE(tempos.empty());
        EXPECT_GT(tempos.back().second, tempos.front().second) << "no ritardando";
    }
}

TEST(Songs, EachSetsUpEveryChannelBeforeItPlaysAndUsesSeveralInstruments) {
    for (const auto& [name, file] : Songs()) {
        SCOPED_TRACE(name);
        std::set<int> programs;
        for (const auto& track : file.tracks) {
            // What each channel has been given before its first note: program (-1), volume,
            // pan, expression and reverb.
            std::map<int, std::set<int>> setUp;
            std::set<int> started;
            for (const auto& e : track) {
                if (e.Kind() == 0xC0) {
                    setUp[e.Channel()].insert(-1);
                    if (e.Channel() != 9) programs.insert(e.data1);
                } else if (e.Kind() == 0xB0) {
                    setUp[e.Channel()].insert(e.data1);
                } else if (e.IsNoteOn() && started.insert(e.Channel()).second) {
                    for (int needed : {-1, 7, 10, 11, 91})
                        EXPECT_TRUE(setUp[e.Channel()].count(needed))
                            << "channel " << e.Channel() + 1 << " plays before setting " << needed;
                }
                // The percussion channel only ever carries a soft shaker.
                if (e.IsNoteOn() && e.Channel() == 9) {
                    EXPECT_TRUE(e.data1 == 82 && e.data2 <= 64);
                }
            }
        }
        EXPECT_GE(programs.size(), 3u);
    }
}

#ifdef DRIFTMERE_SONG_GENERATOR
TEST(SongGenerator, WritesTheSameBytesOnEveryRun) {
    const auto base =
        std::filesystem::temp_directory_path() / ("driftmere-songs-" + std::to_string(::getpid()));
    std::filesystem::remove_all(base);
    for (const char* run : {"a", "b"}) {
        const std::string command =
            std::string("\"") + DRIFTMERE_SONG_GENERATOR + "\" \"" + (base / run).string() + "\"";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    for (const auto& name : kSongs) {
        const auto a = ReadBytes(base / "a" / name);
        EXPECT_FALSE(a.empty()) << name;
        EXPECT_EQ(a, ReadBytes(base / "b" / name)) << name << " differs between two runs";
        EXPECT_EQ(a, ReadBytes(DataFolder() / name)) << name << " differs from the built one";
    }
    std::filesystem::remove_all(base);
}
#endif

}  // namespace
}  // namespace driftmere::test

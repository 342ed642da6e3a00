// The songs checked where they are made: each composed here, looked at event by event in the
// order the file holds them, and compared byte for byte with the file the build ships.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "Songs.h"
#include "music/MidiCheck.h"

namespace driftmere::songs {
namespace {

// The eight songs, composed once for all the tests.
const std::vector<std::pair<std::string, Composed>>& Playlist() {
    static const auto songs = [] {
        std::vector<std::pair<std::string, Composed>> all;
        for (const auto& entry : kPlaylist) {
            all.emplace_back(entry.file, entry.compose());
        }
        return all;
    }();
    return songs;
}

struct Sounding {
    std::uint32_t on, off;
    int channel, key;
};

// Pairs each note-on of a track with the note-off that ends it. A key struck again while it
// sounds, a note-off with no note, or a note still sounding at the end of track is a fault.
std::vector<Sounding> Notes(const std::vector<SmfEvent>& track) {
    std::vector<Sounding> notes;
    std::map<std::pair<int, int>, std::uint32_t> sounding;  // (channel, key) -> struck at
    for (const auto& e : track) {
        const int kind = e.bytes[0] & 0xF0;
        if (kind != 0x80 && kind != 0x90) continue;
        const std::pair<int, int> key{e.bytes[0] & 0x0F, e.bytes[1]};
        if (kind == 0x90 && e.bytes[2] > 0) {
            EXPECT_TRUE(sounding.emplace(key, e.tick).second)
                << "key " << key.second << " struck again while it sounds, tick " << e.tick;
        } else if (const auto on = sounding.find(key); on != sounding.end()) {
            notes.push_back({on->second, e.tick, key.first, key.second});
            sounding.erase(on);
        } else {
            ADD_FAILURE() << "note-off without a note, tick " << e.tick;
        }
    }
    EXPECT_TRUE(sounding.empty()) << sounding.size() << " notes never end";
    return notes;
}

// Notes cut by a later strike of their key, notes of one key struck together, events of
// several kinds at one tick and a meta event between channel events: each written where and
// as the file format wants it.
TEST(SmfWriter, PairsEveryNoteAndPutsSetUpFirstAtATick) {
    SmfFile file;
    auto& track = file.AddTrack("p");
    track.Note(0, 480, 0, 60, 90);  // cut at 240, where the key is struck again
    track.Note(240, 720, 0, 60, 80);
    track.Note(200, 300, 0, 64, 50);  // struck together with the next: only the later sounds
    track.Note(200, 400, 0, 64, 70);
    track.Program(0, 0, 5);  // added after the notes, yet written before them
    track.Control(0, 0, 7, 100);
    track.Tempo(240, 1000000);
    const std::vector<std::vector<std::uint8_t>> rows = {
        {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 1, 0x01, 0xE0},  // format 1, one track, 480
        {'M', 'T', 'r', 'k', 0, 0, 0, 47},
        {0x00, 0xFF, 0x03, 1, 'p'},                               // the track's name
        {0x00, 0xC0, 5, 0x00, 0xB0, 7, 100, 0x00, 0x90, 60, 90},  // set-up, then the note
        {0x81, 0x48, 64, 70},                                     // 200, in running status
        {0x28, 60, 0},                                            // 240: the cut note ends
        {0x00, 0xFF, 0x51, 3, 0x0F, 0x42, 0x40},                  // the tempo
        {0x00, 0x90, 60, 80},                                     // status again after it
        {0x81, 0x20, 64, 0, 0x82, 0x40, 60, 0},                   // 400, 720
        {0x82, 0x18, 0xFF, 0x2F, 0x00}};                          // end of track at 1000
    std::vector<std::uint8_t> expected;
    for (const auto& row : rows) {
        expected.insert(expected.end(), row.begin(), row.end());
    }
    EXPECT_EQ(EncodeSmf(480, file.Events(1000)), expected);
}

TEST(Songs, PlayNinetySecondsToThreeMinutesEachInAKeyAndTempoOfItsOwn) {
    std::set<std::tuple<int, bool, double>> keysAndTempos;
    for (const auto& [name, song] : Playlist()) {
        SCOPED_TRACE(name);
        EXPECT_GE(song.Seconds(), 90.0);
        EXPECT_LE(song.Seconds(), 180.0);
        EXPECT_TRUE(
            keysAndTempos.emplace(song.key.tonic, song.key.minor, song.tempo.BpmAt(0)).second)
            << "shares its key and tempo with another song";
    }
}

TEST(Songs, EveryNoteEndsAndEachSongSlowsOntoAHeldChord) {
    for (const auto& [name, song] : Playlist()) {
        SCOPED_TRACE(name);
        std::vector<Sounding> notes;
        for (const auto& track : song.tracks) {
            const auto some = Notes(track);
            notes.insert(notes.end(), some.begin(), some.end());
        }
        ASSERT_GT(notes.size(), 100u) << "too few notes to be a song";
        std::uint32_t lastOn = 0, lastOff = 0;
        for (const auto& n : notes) {
            lastOn = std::max(lastOn, n.on);
            lastOff = std::max(lastOff, n.off);
        }
        // The last chord: every pitch still sounding after the last note is struck, of the notes
        // struck in the bar before it.
        std::set<int> pitches;
        for (const auto& n : notes) {
            if (n.off > lastOn && n.on + 4 * song.ticksPerQuarter >= lastOn && n.channel != 9) {
                pitches.insert(n.key % 12);
            }
        }
        EXPECT_GE(pitches.size(), 3u) << "does not end on a chord";
        EXPECT_GE(song.SecondsAt(lastOff) - song.SecondsAt(lastOn), 2.0) << "last chord not held";
        EXPECT_LT(song.tempo.BpmAt(1e9), song.tempo.BpmAt(0)) << "does not slow at the end";
    }
}

// The player keeps one synthesiser from song to song, so a channel that plays before its
// program and levels are set sounds with whatever the song before left there.
TEST(Songs, SetEveryChannelUpBeforeItPlays) {
    for (const auto& [name, song] : Playlist()) {
        SCOPED_TRACE(name);
        std::set<int> programs;
        for (const auto& track : song.tracks) {
            std::map<int, std::set<int>> setUp;  // channel -> controllers set, -1 for program
            std::set<int> playing;
            for (const auto& e : track) {
                const int kind = e.bytes[0] & 0xF0, channel = e.bytes[0] & 0x0F;
                if (kind == 0xC0) {
                    setUp[channel].insert(-1);
                    programs.insert(channel == 9 ? -1 : e.bytes[1]);
                } else if (kind == 0xB0) {
                    setUp[channel].insert(e.bytes[1]);
                } else if (kind == 0x90 && e.bytes[2] > 0) {
                    if (playing.insert(channel).second) {
                        for (int needed : {-1, 7, 10, 11, 91}) {
                            EXPECT_TRUE(setUp[channel].count(needed))
                                << "channel " << channel + 1 << " plays before setting " << needed;
                        }
                    }
                    // The percussion channel only ever carries a soft shaker.
                    if (channel == 9) {
                        EXPECT_TRUE(e.bytes[1] == 82 && e.bytes[2] <= 64);
                    }
                }
            }
        }
        programs.erase(-1);
        EXPECT_GE(programs.size(), 3u) << "fewer than three instruments";
    }
}

// The data folder named by the environment, else the one this build writes the songs into.
std::filesystem::path DataFolder() {
    const char* dir = std::getenv("DRIFTMERE_DATA_DIR");
    return dir && *dir ? dir : DRIFTMERE_SONG_FOLDER;
}

// The build wrote the songs in a run of the generator of its own: the same bytes every run,
// each a file the player accepts.
TEST(Songs, AreTheBytesTheBuildShipsAndFilesThePlayerAccepts) {
    for (const auto& [name, song] : Playlist()) {
        SCOPED_TRACE(name);
        const auto bytes = song.Bytes();
        EXPECT_TRUE(IsWellFormedMidi(bytes.data(), bytes.size()));
        std::ifstream in(DataFolder() / name, std::ios::binary);
        const std::vector<std::uint8_t> shipped{std::istreambuf_iterator<char>(in), {}};
        EXPECT_TRUE(bytes == shipped) << "differs from " << DataFolder() / name;
    }
}

}  // namespace
}  // namespace driftmere::songs

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

struct Sounding {
    std::uint32_t on, off;
    int channel, key;
};

// Pairs each note-on with its note-off and gathers the programs. A key struck again while it
// sounds, a note-off with no note, a note sounding at the end, or a channel playing before its
// program and levels are set (it would sound with what the last song left in the synthesiser) is a
// fault.
void Scan(const std::vector<SmfEvent>& track, std::vector<Sounding>& notes,
          std::set<int>& programs) {
    std::map<std::pair<int, int>, std::uint32_t> sounding;  // (channel, key) -> struck at
    std::map<int, std::set<int>> setUp;  // channel -> controllers set, -1 for program
    for (const auto& e : track) {
        const int kind = e.bytes[0] & 0xF0, channel = e.bytes[0] & 0x0F;
        const std::pair<int, int> key{channel, e.bytes[1]};
        if (kind == 0xC0) {
            setUp[channel].insert(-1);
            if (channel != 9) programs.insert(e.bytes[1]);
        } else if (kind == 0xB0) {
            setUp[channel].insert(e.bytes[1]);
        } else if (kind == 0x90 && e.bytes[2] > 0) {
            for (int needed : {-1, 7, 10, 11, 91})
                EXPECT_TRUE(setUp[channel].count(needed))
                    << "channel " << channel + 1 << " plays before setting " << needed;
            // The percussion channel only ever carries a soft shaker.
            EXPECT_TRUE(channel != 9 || (e.bytes[1] == 82 && e.bytes[2] <= 64));
            EXPECT_TRUE(sounding.emplace(key, e.tick).second)
                << "key " << key.second << " struck again while it sounds, tick " << e.tick;
        } else if (kind != 0x80 && kind != 0x90) {
            continue;
        } else if (const auto on = sounding.find(key); on != sounding.end()) {
            notes.push_back({on->second, e.tick, key.first, key.second});
            sounding.erase(on);
        } else {
            ADD_FAILURE() << "note-off without a note, tick " << e.tick;
        }
    }
    EXPECT_TRUE(sounding.empty()) << sounding.size() << " notes never end";
}

// Notes cut by a later strike of their key, one key struck twice at once, several kinds of event at
// one tick and a meta event between channel events: each written where the file format wants it.
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
    const std::string expected(
        "MThd\0\0\0\6\0\1\0\1\1\xE0MTrk\0\0\0\x2F"  // format 1, one track, 480 a beat
        "\0\xFF\3\1p"                               // the track's name
        "\0\xC0\5\0\xB0\7\x64\0\x90\x3C\x5A"        // set-up, then the note
        "\x81\x48\x40\x46"                          // 200, in running status
        "\x28\x3C\0"                                // 240: the cut note ends
        "\0\xFF\x51\3\x0F\x42\x40"                  // the tempo
        "\0\x90\x3C\x50"                            // status again after it
        "\x81\x20\x40\0\x82\x40\x3C\0"              // 400, 720
        "\x82\x18\xFF\x2F\0",                       // end of track at 1000
        69);
    const auto bytes = EncodeSmf(480, file.Events(1000));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected);
}

// Each song lasts 90 s to 3 min in a key and tempo of its own, has three instruments at least and
// slows onto a held chord. The build wrote the songs in a run of the generator of its own: the
// same bytes every run, each a file the player accepts at a fraction of what a song may cost.
TEST(Songs, EndOnAHeldChordSetEveryChannelUpAndAreTheBytesTheBuildShips) {
    const char* env = std::getenv("DRIFTMERE_DATA_DIR");
    const std::filesystem::path data = env && *env ? env : DRIFTMERE_SONG_FOLDER;
    std::set<std::tuple<int, bool, double>> keysAndTempos;
    for (const auto& entry : kPlaylist) {
        SCOPED_TRACE(entry.file);
        const Composed song = entry.compose();
        EXPECT_TRUE(song.Seconds() >= 90 && song.Seconds() <= 180) << song.Seconds();
        EXPECT_TRUE(
            keysAndTempos.emplace(song.key.tonic, song.key.minor, song.tempo.BpmAt(0)).second)
            << "shares its key and tempo with another song";

        std::vector<Sounding> notes;
        std::set<int> programs;
        for (const auto& track : song.tracks) Scan(track, notes, programs);
        EXPECT_GE(programs.size(), 3u) << "fewer than three instruments";
        ASSERT_GT(notes.size(), 100u) << "too few notes to be a song";
        std::uint32_t lastOn = 0, lastOff = 0;
        for (const auto& n : notes)
            lastOn = std::max(lastOn, n.on), lastOff = std::max(lastOff, n.off);
        // The last chord: pitches sounding after the last strike, struck in the bar before it.
        std::set<int> pitches;
        for (const auto& n : notes)
            if (n.off > lastOn && n.on + 4 * song.ticksPerQuarter >= lastOn && n.channel != 9)
                pitches.insert(n.key % 12);
        EXPECT_GE(pitches.size(), 3u) << "does not end on a chord";
        EXPECT_GE(song.SecondsAt(lastOff) - song.SecondsAt(lastOn), 2.0) << "last chord not held";
        EXPECT_LT(song.tempo.BpmAt(1e9), song.tempo.BpmAt(0)) << "does not slow at the end";

        const auto bytes = song.Bytes();
        // Well within what a song may cost: it would play under a quarter of each limit.
        constexpr SongLimits kQuarter{.events = SongLimits{}.events / 4,
                                      .notesAtOnce = SongLimits{}.notesAtOnce / 4,
                                      .notesSounding = SongLimits{}.notesSounding / 4};
        const MidiCheckResult check = CheckMidi(bytes.data(), bytes.size(), kQuarter);
        EXPECT_EQ(check.verdict, MidiVerdict::Playable) << check.excess;
        std::ifstream in(data / entry.file, std::ios::binary);
        const std::vector<std::uint8_t> shipped{std::istreambuf_iterator<char>(in), {}};
        EXPECT_TRUE(bytes == shipped) << "differs from " << data / entry.file;
    }
}

}  // namespace
}  // namespace driftmere::songs

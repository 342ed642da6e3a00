#pragma once
// A song under construction: its parts (one instrument on one channel each), a tempo map and a
// seeded generator that humanises timing and velocity. Positions are in quarter-note beats.
#include <cstdint>
#include <string>
#include <vector>

#include "Harmony.h"
#include "Rng.h"
#include "Smf.h"
#include "TempoMap.h"

namespace driftmere::songs {

// General MIDI programs the songs use (numbered from 0).
namespace gm {
inline constexpr int kPiano = 0, kBrightPiano = 1, kElectricPiano = 4, kCelesta = 8,
                     kGlockenspiel = 9, kMusicBox = 10, kVibraphone = 11, kMarimba = 12,
                     kNylonGuitar = 24, kSteelGuitar = 25, kAcousticBass = 32, kFingerBass = 33,
                     kFretlessBass = 35, kViolin = 40, kViola = 41, kCello = 42, kContrabass = 43,
                     kTremoloStrings = 44, kPizzicato = 45, kHarp = 46, kStrings = 48,
                     kSlowStrings = 49, kSynthStrings = 50, kChoir = 52, kVoiceOohs = 53,
                     kSynthVoice = 54, kFrenchHorn = 60, kOboe = 68, kClarinet = 71, kFlute = 73,
                     kRecorder = 74, kPanFlute = 75, kNewAgePad = 88, kWarmPad = 89,
                     kPolysynthPad = 90, kChoirPad = 91, kBowedPad = 92, kHaloPad = 94,
                     kSweepPad = 95;
}  // namespace gm

struct PartSetup {
    std::string name;
    int channel;
    int program;
    int volume = 100;       // CC7 before the song's level is applied
    int pan = 64;           // CC10
    int reverb = 60;        // CC91
    int chorus = 0;         // CC93
    int expression = 100;   // CC11 at the start
    double timing = 0.015;  // the largest humanising shift of a note, in beats
    int velocity = 4;       // the largest humanising change of velocity
};

// A finished song: its file's tracks event by event, in the order they are written, with the
// key and the tempo map it was made in.
struct Composed {
    Key key;
    TempoMap tempo;
    int ticksPerQuarter;
    std::vector<std::vector<SmfEvent>> tracks;

    // The Standard MIDI File.
    std::vector<std::uint8_t> Bytes() const { return EncodeSmf(ticksPerQuarter, tracks); }
    // Seconds from the start to `tick`.
    double SecondsAt(std::uint32_t tick) const {
        return tempo.Seconds(static_cast<double>(tick) / ticksPerQuarter);
    }
    // How long it plays: to its end of track.
    double Seconds() const;
};

class Song {
  public:
    Song(std::string title, std::uint64_t seed, const Key& key, double bpm, int beatsPerBar,
         int beatUnit = 4);
    Song(const Song&) = delete;  // it points into its own file's tracks
    Song& operator=(const Song&) = delete;

    int Part(const PartSetup& setup);  // returns the part's number

    // One note, humanised. Velocity is clamped to 1..127.
    void Note(int part, double beat, double beats, int pitch, int velocity);
    // A line of notes shaped as a phrase: velocity rises from `base` by up to `rise` towards the
    // line's middle and its high notes, and falls away at its end.
    void Line(int part, const std::vector<Tone>& tones, int base, int rise, double legato = 0.95);
    // A chord, its notes spread upwards over `roll` beats (0: struck together).
    void Block(int part, double beat, double beats, const std::vector<int>& pitches, int velocity,
               double roll = 0);

    void Expression(int part, double beat, int value);
    // CC11 from `from` up to `peak` at `peakAt` (0..1 of the way) and down to `to`.
    void Swell(int part, double beat, double beats, int from, int peak, int to,
               double peakAt = 0.5);
    void Pedal(int part, double beat, bool down);

    void Tempo(double beat, double bpm);
    // Slows (or quickens) evenly from the tempo at `beat` to `toBpm` over `beats`.
    void Ritardando(double beat, double beats, double toBpm);

    // Scales every part's CC7 and every note's velocity, so the songs sound equally loud side by
    // side. Set it before the parts are made.
    void SetLevel(double volume, double velocity) {
        level_ = volume;
        velocityLevel_ = velocity;
    }
    Rng& Random() { return rng_; }
    const Key& GetKey() const { return key_; }

    // The song as it is written. It ends after its last event or at `endBeat`, whichever is
    // later.
    Composed Finish(double endBeat) const;

  private:
    std::uint32_t Tick(double beat) const;

    static constexpr int kTicksPerQuarter = 480;
    Key key_;
    Rng rng_;
    double level_ = 1.0;
    double velocityLevel_ = 1.0;
    TempoMap tempo_;
    std::vector<PartSetup> parts_;
    SmfFile file_;
    std::vector<SmfTrack*> tracks_;
    SmfTrack* conductor_;
};

}  // namespace driftmere::songs

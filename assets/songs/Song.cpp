#include "Song.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace driftmere::songs {

Song::Song(std::string title, std::uint64_t seed, const Key& key, double bpm, int beatsPerBar,
           int beatUnit)
    : key_(key), rng_(seed) {
    conductor_ = &file_.AddTrack(std::move(title));
    conductor_->TimeSignature(0, beatsPerBar, beatUnit);
    conductor_->KeySignature(0, key_.Signature(), key_.minor);
    Tempo(0, bpm);
}

std::uint32_t Song::Tick(double beat) const {
    return static_cast<std::uint32_t>(std::lround(std::max(0.0, beat) * kTicksPerQuarter));
}

int Song::Part(const PartSetup& setup) {
    // Channel 10 is the percussion kit; no melodic part may land there by mistake.
    if (setup.channel == 9 && setup.program != 0) {
        throw std::invalid_argument("a percussion part takes program 0");
    }
    // Two parts on one channel would both sound with whichever program came last.
    for (const auto& other : parts_) {
        if (other.channel == setup.channel) {
            throw std::invalid_argument("two parts on channel " + std::to_string(setup.channel));
        }
    }
    parts_.push_back(setup);
    auto& track = file_.AddTrack(setup.name);
    tracks_.push_back(&track);
    // Every setting is made afresh: the player keeps one synthesiser from song to song. These
    // come before anything else the part writes at tick 0.
    const int ch = setup.channel;
    const int volume = std::clamp(static_cast<int>(std::lround(setup.volume * level_)), 1, 127);
    track.Control(0, ch, 121, 0);  // reset all controllers
    track.Program(0, ch, setup.program);
    track.Control(0, ch, 7, volume);
    track.Control(0, ch, 10, setup.pan);
    track.Control(0, ch, 91, setup.reverb);
    track.Control(0, ch, 93, setup.chorus);
    track.Control(0, ch, 11, setup.expression);
    track.Control(0, ch, 64, 0);
    return static_cast<int>(parts_.size()) - 1;
}

void Song::Note(int part, double beat, double beats, int pitch, int velocity) {
    const auto& setup = parts_.at(part);
    const double shift = setup.timing > 0 ? rng_.Between(-setup.timing, setup.timing) : 0.0;
    const double start = beat + shift;
    const double end = beat + beats + shift * 0.5;
    const int scaled = static_cast<int>(std::lround(velocity * velocityLevel_));
    const int vel = std::clamp(scaled + rng_.Between(-setup.velocity, setup.velocity), 1, 127);
    tracks_[part]->Note(Tick(start), Tick(end), setup.channel, pitch, vel);
}

void Song::Line(int part, const std::vector<Tone>& tones, int base, int rise, double legato) {
    if (tones.empty()) {
        return;
    }
    const double first = tones.front().beat;
    const double last = tones.back().beat + tones.back().beats;
    int low = tones.front().pitch, high = tones.front().pitch;
    for (const auto& t : tones) {
        low = std::min(low, t.pitch);
        high = std::max(high, t.pitch);
    }
    for (const auto& t : tones) {
        const double where = (t.beat - first) / std::max(1e-9, last - first);
        const double arc = std::sin(3.14159265358979 * std::clamp(where * 1.1, 0.0, 1.0));
        const double height = high > low ? double(t.pitch - low) / (high - low) : 0.5;
        const int velocity =
            static_cast<int>(std::lround(base + rise * (0.6 * arc + 0.4 * height)));
        Note(part, t.beat, t.beats * legato, t.pitch, velocity);
    }
}

void Song::Block(int part, double beat, double beats, const std::vector<int>& pitches, int velocity,
                 double roll) {
    const double step = pitches.size() > 1 ? roll / (pitches.size() - 1) : 0;
    for (std::size_t i = 0; i < pitches.size(); ++i) {
        Note(part, beat + step * i, beats - step * i, pitches[i], velocity);
    }
}

void Song::Expression(int part, double beat, int value) {
    tracks_[part]->Control(Tick(beat), parts_[part].channel, 11, std::clamp(value, 0, 127));
}

void Song::Swell(int part, double beat, double beats, int from, int peak, int to, double peakAt) {
    // A step every half beat is smooth to the ear and keeps the files small.
    const int steps = std::max(2, static_cast<int>(beats * 2));
    int last = -1;
    for (int i = 0; i <= steps; ++i) {
        const double where = double(i) / steps;
        double value;
        if (where <= peakAt) {
            const double t = peakAt > 0 ? where / peakAt : 1.0;
            value = from + (peak - from) * std::sin(t * 1.5707963267949);
        } else {
            const double t = (where - peakAt) / (1.0 - peakAt);
            value = peak + (to - peak) * (1.0 - std::cos(t * 1.5707963267949));
        }
        const int v = static_cast<int>(std::lround(value));
        if (v != last) {
            Expression(part, beat + beats * where, v);
            last = v;
        }
    }
}

void Song::Pedal(int part, double beat, bool down) {
    tracks_[part]->Control(Tick(beat), parts_[part].channel, 64, down ? 127 : 0);
}

void Song::Tempo(double beat, double bpm) {
    tempo_.Set(beat, bpm);
    conductor_->Tempo(Tick(beat), static_cast<std::uint32_t>(std::lround(60000000.0 / bpm)));
}

void Song::Ritardando(double beat, double beats, double toBpm) {
    const double from = tempo_.BpmAt(beat);
    // A change every half beat: gradual enough that no step is heard.
    const int steps = std::max(1, static_cast<int>(beats * 2));
    for (int i = 1; i <= steps; ++i) {
        Tempo(beat + beats * (i - 1) / steps, from + (toBpm - from) * i / steps);
    }
}

Composed Song::Finish(double endBeat) const {
    return Composed{key_, tempo_, kTicksPerQuarter, file_.Events(Tick(endBeat))};
}

double Composed::Seconds() const {
    std::uint32_t end = 0;
    for (const auto& track : tracks) {
        end = std::max(end, track.empty() ? 0 : track.back().tick);
    }
    return SecondsAt(end);
}

}  // namespace driftmere::songs

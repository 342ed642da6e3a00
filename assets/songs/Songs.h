#pragma once
// The eight songs of the playlist, each composed by its own function.
#include <cstdint>
#include <vector>

namespace driftmere::songs {

struct Composed {
    std::vector<std::uint8_t> bytes;  // the Standard MIDI File
    double seconds;                   // how long it plays, from its tempo map
};

Composed ComposeTranquil();
Composed ComposeAmbiant();
Composed ComposeRockyMountain();
Composed ComposeCanon();
Composed ComposeDream();
Composed ComposeTravels();
Composed ComposeOrfeo();
Composed ComposeRiverFlow();

}  // namespace driftmere::songs

#pragma once
// The eight songs of the playlist, each composed by its own function.
#include "Song.h"

namespace driftmere::songs {

Composed ComposeTranquil();
Composed ComposeAmbiant();
Composed ComposeRockyMountain();
Composed ComposeCanon();
Composed ComposeDream();
Composed ComposeTravels();
Composed ComposeOrfeo();
Composed ComposeRiverFlow();

struct PlaylistEntry {
    const char* file;
    Composed (*compose)();
};

// The songs in playlist order, with the file each is written to.
inline constexpr PlaylistEntry kPlaylist[] = {
    {"Tranquil.mid", ComposeTranquil},
    {"Ambiant.mid", ComposeAmbiant},
    {"colrkymt.mid", ComposeRockyMountain},
    {"pcanon.mid", ComposeCanon},
    {"dream.mid", ComposeDream},
    {"travels.mid", ComposeTravels},
    {"orfeo.mid", ComposeOrfeo},
    {"OrinocoFlow.mid", ComposeRiverFlow},
};

}  // namespace driftmere::songs

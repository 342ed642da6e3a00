#pragma once
// Which key was pressed, as the saver reads it, whatever the keyboard layout. The saver knows
// four letter keys for the music (N, P, Q, S) and ends on every other key, so a key must give
// its Latin letter's capital (N is 78) under a Cyrillic or Greek layout too, and no other key
// may ever give a letter's code.
#include <xkbcommon/xkbcommon.h>

#include <cstdint>

namespace driftmere {

// The Latin capital ('A'..'Z') the key gives in the state's active layout. Where that layout
// gives no Latin letter at this key, the first layout of the keymap that does; else the letter at
// this key's position on a US keyboard. 0 for a key that gives no letter in any of these.
char LatinLetterFor(xkb_state* state, xkb_keycode_t key);

// The code the saver reads for a key: a letter's capital (65..90) as above; printable ASCII and
// Latin-1 other than letters keep their code; every other key (function keys, arrows, Escape,
// the modifiers themselves) gives a code from 256 up.
std::int16_t SaverKeyCodeFor(xkb_state* state, xkb_keycode_t key);

}  // namespace driftmere

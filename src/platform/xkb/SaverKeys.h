#pragma once
// Which key was pressed, as the saver reads it, whatever the keyboard layout. The saver knows
// four letter keys for the music (N, P, Q, S) and ends on every other key, so a key must give
// its Latin letter's capital (N is 78) under a Cyrillic or Greek layout too, and no other key
// may ever give a letter's code.
//
// A layout that types Latin letters (US, German, French, Dvorak...) is taken at its word: under
// Dvorak the key where a US keyboard has Q types an apostrophe, so it is an apostrophe. A layout
// that types another script (Cyrillic, Greek, Hebrew...) sits on a keyboard whose keys are also
// printed with Latin letters, and those are the letters its keys give here.
#include <xkbcommon/xkbcommon.h>

#include <cstdint>

namespace driftmere {

// The Latin capital ('A'..'Z') the key gives in the state's active layout. Where that layout
// gives no Latin letter at this key and is not itself a Latin layout (one whose first level has
// most of the 26 letters), the key's letter in the first Latin layout of the keymap; where there
// is none, the letter at this key's position (its key name) on a US keyboard. 0 for a key that
// gives no letter in any of these.
char LatinLetterFor(xkb_state* state, xkb_keycode_t key);

// The code the saver reads for a key: a letter's capital (65..90) as above; printable ASCII and
// Latin-1 other than letters keep their code (Latin-1 letters as capitals); every other key
// (function keys, arrows, Escape, the modifiers themselves, letters of other scripts) gives a
// code from 256 up.
std::int16_t SaverKeyCodeFor(xkb_state* state, xkb_keycode_t key);

// Whether a layout of the keymap is a Latin one, as above.
bool IsLatinLayout(xkb_keymap* keymap, xkb_layout_index_t layout);

}  // namespace driftmere

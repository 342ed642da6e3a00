#pragma once
// How a key press becomes the 16-bit code the saver reads. The saver knows four letter keys for
// the music and ends on any other key, so what matters is that the letters A to Z give their
// capital's code (N is 78) whatever the shift or caps-lock state, and that no other key ever
// gives a letter's code.
#include <cstdint>

class QKeyEvent;

namespace driftmere {

// qtKey is a Qt::Key value. Letters give 65..90. Space, digits and punctuation below 'A' keep
// their character code (32..64), as do the keys from '[' up to the Latin-1 letters (91..255).
// Every other key, the function keys, arrows, Escape and the modifier keys themselves
// included, gives a code from 256 up: pressing Shift or Ctrl alone ends the saver like any other
// key, because the user who touches any key wants the screen back. A key Qt cannot name (0)
// gives 0.
std::int16_t KeyCodeFor(int qtKey);

// The Qt key the saver takes for a key press. On an X server a key gives the Qt key of the Latin
// letter the X keymap gives it under the rule of platform/xkb/SaverKeys.h (the physical N key is
// Key_N under a Cyrillic layout), and a key that gives no letter there never gives a letter's
// Qt key. Where there is no X keymap (another platform, or a press made up by a program with no
// keycode), the event's own key.
int SaverQtKeyFor(const QKeyEvent& event);

}  // namespace driftmere

#include "platform/xkb/SaverKeys.h"

namespace driftmere {

char LatinLetterFor(xkb_state* state, xkb_keycode_t key) {
    const xkb_keysym_t sym = xkb_keysym_to_upper(xkb_state_key_get_one_sym(state, key));
    if (sym >= XKB_KEY_A && sym <= XKB_KEY_Z) return static_cast<char>('A' + (sym - XKB_KEY_A));
    return 0;
}

std::int16_t SaverKeyCodeFor(xkb_state* state, xkb_keycode_t key) {
    if (const char letter = LatinLetterFor(state, key)) return letter;
    const xkb_keysym_t sym = xkb_state_key_get_one_sym(state, key);
    if (sym >= 0x20 && sym <= 0xff && !(sym >= 'a' && sym <= 'z') && !(sym >= 'A' && sym <= 'Z'))
        return static_cast<std::int16_t>(sym);
    constexpr std::uint32_t kFirst = 256;
    constexpr std::uint32_t kSpan = 32768 - kFirst;
    return static_cast<std::int16_t>(kFirst + sym % kSpan);
}

}  // namespace driftmere

#include "platform/xkb/SaverKeys.h"

#include <bitset>
#include <memory>

namespace driftmere {
namespace {

char LetterOf(xkb_keysym_t sym) {
    sym = xkb_keysym_to_upper(sym);
    if (sym >= XKB_KEY_A && sym <= XKB_KEY_Z) return static_cast<char>('A' + (sym - XKB_KEY_A));
    return 0;
}

// The letter the key types unshifted in `layout`, 0 when none.
char FirstLevelLetter(xkb_keymap* keymap, xkb_keycode_t key, xkb_layout_index_t layout) {
    if (layout >= xkb_keymap_num_layouts_for_key(keymap, key)) return 0;
    const xkb_keysym_t* syms = nullptr;
    if (xkb_keymap_key_get_syms_by_level(keymap, key, layout, 0, &syms) != 1) return 0;
    return LetterOf(syms[0]);
}

struct KeymapUnref {
    void operator()(xkb_keymap* keymap) const { xkb_keymap_unref(keymap); }
};

// A US keyboard, compiled once from the system's keyboard data; null where there is none.
xkb_keymap* UsKeymap() {
    static const std::unique_ptr<xkb_keymap, KeymapUnref> keymap = [] {
        xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
        if (context == nullptr) return std::unique_ptr<xkb_keymap, KeymapUnref>();
        const xkb_rule_names names{"evdev", "pc105", "us", "", ""};
        xkb_keymap* us = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
        xkb_context_unref(context);
        return std::unique_ptr<xkb_keymap, KeymapUnref>(us);
    }();
    return keymap.get();
}

// The letter at the same physical key on a US keyboard. Keys are matched by name (AB06 is the
// sixth key of the bottom letter row), so keymaps that number their keys otherwise agree.
char UsLetterAt(xkb_keymap* keymap, xkb_keycode_t key) {
    xkb_keymap* us = UsKeymap();
    const char* name = xkb_keymap_key_get_name(keymap, key);
    if (us == nullptr || name == nullptr) return 0;
    const xkb_keycode_t usKey = xkb_keymap_key_by_name(us, name);
    if (usKey == XKB_KEYCODE_INVALID) return 0;
    return FirstLevelLetter(us, usKey, 0);
}

}  // namespace

bool IsLatinLayout(xkb_keymap* keymap, xkb_layout_index_t layout) {
    // Keyboards have a few hundred keys; a keymap from a compositor that claims billions of
    // keycodes is not searched past the first few thousand.
    constexpr xkb_keycode_t kMostKeys = 4096;
    constexpr std::size_t kMostLetters = 13;
    std::bitset<26> letters;
    const xkb_keycode_t first = xkb_keymap_min_keycode(keymap);
    const xkb_keycode_t last = xkb_keymap_max_keycode(keymap);
    for (xkb_keycode_t key = first; key <= last && key - first < kMostKeys; ++key) {
        if (const char letter = FirstLevelLetter(keymap, key, layout)) letters.set(letter - 'A');
        if (letters.count() >= kMostLetters) return true;
    }
    return false;
}

char LatinLetterFor(xkb_state* state, xkb_keycode_t key) {
    if (const char letter = LetterOf(xkb_state_key_get_one_sym(state, key))) return letter;
    xkb_keymap* keymap = xkb_state_get_keymap(state);
    const xkb_layout_index_t active = xkb_state_key_get_layout(state, key);
    if (active == XKB_LAYOUT_INVALID || IsLatinLayout(keymap, active)) return 0;
    const xkb_layout_index_t layouts = xkb_keymap_num_layouts(keymap);
    for (xkb_layout_index_t layout = 0; layout < layouts; ++layout) {
        if (layout == active || !IsLatinLayout(keymap, layout)) continue;
        return FirstLevelLetter(keymap, key, layout);
    }
    return UsLetterAt(keymap, key);
}

std::int16_t SaverKeyCodeFor(xkb_state* state, xkb_keycode_t key) {
    if (const char letter = LatinLetterFor(state, key)) return letter;
    const xkb_keysym_t sym = xkb_keysym_to_upper(xkb_state_key_get_one_sym(state, key));
    // Keysyms 0x20..0xff are the ASCII and Latin-1 characters themselves; the letters among
    // them (65..90) were taken above, or are not typed by this key.
    if (sym >= 0x20 && sym <= 0xff && LetterOf(sym) == 0) return static_cast<std::int16_t>(sym);
    constexpr std::uint32_t kFirst = 256;
    constexpr std::uint32_t kSpan = 32768 - kFirst;
    return static_cast<std::int16_t>(kFirst + sym % kSpan);
}

}  // namespace driftmere

// The codes of the keys at the places of N, P, Q, S and 1 on a US keyboard (evdev keycodes),
// under keymaps compiled from the system's keyboard data as a compositor or X server would.
#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon.h>

#include <array>

#include "platform/xkb/SaverKeys.h"

TEST(SaverKeys, KeysAtTheMusicLettersUnderEachLayout) {
    constexpr std::array<xkb_keycode_t, 5> kKeys = {57, 33, 24, 39, 10};
    struct Row {
        const char* layout;
        const char* variant;
        xkb_layout_index_t active;
        std::array<int, 5> codes;
    };
    const Row rows[] = {
        {"us", "", 0, {'N', 'P', 'Q', 'S', '1'}},
        {"ru", "", 0, {'N', 'P', 'Q', 'S', '1'}},
        {"gr", "", 0, {'N', 'P', 'Q', 'S', '1'}},  // the key of Q types ';' under Greek
        {"de", "", 0, {'N', 'P', 'Q', 'S', '1'}},
        {"fr", "", 0, {'N', 'P', 'A', 'S', '&'}},
        {"us", "dvorak", 0, {'B', 'L', '\'', 'O', '1'}},
        {"us,ru", ",", 1, {'N', 'P', 'Q', 'S', '1'}},
        {"fr,ru", ",", 1, {'N', 'P', 'A', 'S', '1'}},  // the French letters, not the US ones
    };
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
    for (const Row& row : rows) {
        const xkb_rule_names names{"evdev", "pc105", row.layout, row.variant, ""};
        xkb_keymap* keymap =
            xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
        ASSERT_NE(keymap, nullptr) << row.layout;
        xkb_state* state = xkb_state_new(keymap);
        xkb_state_update_mask(state, 0, 0, 0, 0, 0, row.active);
        for (std::size_t i = 0; i < kKeys.size(); ++i)
            EXPECT_EQ(driftmere::SaverKeyCodeFor(state, kKeys[i]), row.codes[i])
                << row.layout << " " << i;
        xkb_state_unref(state);
        xkb_keymap_unref(keymap);
    }
    xkb_context_unref(context);
}

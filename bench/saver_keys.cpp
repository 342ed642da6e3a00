// What reading one key costs, under a Latin layout (the letter comes straight from the state)
// and under a Cyrillic one (the keymap is searched for its Latin layout, then the US keyboard).
#include <benchmark/benchmark.h>
#include <xkbcommon/xkbcommon.h>

#include "platform/xkb/SaverKeys.h"

namespace {

void KeyOfN(benchmark::State& run, const char* layout) {
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
    const xkb_rule_names names{"evdev", "pc105", layout, "", ""};
    xkb_keymap* keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    xkb_state* state = xkb_state_new(keymap);
    for (auto _ : run) benchmark::DoNotOptimize(driftmere::SaverKeyCodeFor(state, 57));
    xkb_state_unref(state);
    xkb_keymap_unref(keymap);
    xkb_context_unref(context);
}

BENCHMARK_CAPTURE(KeyOfN, us, "us");
BENCHMARK_CAPTURE(KeyOfN, ru, "ru");
BENCHMARK_CAPTURE(KeyOfN, ru_us, "ru,us");

}  // namespace

BENCHMARK_MAIN();

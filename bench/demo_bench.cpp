// Cost of a whole scene, drawn headless: every frame of it, fade included, with pacing
// on the virtual clock (no real sleep). items/s is frames per second of drawing; the show
// needs 50.
#include <benchmark/benchmark.h>

#include "demo/demo.h"

extern const uint32_t display_video_flags;
const uint32_t display_video_flags = 0x10000005;

namespace {

void ensure_started() {
    static bool started = false;
    if (!started) {
        demo_startup();
        started = true;
    }
}

void run_scene(benchmark::State& state, void (*scene)(), int64_t frames) {
    ensure_started();
    for (auto _ : state) scene();
    state.SetItemsProcessed(state.iterations() * frames);
}

void BM_SceneBigscroll(benchmark::State& s) { run_scene(s, scene_bigscroll, SCENE_BIGSCROLL_BUDGET + 1); }
void BM_SceneBubbles(benchmark::State& s) { run_scene(s, scene_bubbles, SCENE_BUBBLES_BUDGET + 1); }
void BM_SceneHalves(benchmark::State& s) { run_scene(s, scene_halves, SCENE_HALVES_BUDGET + 1); }
void BM_SceneStarscroll(benchmark::State& s) { run_scene(s, scene_starscroll, SCENE_STARSCROLL_BUDGET + 1); }
void BM_SceneSprites(benchmark::State& s) { run_scene(s, scene_sprites, SCENE_SPRITES_BUDGET + 1); }

}  // namespace

BENCHMARK(BM_SceneBigscroll)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_SceneBubbles)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_SceneHalves)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_SceneStarscroll)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_SceneSprites)->Unit(benchmark::kMillisecond)->Iterations(2);

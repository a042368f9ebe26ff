// Cost of a whole scene, drawn headless: every frame of it, fade included, with pacing
// on the virtual clock (no real sleep). items/s is frames per second of drawing; the show
// needs 50.
#include <benchmark/benchmark.h>

#include "demo/demo.h"
#include "demo/scene.h"

namespace {

void ensure_started() {
    static bool started = false;
    if (!started) {
        demo_startup();
        started = true;
    }
}

void BM_Scene(benchmark::State& state, const Scene* scene) {
    ensure_started();
    for (auto _ : state) run_scene(*scene);
    state.SetItemsProcessed(state.iterations() * (scene->budget + 1));
}

}  // namespace

BENCHMARK_CAPTURE(BM_Scene, bigscroll, &scene_bigscroll)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_CAPTURE(BM_Scene, bubbles, &scene_bubbles)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_CAPTURE(BM_Scene, halves, &scene_halves)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_CAPTURE(BM_Scene, starscroll, &scene_starscroll)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_CAPTURE(BM_Scene, sprites, &scene_sprites)->Unit(benchmark::kMillisecond)->Iterations(2);

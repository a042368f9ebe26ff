// The program's own costs, headless: start-up; every frame of each scene over its whole
// budget, fade included, as the time from one keyboard poll to the next (drawing, pacing on
// the virtual clock, present, music, audio feed); the present copy and the raster against
// memcpy / memset of the same bytes (the raster also against a plain scalar loop); the
// music's mix and the audio callback.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "demo/demo.h"
#include "demo/scene.h"
#include "pairs.h"
#include "scenes.h"
#include "platform/backend_headless.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double PASS_GOAL = 1.5;    // the present: within 1.5 times memcpy
constexpr double RASTER_GOAL = 1.2;  // the raster: within 1.2 times memset
constexpr size_t FRAME_BYTES = size_t{256} * 256 * 4;

double startup_us;      // the one start-up of this process
long startup_faults;    // the page faults it took: fresh memory touched for the first time

long minor_faults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

void ensure_started() {
    static bool started = false;
    if (started) return;
    const long faults = minor_faults();
    const auto start = Clock::now();
    demo_startup();
    startup_us = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    startup_faults = minor_faults() - faults;
    started = true;
}

// ---- Scene frames ----

struct SceneFrames {
    const char* name;
    std::vector<double> us;  // every frame of the last run, the first (with the fade) first
};
std::vector<SceneFrames> scene_results;
std::vector<double>* collecting;  // the frames of the scene being run
Clock::time_point last_poll;

void on_poll(void*) {
    const Clock::time_point now = Clock::now();
    if (collecting != nullptr) collecting->push_back(std::chrono::duration<double, std::micro>(now - last_poll).count());
    last_poll = now;
}

double at_rank(std::vector<double> v, double rank) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(rank * static_cast<double>(v.size() - 1) + 0.5));
    return v[i];
}

void BM_SceneFrames(benchmark::State& state, const Scene* scene) {
    ensure_started();
    std::vector<double> frames;
    const HeadlessHooks hooks{nullptr, on_poll, nullptr, nullptr};
    headless_set_hooks(&hooks);
    for (auto _ : state) {
        frames.clear();
        collecting = &frames;
        last_poll = Clock::now();
        run_scene(*scene);
        collecting = nullptr;
    }
    headless_set_hooks(nullptr);
    state.counters["median_ms"] = at_rank(frames, 0.5) / 1000;
    state.counters["worst_ms"] = at_rank(frames, 1.0) / 1000;
    for (SceneFrames& r : scene_results) {
        if (r.name == scene->name) {
            r.us = frames;
            return;
        }
    }
    scene_results.push_back({scene->name, frames});
}

// ---- Passes against memcpy / memset ----

void BM_Present(benchmark::State& state) {
    ensure_started();
    std::vector<uint32_t> copy(FRAME_BYTES / 4);
    measure_pair(
        state, "display_present, 256x256 (headless screen)", "memcpy 256 KiB", PASS_GOAL,
        [] { display_present(demo.display, demo.frame); },
        [&] { std::memcpy(copy.data(), demo.frame->pixels, FRAME_BYTES); });
}

void BM_Raster(benchmark::State& state) {
    ensure_started();
    const Raster* raster = demo.raster;
    uint32_t* pixels = demo.frame->pixels;
    measure_peers(
        state, "raster_draw, 256 rows", [=] { raster_draw(raster, demo.frame); },
        {{"memset 256 KiB", RASTER_GOAL, [=] { std::memset(pixels, 0x40, FRAME_BYTES); }},
         {"plain scalar loop", 1.0, [=] {
              // One table entry a row, one store a pixel; the empty asm keeps GCC from
              // vectorising the stores.
              for (int32_t y = 0; y < 256; ++y) {
                  uint32_t colour = raster->colours[(raster->offset + y) % raster->count];
                  for (int32_t x = 0; x < 256; ++x) {
                      asm("" : "+r"(colour));
                      pixels[y * 256 + x] = colour;
                  }
              }
          }}});
}

// ---- Sound ----

void BM_Mix(benchmark::State& state) {
    ensure_started();
    Music* music = demo.music;
    int32_t* loop = music->loop->buffer;
    const int32_t length = music->loop->count;
    const Sample* block = static_cast<const Sample*>(music->blocks->items[9]);
    // The peer: the same sum over a block already laid out at the offset, without a lock.
    std::vector<int32_t> laid_out(static_cast<size_t>(length), 0);
    for (int32_t q = 0; q < block->count && q < length; ++q) laid_out[static_cast<size_t>((q + 37500) % length)] = block->buffer[q];
    const size_t before = mallinfo2().uordblks;
    measure_pair(
        state, "music_mix, 40000 values", "one plain pass over a laid-out block", 0, [&] { music_mix(music, 9, 37500); },
        [&] {
            for (int32_t p = 0; p < length; ++p)
                loop[p] = static_cast<int32_t>(3u * static_cast<uint32_t>(loop[p]) + static_cast<uint32_t>(laid_out[static_cast<size_t>(p)])) >> 2;
        });
    state.counters["heap_growth_bytes"] = static_cast<double>(mallinfo2().uordblks - before);
}

void BM_Callback(benchmark::State& state) {
    ensure_started();
    AudioOut out{};
    out.queue = array_create();
    std::vector<uint8_t> stream(8192);
    measure_pair(
        state, "audio_callback, one 4096-value buffer", "memcpy 8 KiB", 0,
        [&] {
            if (out.queue->count < 2) array_append(out.queue, demo.music->loop);
            audio_callback(&out, stream.data(), static_cast<int>(stream.size()));
        },
        [&] { std::memcpy(stream.data(), demo.music->loop->buffer, stream.size()); });
    array_destroy(&out.queue);
}

void BM_Startup(benchmark::State& state) {
    ensure_started();
    for (auto _ : state) benchmark::DoNotOptimize(startup_us);
    state.counters["startup_ms"] = startup_us / 1000;
}

}  // namespace

void scene_print_table() {
    if (startup_us > 0) std::printf("\nstart-up: %.2f ms, %ld page faults (goal under 5 ms)\n", startup_us / 1000, startup_faults);
    if (scene_results.empty()) return;
    std::printf("\n| scene | frames | median (ms) | p99 (ms) | worst (ms) | worst after the first (ms) | goals |\n"
                "|---|---:|---:|---:|---:|---:|---|\n");
    for (const SceneFrames& r : scene_results) {
        const std::vector<double> after(r.us.begin() + (r.us.empty() ? 0 : 1), r.us.end());
        const double median = at_rank(r.us, 0.5) / 1000, worst = at_rank(r.us, 1.0) / 1000;
        std::printf("| %s | %zu | %.3f | %.3f | %.3f | %.3f | median < 0.1 %s, worst < 0.5 %s |\n", r.name, r.us.size(),
                    median, at_rank(r.us, 0.99) / 1000, worst, at_rank(after, 1.0) / 1000, median < 0.1 ? "met" : "NOT met",
                    worst < 0.5 ? "met" : "NOT met");
    }
}

BENCHMARK(BM_Startup)->Iterations(1);
BENCHMARK_CAPTURE(BM_SceneFrames, bigscroll, &scene_bigscroll)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_SceneFrames, bubbles, &scene_bubbles)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_SceneFrames, halves, &scene_halves)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_SceneFrames, starscroll, &scene_starscroll)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_SceneFrames, sprites, &scene_sprites)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Present);
BENCHMARK(BM_Raster);
BENCHMARK(BM_Mix);
BENCHMARK(BM_Callback);

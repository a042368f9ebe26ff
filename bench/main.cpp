// The bench program: SDL on its dummy video driver (the peers blit SDL surfaces in memory;
// nothing is shown), every benchmark, then the table of pairs.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "pairs.h"
#include "scenes.h"

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "dummy", 0);  // a user's own choice still wins
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "bench: SDL_Init failed: %s\n", SDL_GetError());
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    pair_print_table();
    scene_print_table();
    SDL_Quit();
    return 0;
}

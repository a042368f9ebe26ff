#pragma once
// MUSIC: the generative loop. One 40000-value loop plays over and over; every 300th tick a
// song block picked with rng_rand() is mixed in at one of 16 positions 2500 values apart while
// the older content drops to three quarters: new[p] = floor((3 old[p] + block[p - offset]) / 4).
// The mix is one in-place pass over the loop under the audio device lock, so the device
// never plays a half-finished mix; it allocates nothing. "MUSIC ERROR" when music_debug
// is set and destroy gets no music.
#include <cstddef>
#include <cstdint>

#include "common/module_id.h"
#include "sound/array.h"
#include "sound/sample.h"

struct Music {
    int32_t countdown;  // ticks left until the next mix; 0 at creation (mixes on the first tick)
    int32_t period;     // 300 ticks from one mix to the next
    Sample* loop;       // owned: 40000 values, the sound the audio output plays
    Array* blocks;      // owned list of borrowed, read-only Sample* song blocks, in order added
};
static_assert(offsetof(Music, period) == 4 && offsetof(Music, loop) >= 8 && offsetof(Music, blocks) > offsetof(Music, loop),
              "countdown, period, loop, blocks");

constexpr int32_t MUSIC_LOOP_LENGTH = 40000;  // values in the loop (~0.907 s at 44100 Hz)
constexpr int32_t MUSIC_PERIOD = 300;         // ticks (drawn frames) between mixes

extern uint8_t music_debug;      // 0: silent (nothing in the program sets it)
extern const ModuleId music_module_id;

Music* music_create();                                 // silent loop, countdown 0, no blocks; null on failure
void music_add_block(Music* music, const Sample* block);  // appends a borrowed block
void music_tick(Music* music);                         // once per frame: counts down, mixes at 0
void music_mix(Music* music, int32_t block_index, int32_t offset);  // one mix of block i at offset (no draws)
void music_destroy(Music** music);                     // frees loop and list (not the blocks), sets *music = null

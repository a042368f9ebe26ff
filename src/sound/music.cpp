#include "sound/music.h"

#include <cstdio>
#include <cstdlib>

#include "common/fixed.h"
#include "common/rng.h"
#include "sound/audio.h"

uint8_t music_debug = 0;
const ModuleId music_module_id = make_module_id("20101106", "MUSIC");

Music* music_create() {
    Music* music = static_cast<Music*>(std::calloc(1, sizeof(Music)));
    if (music == nullptr) return nullptr;
    music->loop = sample_create();
    sample_set_length(music->loop, MUSIC_LOOP_LENGTH);
    music->period = MUSIC_PERIOD;
    music->blocks = array_create();
    if (music->loop == nullptr || music->loop->count != MUSIC_LOOP_LENGTH || music->blocks == nullptr) {
        sample_destroy(&music->loop);
        if (music->blocks != nullptr) array_destroy(&music->blocks);
        std::free(music);
        return nullptr;
    }
    return music;
}

void music_add_block(Music* music, const Sample* block) {
    if (music == nullptr || block == nullptr || music->blocks == nullptr) return;
    // The list only carries the pointer; the music never writes to a block.
    array_append(music->blocks, const_cast<Sample*>(block));
}

namespace {

// new = floor((3 old + add) / 4), in the loop's 32-bit wrap-around arithmetic: what
// "double the loop, add loop and block, shift right by 2" gives, value by value.
inline int32_t mixed(int32_t old, int32_t add) { return wrap_add(wrap_shl(old, 1), wrap_add(add, old)) >> 2; }

void mix_run(int32_t* out, const int32_t* add, int32_t count) {
    for (int32_t i = 0; i < count; ++i) out[i] = mixed(out[i], add[i]);
}

void fade_run(int32_t* out, int32_t count) {
    for (int32_t i = 0; i < count; ++i) out[i] = mixed(out[i], 0);
}

}  // namespace

void music_mix(Music* music, int32_t block_index, int32_t offset) {
    if (music == nullptr || music->loop == nullptr || music->loop->buffer == nullptr) return;
    const Sample* block =
        music->blocks != nullptr && block_index >= 0 && block_index < music->blocks->count
            ? static_cast<const Sample*>(music->blocks->items[block_index])
            : nullptr;
    if (block == nullptr) return;
    int32_t* out = music->loop->buffer;
    const int32_t length = music->loop->count;
    if (length <= 0) return;
    // The block's first n values land from `start` on and wrap past the loop's end to its
    // start; a block without values only fades the loop. A negative offset is no offset.
    const int32_t* values = block->buffer;
    const int32_t n = values == nullptr || block->count <= 0 ? 0 : (block->count < length ? block->count : length);
    const int32_t start = offset < 0 ? 0 : offset % length;
    const int32_t wrapped = n > length - start ? n - (length - start) : 0;  // values past the loop's end
    const int32_t straight = n - wrapped;                                   // values from start on
    // One pass, in place, nothing allocated. The loop is what the device plays: it must not
    // hear a half-finished mix, so the pass runs under the device lock.
    audio_lock();
    mix_run(out, values + straight, wrapped);
    fade_run(out + wrapped, start - wrapped);
    mix_run(out + start, values, straight);
    fade_run(out + start + straight, length - start - straight);
    audio_unlock();
}

void music_tick(Music* music) {
    if (music == nullptr) return;
    int32_t next = wrap_sub(music->countdown, 1);
    if (next >= 1) {
        music->countdown = next;
        return;
    }
    music->countdown = music->period;
    const int32_t length = music->loop != nullptr ? music->loop->count : 0;
    const int32_t blocks = music->blocks != nullptr ? music->blocks->count : 0;
    // Five draws in this order whatever happens next, so the generator's sequence is fixed.
    int32_t index = safe_rem(rng_rand(), blocks);
    int32_t offset = (rng_rand() % 2) * (length >> 3);
    offset += (rng_rand() % 2) * (length >> 4);
    offset += (rng_rand() % 2) * (length >> 1);
    offset += (rng_rand() % 2) * (length >> 2);
    music_mix(music, index, offset);
}

void music_destroy(Music** music) {
    if (music == nullptr || *music == nullptr) {
        if (music_debug != 0) std::puts("MUSIC ERROR");
        return;
    }
    sample_destroy(&(*music)->loop);
    if ((*music)->blocks != nullptr) array_destroy(&(*music)->blocks);
    std::free(*music);
    *music = nullptr;
}


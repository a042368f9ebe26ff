#include "sound/music.h"

#include <cstdio>
#include <cstdlib>

#include "common/fixed.h"
#include "sound/audio.h"

uint8_t music_debug = 0;
Sample* music_scratch = nullptr;
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

void music_mix(Music* music, int32_t block_index, int32_t offset) {
    if (music == nullptr || music->loop == nullptr) return;
    Sample* loop = music->loop;
    const int32_t length = loop->count;
    if (music_scratch != nullptr && music_scratch->count != length) sample_destroy(&music_scratch);
    if (music_scratch == nullptr) {
        music_scratch = sample_create();
        sample_set_length(music_scratch, length);
        if (music_scratch == nullptr || music_scratch->count != length) {
            sample_destroy(&music_scratch);
            return;
        }
    }
    Sample* scratch = music_scratch;
    sample_clear(scratch);
    const Sample* block =
        music->blocks != nullptr && block_index >= 0 && block_index < music->blocks->count
            ? static_cast<const Sample*>(music->blocks->items[block_index])
            : nullptr;
    if (block == nullptr) return;
    sample_add(scratch, block);
    sample_rotate_right(scratch, offset);
    sample_add(scratch, loop);
    // The loop is what the device plays: its three-step rewrite must not be heard half done.
    audio_lock();
    sample_shift_left(loop, 1);
    sample_add(loop, scratch);
    sample_shift_right(loop, 2);
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
    int32_t index = safe_rem(std::rand(), blocks);
    int32_t offset = (std::rand() % 2) * (length >> 3);
    offset += (std::rand() % 2) * (length >> 4);
    offset += (std::rand() % 2) * (length >> 1);
    offset += (std::rand() % 2) * (length >> 2);
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

void music_release_scratch() { sample_destroy(&music_scratch); }

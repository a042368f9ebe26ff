#pragma once
// SONG: the sixteen built-in song blocks the music mixes into its loop. Each block is a
// quarter second (11025 values at 44100 Hz) of one drum hit or note, every value inside
// the 16-bit range; the values are made by tools/synth and linked in from data/song.
// Read-only: nothing writes to the blocks, and the table owns nothing (no destroy).
#include <cstddef>
#include <cstdint>

#include "common/module_id.h"
#include "sound/sample.h"

constexpr int32_t SONG_BLOCKS = 16;             // blocks in the table
constexpr int32_t SONG_BLOCK_LENGTH = 11025;    // values per block: 0.25 s at 44100 Hz

struct SongTable {
    Sample blocks[SONG_BLOCKS];  // count = capacity = 11025, buffer = built-in values (not owned)
    int32_t count;               // 16: the start-up adds blocks 0 .. count - 1 in order
};
static_assert(offsetof(SongTable, count) == SONG_BLOCKS * sizeof(Sample), "the blocks, then their count");

extern SongTable song_table;               // constant-initialised; no code writes it
extern uint8_t song_debug;                 // 0; nothing sets it, and no SONG operation can fail
extern const ModuleId song_module_id;      // "SONG    ", 20101108

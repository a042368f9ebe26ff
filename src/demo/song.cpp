#include "demo/song.h"

// The built-in values, generated at build time from data/song/blockNN.wav.
extern int32_t song_block00[], song_block01[], song_block02[], song_block03[];
extern int32_t song_block04[], song_block05[], song_block06[], song_block07[];
extern int32_t song_block08[], song_block09[], song_block10[], song_block11[];
extern int32_t song_block12[], song_block13[], song_block14[], song_block15[];

uint8_t song_debug = 0;
constinit const ModuleId song_module_id = make_module_id("20101108", "SONG");

// Every block has exactly SONG_BLOCK_LENGTH values; the tests hold each embedded
// song_blockNN_count to that, so the table can be built at compile time.
constinit SongTable song_table = {
    {
        {SONG_BLOCK_LENGTH, SONG_BLOCK_LENGTH, song_block00},
        {SONG_BLOCK_LENGTH, SONG_BLOCK_LENGTH, song_block01},
        {SONG_BLOCK_LENGTH, SONG_BLOCK_LENGTH, song_block02},
        {SONG_BLOCK_LENGTH, SONG_BLOCK_LENGTH, song_block03},
        {SONG_BLOCK_LENGTH, SONG_BLOCK_LENGTH, song_block04},
        {SONG_BLOCK_LENGTH, SONG_BLOCK_LENGTH, song_block05},
        {SONG_BLOCK_LENGTH, SONG_BLOCK_LENGTH, song_block06},
        {SONG_BLOCK_LENGTH, SONG_BLOCK_LENGTH, song_block07},
        {SONG_BLOCK_LENGTH, SONG_BLOCK_LENGTH, song_block08},
        {SONG_BLOCK_LENGTH, SONG_BLOCK_LENGTH, song_block09},
        {SONG_BLOCK_LENGTH, SONG_BLOCK_LENGTH, song_block10},
        {SONG_BLOCK_LENGTH, SONG_BLOCK_LENGTH, song_block11},
        {SONG_BLOCK_LENGTH, SONG_BLOCK_LENGTH, song_block12},
        {SONG_BLOCK_LENGTH, SONG_BLOCK_LENGTH, song_block13},
        {SONG_BLOCK_LENGTH, SONG_BLOCK_LENGTH, song_block14},
        {SONG_BLOCK_LENGTH, SONG_BLOCK_LENGTH, song_block15},
    },
    SONG_BLOCKS,
};

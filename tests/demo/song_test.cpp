// The song table's shape. The blocks' values themselves are pinned twice elsewhere: the
// generator's output against data/song byte for byte (Builtin), and the whole show's sound
// against its golden checksum (the full-cycle capture).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <vector>

#include "demo/song.h"

extern const int32_t song_block00_count, song_block01_count, song_block02_count, song_block03_count;
extern const int32_t song_block04_count, song_block05_count, song_block06_count, song_block07_count;
extern const int32_t song_block08_count, song_block09_count, song_block10_count, song_block11_count;
extern const int32_t song_block12_count, song_block13_count, song_block14_count, song_block15_count;

// Sixteen distinct quarter-second blocks, each sounding, each inside 16 bits, each of the
// length its data file gave the build.
TEST(Song, SixteenDistinctQuarterSecondBlocksInsideSixteenBits) {
    const int32_t embedded[SONG_BLOCKS] = {
        song_block00_count, song_block01_count, song_block02_count, song_block03_count,
        song_block04_count, song_block05_count, song_block06_count, song_block07_count,
        song_block08_count, song_block09_count, song_block10_count, song_block11_count,
        song_block12_count, song_block13_count, song_block14_count, song_block15_count,
    };
    EXPECT_EQ(song_table.count, SONG_BLOCKS);
    std::set<std::vector<int32_t>> distinct;
    for (int32_t b = 0; b < SONG_BLOCKS; ++b) {
        const Sample& block = song_table.blocks[b];
        EXPECT_EQ(embedded[b], SONG_BLOCK_LENGTH) << b;
        ASSERT_EQ(block.count, SONG_BLOCK_LENGTH) << b;
        EXPECT_EQ(block.capacity, SONG_BLOCK_LENGTH) << b;
        const auto [low, high] = std::minmax_element(block.buffer, block.buffer + block.count);
        EXPECT_TRUE(*low >= INT16_MIN && *high <= INT16_MAX && *high > *low) << b << ": " << *low << ".." << *high;
        distinct.emplace(block.buffer, block.buffer + block.count);
    }
    EXPECT_EQ(distinct.size(), static_cast<size_t>(SONG_BLOCKS));
}

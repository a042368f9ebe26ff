#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "common/rng.h"
#include "sound/music.h"
#include "sound_fixtures.h"

using sound_test::block_of;
using sound_test::V;
using sound_test::values_of;

namespace {

// Positions of the loop that are not zero.
V loud_positions(const Music* m) {
    V out;
    for (int32_t p = 0; p < m->loop->count; ++p) {
        if (m->loop->buffer[p] != 0) out.push_back(p);
    }
    return out;
}

// The generator's first six draws after rng_srand(seed), which is then seeded again.
std::vector<int> draws(unsigned seed) {
    rng_srand(seed);
    std::vector<int> r(6);
    for (int& x : r) x = rng_rand();
    rng_srand(seed);
    return r;
}

}  // namespace

TEST(Music, FiveDrawsPickTheBlockThenTheOffsetsInOrderOnTheFirstTickThenEvery300th) {
    // Block i is a single click of 4 (i + 1) at its start: after one mix over silence the
    // loop holds i + 1 at the offset and nothing else, so both draws can be read back.
    sound_test::Owned own;
    Music* m = music_create();
    const int sixth = draws(5)[5];
    music_tick(m);  // an empty list still draws five times and leaves the loop alone
    EXPECT_EQ(rng_rand(), sixth);
    EXPECT_TRUE(loud_positions(m).empty());
    for (int32_t i = 0; i < 16; ++i) {
        music_add_block(m, own(block_of(11025, [i](int32_t q) { return q == 0 ? 4 * (i + 1) : 0; })));
    }
    for (unsigned seed : {1u, 2u, 3u, 99u, 0xFACE5718u, 12345u}) {
        sample_clear(m->loop);
        m->countdown = 0;
        const std::vector<int> r = draws(seed);
        const int32_t offset = (r[1] % 2) * 5000 + (r[2] % 2) * 2500 + (r[3] % 2) * 20000 + (r[4] % 2) * 10000;
        music_tick(m);
        EXPECT_EQ(loud_positions(m), V{offset}) << "seed " << seed;
        EXPECT_EQ(sample_get(m->loop, offset), r[0] % 16 + 1) << "seed " << seed;
        EXPECT_EQ(rng_rand(), r[5]) << "exactly five draws, seed " << seed;
    }
    std::vector<int> mixed_at;  // counting from the tick after the last mix
    for (int call = 1; call <= 601; ++call) {
        const V before = values_of(m->loop);
        music_tick(m);
        if (values_of(m->loop) != before) mixed_at.push_back(call);
    }
    EXPECT_EQ(mixed_at, (std::vector<int>{300, 600}));
    music_destroy(&m);
}

TEST(Music, OnePassMixEqualsTheSampleArithmeticItStandsFor) {
    // The mix is defined by sample operations: the block rotated to the offset, plus the
    // loop, added to the doubled loop, shifted right by 2. Random loops (any 32-bit values,
    // so wrap-around counts), block lengths shorter and longer than the loop, offsets
    // negative and past the end, and a block without values must all agree with it.
    sound_test::Owned own;
    rng_srand(4242);
    auto any = [] { return static_cast<int32_t>((static_cast<uint32_t>(rng_rand()) << 16) ^ static_cast<uint32_t>(rng_rand())); };
    for (int round = 0; round < 200; ++round) {
        Music* m = music_create();
        const int32_t length = 1 + rng_rand() % 97;
        sample_set_length(m->loop, length);
        sample_reserve(m->loop, length);
        for (int32_t p = 0; p < length; ++p) sample_set(m->loop, round % 2 ? any() : rng_rand() % 65536 - 32768, p);
        const int32_t block_length = rng_rand() % 130;
        Sample* block = own(block_of(block_length, [&](int32_t) { return any(); }));
        if (round % 17 == 0) {
            std::free(block->buffer);
            block->buffer = nullptr;
        }
        music_add_block(m, block);
        const int32_t offsets[] = {0, rng_rand() % length, length - 1, length, 3 * length + 5, -7, INT32_MAX};
        const int32_t offset = offsets[round % 7];

        Sample* scratch = own(sample_create());
        sample_set_length(scratch, length);
        sample_add(scratch, block);
        sample_rotate_right(scratch, offset);
        sample_add(scratch, m->loop);
        Sample* expected = own(sample_clone(m->loop));
        sample_shift_left(expected, 1);
        sample_add(expected, scratch);
        sample_shift_right(expected, 2);

        music_mix(m, 9, offset);  // no such block: the loop is left alone
        music_mix(m, 0, offset);
        ASSERT_EQ(values_of(m->loop), values_of(expected)) << "round " << round << " offset " << offset;
        music_destroy(&m);
    }
}

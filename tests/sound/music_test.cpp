#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "sound/music.h"

namespace {

// A block of `n` values, value q = f(q).
template <typename F>
Sample* block_of(int32_t n, F f) {
    Sample* s = sample_create();
    sample_set_length(s, n);
    for (int32_t q = 0; q < n; ++q) sample_set(s, f(q), q);
    return s;
}

std::vector<int32_t> loop_of(const Music* m) { return std::vector<int32_t>(m->loop->buffer, m->loop->buffer + m->loop->count); }

// Positions of the loop that are not zero.
std::vector<int32_t> loud_positions(const Music* m) {
    std::vector<int32_t> out;
    for (int32_t p = 0; p < m->loop->count; ++p) {
        if (m->loop->buffer[p] != 0) out.push_back(p);
    }
    return out;
}

struct Blocks {
    std::vector<Sample*> all;
    ~Blocks() {
        for (Sample*& s : all) sample_destroy(&s);
    }
};

}  // namespace

TEST(Music, CreateGivesASilentLoopAndAnEmptyList) {
    Music* m = music_create();
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(m->loop->count, 40000);
    EXPECT_TRUE(loud_positions(m).empty());
    music_add_block(m, nullptr);
    music_add_block(nullptr, m->loop);
    EXPECT_EQ(m->blocks->count, 0);
    music_destroy(&m);
    EXPECT_EQ(m, nullptr);

    music_debug = 1;
    testing::internal::CaptureStdout();
    music_destroy(&m);
    music_destroy(nullptr);
    std::string out = testing::internal::GetCapturedStdout();
    music_debug = 0;
    EXPECT_EQ(out, "MUSIC ERROR\nMUSIC ERROR\n");
}

TEST(Music, MixesOnTheFirstTickThenEvery300th) {
    Blocks b;
    b.all.push_back(block_of(11025, [](int32_t) { return 4000; }));
    Music* m = music_create();
    music_add_block(m, b.all[0]);
    std::srand(7);
    std::vector<int> mixed_at;
    std::vector<int32_t> before = loop_of(m);
    for (int call = 1; call <= 601; ++call) {
        music_tick(m);
        std::vector<int32_t> after = loop_of(m);
        if (after != before) mixed_at.push_back(call);
        before = after;
        if (call == 1) {
            EXPECT_EQ(m->countdown, 300);
        }
        if (call == 300) {
            EXPECT_EQ(m->countdown, 1);
        }
    }
    EXPECT_EQ(mixed_at, (std::vector<int>{1, 301, 601}));
    ASSERT_NE(music_scratch, nullptr);
    EXPECT_EQ(music_scratch->count, 40000);
    music_destroy(&m);
    music_release_scratch();
    EXPECT_EQ(music_scratch, nullptr);
}

TEST(Music, FiveDrawsPickTheBlockThenTheOffsetsInOrder) {
    // Block i is a single click of 4 (i + 1) at its start: after one mix over silence the
    // loop holds i + 1 at the offset and nothing else, so both draws can be read back.
    Blocks b;
    Music* m = music_create();
    for (int32_t i = 0; i < 16; ++i) {
        b.all.push_back(block_of(11025, [i](int32_t q) { return q == 0 ? 4 * (i + 1) : 0; }));
        music_add_block(m, b.all.back());
    }
    for (unsigned seed : {1u, 2u, 3u, 99u, 0xFACE5718u, 12345u}) {
        std::srand(seed);
        int r[6];
        for (int& x : r) x = std::rand();
        int32_t index = r[0] % 16;
        int32_t offset = (r[1] % 2) * 5000 + (r[2] % 2) * 2500 + (r[3] % 2) * 20000 + (r[4] % 2) * 10000;

        sample_clear(m->loop);
        m->countdown = 0;
        std::srand(seed);
        music_tick(m);
        EXPECT_EQ(loud_positions(m), (std::vector<int32_t>{offset})) << "seed " << seed;
        EXPECT_EQ(sample_get(m->loop, offset), index + 1) << "seed " << seed;
        EXPECT_EQ(std::rand(), r[5]) << "exactly five draws, seed " << seed;
    }
    music_destroy(&m);
}

TEST(Music, MixIsTheFlooredWeightedMean) {
    Blocks b;
    b.all.push_back(block_of(3, [](int32_t q) { return q == 0 ? 4 : (q == 1 ? -4 : 7); }));
    Music* m = music_create();
    music_add_block(m, b.all[0]);
    music_mix(m, 0, 0);
    EXPECT_EQ(sample_get(m->loop, 0), 1);
    EXPECT_EQ(sample_get(m->loop, 1), -1);
    EXPECT_EQ(sample_get(m->loop, 2), 1);
    EXPECT_EQ(loud_positions(m), (std::vector<int32_t>{0, 1, 2}));
    music_mix(m, 0, 0);  // floor((3 floor(b/4) + b) / 4)
    EXPECT_EQ(sample_get(m->loop, 0), 1);
    EXPECT_EQ(sample_get(m->loop, 1), -2);
    EXPECT_EQ(sample_get(m->loop, 2), 2);

    // Loud old content at full scale stays inside 16 bits: no wrap in 3 * old + block.
    sample_set(m->loop, -32768, 5);
    sample_set(m->loop, 32767, 6);
    music_mix(m, 9, 0);  // no such block: the loop is left alone
    EXPECT_EQ(sample_get(m->loop, 5), -32768);
    b.all.push_back(block_of(11025, [](int32_t q) { return q == 5 ? -32768 : (q == 6 ? 32767 : 0); }));
    music_add_block(m, b.all[1]);
    music_mix(m, 1, 0);
    EXPECT_EQ(sample_get(m->loop, 5), -32768);
    EXPECT_EQ(sample_get(m->loop, 6), 32767);
    music_destroy(&m);
}

TEST(Music, MixAtTheLastOffsetWrapsToTheFront) {
    Blocks b;
    b.all.push_back(block_of(11025, [](int32_t q) { return 4 * (q + 1); }));
    Music* m = music_create();
    music_add_block(m, b.all[0]);
    music_mix(m, 0, 37500);
    EXPECT_EQ(sample_get(m->loop, 37500), 1);         // block value 0
    EXPECT_EQ(sample_get(m->loop, 39999), 2500);      // block value 2499
    EXPECT_EQ(sample_get(m->loop, 0), 2501);          // block value 2500
    EXPECT_EQ(sample_get(m->loop, 8524), 11025);      // the block's last value
    EXPECT_EQ(sample_get(m->loop, 8525), 0);
    EXPECT_EQ(sample_get(m->loop, 37499), 0);
    EXPECT_EQ(loud_positions(m).size(), 11025u);
    music_destroy(&m);
}

TEST(Music, EmptyListStillDrawsAndLeavesTheLoop) {
    Music* m = music_create();
    std::srand(5);
    int r[6];
    for (int& x : r) x = std::rand();
    std::srand(5);
    music_tick(m);
    EXPECT_EQ(std::rand(), r[5]);
    EXPECT_TRUE(loud_positions(m).empty());
    music_tick(nullptr);

    // A loop of another length: the module's scratch follows it.
    sample_set_length(m->loop, 1000);
    Blocks b;
    b.all.push_back(block_of(10, [](int32_t) { return 8; }));
    music_add_block(m, b.all[0]);
    music_mix(m, 0, 995);
    EXPECT_EQ(music_scratch->count, 1000);
    EXPECT_EQ(sample_get(m->loop, 999), 2);
    EXPECT_EQ(sample_get(m->loop, 4), 2);
    EXPECT_EQ(sample_get(m->loop, 5), 0);
    music_destroy(&m);
    music_release_scratch();
}

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "demo/song.h"

extern const int32_t song_block00_count, song_block01_count, song_block02_count, song_block03_count;
extern const int32_t song_block04_count, song_block05_count, song_block06_count, song_block07_count;
extern const int32_t song_block08_count, song_block09_count, song_block10_count, song_block11_count;
extern const int32_t song_block12_count, song_block13_count, song_block14_count, song_block15_count;

namespace {

constexpr int32_t RATE = 44100;
constexpr int32_t SIXTEENTHS = 16;
constexpr int32_t CROSS_WINDOW = 2205;  // the first 50 ms

// A block's character: peak, decay and crossing rate. The aims give the decay in ms (-1:
// none) and the exact peak, which also holds every value inside 16 bits.
struct Character {
    int32_t peak, decay, rate;
};
constexpr Character AIMS[SONG_BLOCKS] = {
    {6690, 190, 2470},  {6211, -1, 1390},   {14324, 230, 900},  {12863, 220, 1210},
    {12984, 130, 520},  {20821, 140, 90},   {11588, 170, 2270}, {7810, 140, 1430},
    {20288, 130, 500},  {22654, 140, 790},  {14605, 140, 2030}, {8863, 140, 2370},
    {22226, 160, 430},  {10824, 160, 2130}, {27015, 130, 1450}, {13429, 170, 2160},
};

// The one measurement of a block's character. The level of sixteenth k is the mean square
// of the values k * n / 16 up to (k + 1) * n / 16; the decay is the first value of the
// first sixteenth after the loudest whose level is below a tenth of the loudest's in
// amplitude (a hundredth in mean square), -1 when none is; sign changes are counted over
// the first 2205 values (50 ms), zeros taking no sign, and the rate is half of them per second.
Character measure(const Sample& s) {
    const int32_t n = s.count;
    int64_t sum_sq[SIXTEENTHS] = {};
    int32_t length[SIXTEENTHS];
    Character m{0, -1, 0};
    // a's mean square is below b's times num / den (lengths differ by at most one value).
    const auto below = [&](int32_t a, int32_t b, int64_t num, int64_t den) {
        return sum_sq[a] * length[b] * den < sum_sq[b] * length[a] * num;
    };
    int32_t loudest = 0;
    for (int32_t k = 0; k < SIXTEENTHS; ++k) {
        const int32_t from = k * n / SIXTEENTHS, to = (k + 1) * n / SIXTEENTHS;
        length[k] = to - from;
        for (int32_t i = from; i < to; ++i) {
            m.peak = std::max(m.peak, std::abs(s.buffer[i]));
            sum_sq[k] += int64_t{s.buffer[i]} * s.buffer[i];
        }
        if (below(loudest, k, 1, 1)) loudest = k;
    }
    for (int32_t k = loudest + 1; k < SIXTEENTHS && m.decay < 0; ++k)
        if (below(k, loudest, 1, 100)) m.decay = k * n / SIXTEENTHS;
    int32_t sign = 0, changes = 0;
    for (int32_t i = 0; i < CROSS_WINDOW && i < n; ++i) {
        const int32_t sg = (s.buffer[i] > 0) - (s.buffer[i] < 0);
        changes += sg != 0 && sign != 0 && sg != sign;
        if (sg != 0) sign = sg;
    }
    m.rate = changes * RATE / (2 * CROSS_WINDOW);
    return m;
}

// Sixteen quarter-second blocks, each with the character it was made to.
TEST(Song, SixteenQuarterSecondBlocksEachWithItsCharacter) {
    const int32_t embedded[SONG_BLOCKS] = {
        song_block00_count, song_block01_count, song_block02_count, song_block03_count,
        song_block04_count, song_block05_count, song_block06_count, song_block07_count,
        song_block08_count, song_block09_count, song_block10_count, song_block11_count,
        song_block12_count, song_block13_count, song_block14_count, song_block15_count,
    };
    for (int32_t b = 0; b < SONG_BLOCKS; ++b) {
        SCOPED_TRACE("block " + std::to_string(b));
        const Character m = measure(song_table.blocks[b]), aim = AIMS[b];
        EXPECT_EQ(embedded[b], SONG_BLOCK_LENGTH);
        EXPECT_EQ(m.peak, aim.peak);
        // None for a block that must not die away; else |start / 44100 - decay| <= 0.02 s.
        const int64_t miss = std::abs(int64_t{m.decay} * 1000 - int64_t{aim.decay} * RATE);
        EXPECT_TRUE(aim.decay < 0 || m.decay < 0 ? m.decay == aim.decay : miss <= 20 * RATE) << "decays at " << m.decay;
        EXPECT_LE(std::abs(m.rate - aim.rate) * 100, 15 * aim.rate) << "crosses at " << m.rate;
    }
}

}  // namespace

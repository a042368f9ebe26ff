#pragma once
// The one stored sine period every effect reads. Index it with (index & mask).
#include <cstdint>

constexpr int32_t SINE_LENGTH = 1024;       // entries in one period
constexpr int32_t SINE_MASK = SINE_LENGTH - 1;
constexpr int32_t SINE_FULL_SCALE = 32767;  // value of the positive peak (entries 255 and 256 hold 32766)
constexpr int SINE_SHIFT = 15;              // (entry * amplitude) >> SINE_SHIFT swings by about +-amplitude

struct SineTable {
    int16_t entries[SINE_LENGTH];  // entry i + 256 is the cosine of entry i
    int32_t length;                // 1024
    int32_t mask;                  // 1023
};
static_assert(sizeof(SineTable) == SINE_LENGTH * 2 + 8, "entries, then length and mask");

extern const SineTable sine_table;

// Entry (index & mask): any int32 index is safe.
inline int32_t sine_at(int32_t index) { return sine_table.entries[index & SINE_MASK]; }

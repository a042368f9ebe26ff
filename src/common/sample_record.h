#pragma once
// The Sample record: a growable array of signed 32-bit values. The sound library keeps
// sounds in it and its operations live there (sound/sample.h); the byte map reads colour
// tables (palettes) in the same record, so the record itself sits below both libraries.
#include <cstddef>
#include <cstdint>

struct Sample {
    int32_t count;     // values in use, 0 <= count <= capacity
    int32_t capacity;  // values the buffer holds
    int32_t* buffer;   // owned, zero-filled when allocated; may be null
};
constexpr int32_t SAMPLE_ELEMENT_SIZE = 4;  // bytes per value: every allocation is capacity x this
static_assert(SAMPLE_ELEMENT_SIZE == sizeof(int32_t), "one signed 32-bit value");

static_assert(offsetof(Sample, count) == 0 && offsetof(Sample, capacity) == 4 && offsetof(Sample, buffer) >= 8,
              "count, capacity, then the buffer pointer");

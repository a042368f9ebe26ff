#pragma once
// SAMPLE: a growable array of signed 32-bit values (sounds and colour tables).
// Functions do nothing, or return 0, -1 or null, on a null record or buffer; nothing is
// ever printed. Arithmetic wraps modulo 2^32 and never clips. A replacement buffer is a
// fresh zero-filled allocation filled from the highest position down; the old one is
// freed afterwards. Sizes whose byte count does not fit in int32 are refused.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "common/module_id.h"

struct Sample {
    int32_t count;     // values in use, 0 <= count <= capacity
    int32_t capacity;  // values the buffer holds
    int32_t* buffer;   // owned, zero-filled when allocated; may be null
};
static_assert(offsetof(Sample, capacity) == 4 && offsetof(Sample, buffer) == 8, "count, capacity, then the buffer pointer");

constexpr int32_t SAMPLE_FIRST_CAPACITY = 32;             // values of a new sample
constexpr int32_t SAMPLE_MAX_VALUES = INT32_MAX / 4;      // largest capacity accepted (bytes fit int32)

extern uint8_t sample_debug;  // 0: kept for uniformity (this module has no error line)
extern const ModuleId sample_module_id;

// Storage
Sample* sample_create();                                     // count 0, capacity 32 (0 if no buffer); null on failure
void sample_destroy(Sample** sample);                        // frees buffer and record, sets *sample = null
void sample_set_length(Sample* sample, int32_t n);           // n >= 0; grows to exactly n, old values kept
int32_t sample_get(const Sample* sample, int32_t position);  // 0 outside 0..count-1
void sample_copy_range(const Sample* source, Sample* destination, int32_t n, int32_t source_start,
                       int32_t destination_start);           // both runs inside their counts; moves like memmove
void sample_reserve(Sample* sample, int32_t n);              // n > 0: buffer of exactly n, count = min(count, n)
void sample_insert(Sample* sample, int32_t value, int32_t position);    // 0..count; doubles when full
void sample_remove(Sample* sample, int32_t position);                   // 0..count-1
void sample_set(Sample* sample, int32_t value, int32_t position);       // 0..count-1
int32_t sample_find(const Sample* sample, int32_t value, int32_t from); // first position >= from; -1 if none
void sample_insert_sample(Sample* sample, const Sample* other, int32_t position);  // 0..count; other may be sample
Sample* sample_extract(const Sample* sample, int32_t from, int32_t to);  // [max(from,0), min(count,to)); null if from > to
Sample* sample_clone(const Sample* sample);                             // capacity = count, same values
int sample_equal(const Sample* sample, const Sample* other);            // 1: both buffered, same count and values

// Arithmetic over positions 0..count-1 (count and capacity unchanged unless said)
void sample_clear(Sample* sample);                              // all 0
void sample_add(Sample* target, const Sample* source);          // target += source below the smaller count
void sample_shift_left(Sample* sample, int32_t k);              // k > 32 refused; shifts by k & 31
void sample_shift_right(Sample* sample, int32_t k);             // arithmetic; k > 32 refused; k & 31
void sample_rotate_right(Sample* sample, int32_t k);            // value j -> (j + k rem count) mod count; k < 0 or count 0: unchanged
void sample_rotate_left(Sample* sample, int32_t k);             // value j -> (j - k rem count) mod count; k < 0 or count 0: unchanged
void sample_reverse(Sample* sample);                            // in place
int32_t sample_max(const Sample* sample);                       // largest value; 0 when empty or missing
int32_t sample_min(const Sample* sample);                       // smallest value; 0 when empty or missing
void sample_multiply(Sample* target, const Sample* source);     // target *= source below the smaller count
void sample_scale(Sample* sample, int32_t factor);              // every value *= factor
int32_t sample_match_count(const Sample* sample, const Sample* other, int32_t offset);  // i with sample[i] == other[i - offset]
int32_t sample_best_offset(const Sample* sample, const Sample* other);  // first best offset; -(other count) if none

// Text form "SAMPLE{" count "\n" values "\n" "}\n", and raw integer streams (caller owns them)
char* sample_to_text(const Sample* sample);                    // exact-size string, caller frees with std::free
Sample* sample_from_text(const char* text);                    // null without header or '{'; stops at the text's end
void sample_write_raw(const Sample* sample, std::FILE* stream, int32_t width, char order);  // 8/16/24/32 bits; 'b' big-endian
Sample* sample_read_raw(std::FILE* stream, int32_t width, char order, char sign);          // 8/16 bits, 'b'/'l', 's'/'u'

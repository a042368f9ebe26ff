#pragma once
// CURSOR: a wrapping index into a text. The position moves by a signed step and stays in
// 0..length-1. No error line: calls with a null cursor (or a length below 1) do nothing.
#include <cstdint>

#include "common/module_id.h"

struct Cursor {
    int32_t length;    // number of positions, at least 1; 16 at creation
    int32_t step;      // signed amount cursor_advance adds; 1 at creation
    int32_t position;  // 0 <= position < length
    int32_t saved;     // position remembered by cursor_save
};
static_assert(sizeof(Cursor) == 16, "four int32 fields: length, step, position, saved");

extern const ModuleId cursor_module_id;

Cursor* cursor_create();                                         // length 16, step 1, position 0; null on failure
void cursor_init(Cursor* cursor, int32_t length, int32_t step);  // stores both, position 0
void cursor_advance(Cursor* cursor);                             // position = (position + step) wrapped; length < 1: no change
void cursor_save(Cursor* cursor);                                // saved = position
void cursor_restore(Cursor* cursor);                             // position = saved
void cursor_destroy(Cursor** cursor);                            // frees, sets *cursor = null
int32_t cursor_set(Cursor* cursor, int32_t value);               // position = value rem length; returns value / length

// Helpers of the scrollers (length must be at least 1):
int32_t cursor_index(const Cursor* cursor);                       // position brought into 0..length-1, for reading
int32_t cursor_carry(Cursor* cursor, int32_t offset, int32_t unit);  // moves whole units of offset (unit >= 1) into
                                                                  // the cursor; returns the offset left, 0..unit
bool cursor_fits(const Cursor* cursor, const char* text);         // length >= 1 and no NUL in text[0..length-1]

// Hands visit the index of count successive positions from the current one, then puts
// the cursor back where it was.
template <typename Visit>
void cursor_walk(Cursor* cursor, int64_t count, Visit&& visit) {
    cursor_save(cursor);
    cursor->step = 1;
    for (int64_t n = 0; n < count; ++n) {
        visit(cursor_index(cursor));
        cursor_advance(cursor);
    }
    cursor_restore(cursor);
}

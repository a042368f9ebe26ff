#pragma once
// CURSORX: a cursor into a periodic table (the sine table): a base phase that moves
// once per frame and a sweep offset that moves once per column. The index is always
// (base + offset) reduced into 0..length-1. A length of 0 (or below) disables every
// recomputation: index and base then stay as they are. The module prints nothing.
#include <cstdint>

#include "common/module_id.h"

struct CursorX {
    int32_t length;     // table period; <= 0 disables recomputation
    int32_t index;      // current table index, 0..length-1
    int32_t base;       // phase, kept in 0..length-1 by cursorx_step
    int32_t step;       // signed amount cursorx_step adds to the base (per frame)
    int32_t offset;     // sweep offset within one pass
    int32_t increment;  // signed amount cursorx_next adds to the offset (per column)
};
static_assert(sizeof(CursorX) == 24, "six int32 fields, no padding");

extern const ModuleId cursorx_module_id;

CursorX* cursorx_create();                                   // length 1024, step 1, increment 2; null on failure
void cursorx_destroy(CursorX** cursor);                      // frees, sets *cursor = null
CursorX* cursorx_clone(const CursorX* cursor);               // copy with index 0; null on failure
void cursorx_copy(const CursorX* from, CursorX* to);         // all fields but the index
int32_t cursorx_set_base(CursorX* cursor, int32_t value);    // base = value rem length (+length if value < 0); returns index
int32_t cursorx_reset(CursorX* cursor, int32_t value);       // offset 0, then set_base; returns index
void cursorx_set_length(CursorX* cursor, int32_t length);    // length < 0 ignored; re-applies the base
void cursorx_set(CursorX* cursor, int32_t length, int32_t base, int32_t step, int32_t offset,
                 int32_t increment);                         // everything at once
int32_t cursorx_set_offset(CursorX* cursor, int32_t value);  // offset = value; returns index
int32_t cursorx_next(CursorX* cursor);                       // offset += increment; returns index
void cursorx_step(CursorX* cursor);                          // base += step, kept in 0..length-1

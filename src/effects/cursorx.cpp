#include "effects/cursorx.h"

#include <cstdlib>

#include "common/fixed.h"

const ModuleId cursorx_module_id = make_module_id("20101019", "CURSORX");

namespace {

// v reduced into 0..length-1 (length >= 1). Sums are formed in 64 bits so that phases
// near the int32 limits reduce exactly, as the step's add-or-subtract-length loops would.
int32_t reduce(int64_t v, int32_t length) {
    int64_t r = v % length;
    return static_cast<int32_t>(r < 0 ? r + length : r);
}

void recompute_index(CursorX* c) {
    c->index = reduce(static_cast<int64_t>(c->base) + c->offset, c->length);
}

}  // namespace

CursorX* cursorx_create() {
    CursorX* c = static_cast<CursorX*>(std::calloc(1, sizeof(CursorX)));
    if (c == nullptr) return nullptr;
    c->length = 1024;
    c->step = 1;
    c->increment = 2;
    return c;
}

void cursorx_destroy(CursorX** cursor) {
    if (cursor == nullptr || *cursor == nullptr) return;
    std::free(*cursor);
    *cursor = nullptr;
}

CursorX* cursorx_clone(const CursorX* cursor) {
    if (cursor == nullptr) return nullptr;
    CursorX* c = static_cast<CursorX*>(std::calloc(1, sizeof(CursorX)));
    if (c == nullptr) return nullptr;
    cursorx_copy(cursor, c);
    return c;
}

void cursorx_copy(const CursorX* from, CursorX* to) {
    if (from == nullptr || to == nullptr) return;
    to->length = from->length;
    to->base = from->base;
    to->step = from->step;
    to->offset = from->offset;
    to->increment = from->increment;
}

int32_t cursorx_set_base(CursorX* cursor, int32_t value) {
    if (cursor == nullptr) return 0;
    if (cursor->length > 0) {
        // Length is added whenever the value is negative, even to a remainder of 0: a
        // negative multiple of the length gives base = length (the index is still reduced).
        int32_t base = value % cursor->length;
        if (value < 0) base += cursor->length;
        cursor->base = base;
        recompute_index(cursor);
    }
    return cursor->index;
}

int32_t cursorx_reset(CursorX* cursor, int32_t value) {
    if (cursor == nullptr) return 0;
    cursor->offset = 0;
    return cursorx_set_base(cursor, value);
}

void cursorx_set_length(CursorX* cursor, int32_t length) {
    if (cursor == nullptr || length < 0) return;
    cursor->length = length;
    cursorx_set_base(cursor, cursor->base);
}

void cursorx_set(CursorX* cursor, int32_t length, int32_t base, int32_t step, int32_t offset,
                 int32_t increment) {
    if (cursor == nullptr) return;
    if (length >= 0) cursorx_set_length(cursor, length);
    cursorx_set_base(cursor, base);
    cursor->offset = offset;
    if (cursor->length > 0) recompute_index(cursor);
    cursor->step = step;
    cursor->increment = increment;
}

int32_t cursorx_set_offset(CursorX* cursor, int32_t value) {
    if (cursor == nullptr) return 0;
    cursor->offset = value;
    if (cursor->length > 0) recompute_index(cursor);
    return cursor->index;
}

int32_t cursorx_next(CursorX* cursor) {
    if (cursor == nullptr) return 0;
    cursor->offset = wrap_add(cursor->offset, cursor->increment);
    if (cursor->length > 0) recompute_index(cursor);
    return cursor->index;
}

void cursorx_step(CursorX* cursor) {
    if (cursor == nullptr || cursor->length <= 0) return;
    cursor->base = reduce(static_cast<int64_t>(cursor->base) + cursor->step, cursor->length);
    recompute_index(cursor);
}

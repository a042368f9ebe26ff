#include "effects/cursor.h"

#include <cstdlib>
#include <cstring>

#include "common/fixed.h"

constexpr ModuleId cursor_module_id = make_module_id("20101104", "CURSOR");

Cursor* cursor_create() {
    Cursor* cursor = static_cast<Cursor*>(std::calloc(1, sizeof(Cursor)));
    if (cursor == nullptr) return nullptr;
    cursor->length = 16;
    cursor->step = 1;
    return cursor;
}

void cursor_init(Cursor* cursor, int32_t length, int32_t step) {
    if (cursor == nullptr) return;
    cursor->length = length;
    cursor->step = step;
    cursor->position = 0;
}

void cursor_advance(Cursor* cursor) {
    // Without a position to wrap into there is nowhere to go.
    if (cursor == nullptr || cursor->length < 1) return;
    // Subtracting or adding the length until the position is back in range leaves the
    // sum modulo the length; the remainder gets there in one step for any step size.
    const int64_t length = cursor->length;
    const int64_t sum = static_cast<int64_t>(cursor->position) + cursor->step;
    int64_t position = sum % length;
    if (position < 0) position += length;
    cursor->position = static_cast<int32_t>(position);
}

void cursor_save(Cursor* cursor) {
    if (cursor != nullptr) cursor->saved = cursor->position;
}

void cursor_restore(Cursor* cursor) {
    if (cursor != nullptr) cursor->position = cursor->saved;
}

void cursor_destroy(Cursor** cursor) {
    if (cursor == nullptr || *cursor == nullptr) return;
    std::free(*cursor);
    *cursor = nullptr;
}

int32_t cursor_set(Cursor* cursor, int32_t value) {
    if (cursor == nullptr || cursor->length < 1) return 0;
    cursor->position = safe_rem(value, cursor->length);
    return safe_div(value, cursor->length);
}

int32_t cursor_index(const Cursor* cursor) {
    const int32_t position = cursor->position;
    if (position >= 0 && position < cursor->length) return position;
    return mod_wrap(position, cursor->length);
}

int32_t cursor_carry(Cursor* cursor, int32_t offset, int32_t unit) {
    if (offset >= unit) {
        cursor->step = offset / unit;
        cursor_advance(cursor);
        return offset % unit;
    }
    if (offset < 0) {
        // One unit more than the truncated quotient, so the offset left is positive; an
        // exact multiple therefore leaves offset = unit, one unit further back.
        int64_t step = static_cast<int64_t>(offset / unit) - 1;
        // Only offset = INT32_MIN with unit 1 reaches below int32: one length more is
        // the same move for the cursor.
        if (step < INT32_MIN) step += cursor->length;
        cursor->step = static_cast<int32_t>(step);
        cursor_advance(cursor);
        return offset % unit + unit;
    }
    return offset;
}

bool cursor_fits(const Cursor* cursor, const char* text) {
    return cursor->length >= 1 &&
           strnlen(text, static_cast<size_t>(cursor->length)) == static_cast<size_t>(cursor->length);
}

#include "effects/disty.h"

#include <cstdlib>

#include "common/fixed.h"
#include "common/sine_table.h"

const ModuleId disty_module_id = make_module_id("20101020", "DISTY");

Disty* disty_create() {
    Disty* d = static_cast<Disty*>(std::calloc(1, sizeof(Disty)));
    if (d == nullptr) return nullptr;
    d->cursor.length = sine_table.length;
    d->cursor.step = 1;
    d->cursor.increment = 16;
    d->amplitude = 16;
    return d;
}

void disty_destroy(Disty** disty) {
    if (disty == nullptr || *disty == nullptr) return;
    std::free(*disty);
    *disty = nullptr;
}

void disty_draw(Disty* disty, Img* target) {
    if (disty == nullptr || target == nullptr || disty->source == nullptr) return;
    const Img* source = disty->source;
    if (target->width < 1 || target->height < 1) return;
    cursorx_set_offset(&disty->cursor, 0);
    for (int32_t i = 0; i < source->width; ++i) {
        // The cursor advances for every column, visible or not, so the wave keeps its shape.
        const int32_t k = cursorx_next(&disty->cursor);
        const int32_t column = wrap_add(disty->x, i);
        if (column < 0 || column >= target->width) continue;
        const int32_t row = wrap_add(mul_shr(sine_at(k), disty->amplitude, SINE_SHIFT + 1), disty->y);
        img_copy_column_wrap(source, target, i, column, row);
    }
}

void disty_step(Disty* disty) {
    if (disty == nullptr) return;
    cursorx_step(&disty->cursor);
}

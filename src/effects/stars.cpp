#include "effects/stars.h"

#include <cstdlib>

#include "common/fixed.h"
#include "common/rng.h"

const ModuleId stars_module_id = make_module_id("20101012", "STARS");

namespace {

bool field_ok(const Stars* s) {
    return s != nullptr && s->stars != nullptr && s->width >= 1 && s->height >= 1;
}

// Weight of an entry edge: |integer part + 1|, so a speed in [-1.0, 0) weighs 0.
int32_t edge_weight(int32_t v) {
    const int32_t w = fix_to_int(v) + 1;
    return w < 0 ? -w : w;
}

}  // namespace

Stars* stars_create() {
    Stars* s = static_cast<Stars*>(std::calloc(1, sizeof(Stars)));
    if (s == nullptr) return nullptr;
    s->width = 256;
    s->height = 256;
    s->vx = 0;
    s->vy = FIX_ONE;
    s->colour = 0xFFFFFF;
    s->count = 16;
    s->stars = static_cast<Star*>(std::calloc(static_cast<size_t>(s->count), sizeof(Star)));
    stars_scatter(s);  // does nothing when the array is missing
    return s;
}

void stars_destroy(Stars** stars) {
    if (stars == nullptr || *stars == nullptr) return;
    std::free((*stars)->stars);
    std::free(*stars);
    *stars = nullptr;
}

void stars_set_count(Stars* stars, int32_t n) {
    if (stars == nullptr || n < 1) return;
    std::free(stars->stars);
    stars->count = n;
    stars->stars = static_cast<Star*>(std::calloc(static_cast<size_t>(n), sizeof(Star)));
    if (stars->stars != nullptr) stars_scatter(stars);
}

void stars_scatter(Stars* stars) {
    if (!field_ok(stars)) return;
    for (int32_t i = 0; i < stars->count; ++i) {
        const int32_t col = rng_rand() % stars->width;
        const int32_t row = rng_rand() % stars->height;
        stars->stars[i].x = fix_from_int(col);
        stars->stars[i].y = fix_from_int(row);
    }
}

void stars_respawn(Stars* stars, int32_t i) {
    if (!field_ok(stars) || i < 0 || i >= stars->count) return;
    int32_t col = rng_rand() % stars->width;
    int32_t row = rng_rand() % stars->height;
    const int32_t vx = stars->vx;
    const int32_t vy = stars->vy;
    if (vx != 0 && vy != 0) {
        int32_t wx = edge_weight(vx);
        int32_t wy = edge_weight(vy);
        // Two slow backward speeds weigh nothing; let both edges count alike then.
        if (wx == 0 && wy == 0) wx = wy = 1;
        const int32_t k = rng_rand() % (wx + wy);
        if (k < wx) {
            col = vx < 0 ? stars->width - 1 : 0;
        } else {
            row = vy < 0 ? stars->height - 1 : 0;
        }
    } else if (vx != 0) {
        col = vx < 0 ? stars->width - 1 : 0;
    } else if (vy != 0) {
        row = vy < 0 ? stars->height - 1 : 0;
    }
    stars->stars[i].x = fix_from_int(col);
    stars->stars[i].y = fix_from_int(row);
}

void stars_move(Stars* stars) {
    if (stars == nullptr || stars->stars == nullptr) return;
    for (int32_t i = 0; i < stars->count; ++i) {
        Star& s = stars->stars[i];
        s.x = wrap_add(s.x, stars->vx);
        s.y = wrap_add(s.y, stars->vy);
        const int32_t px = fix_to_int(s.x);
        const int32_t py = fix_to_int(s.y);
        if (px < 0 || py < 0 || px >= stars->width || py >= stars->height) stars_respawn(stars, i);
    }
}

void stars_draw(Stars* stars, Img* target) {
    if (stars == nullptr || target == nullptr || stars->stars == nullptr || stars->font == nullptr) return;
    stars->width = target->width;
    stars->height = target->height;
    Font* font = stars->font;
    font->target = target;
    for (int32_t i = 0; i < stars->count; ++i) {
        const Star& s = stars->stars[i];
        // Frame from half the row: all 64 frames pass every 128 rows.
        font->character = (s.y >> 17) % 64;
        // The offset of 16 centres a 32 x 32 frame on the star.
        font->pen_x = static_cast<int16_t>(fix_to_int(s.x)) - 16;
        font->pen_y = static_cast<int16_t>(fix_to_int(s.y)) - 16;
        font_draw_char(font);
    }
}

void stars_plot(Stars* stars, Img* target) {
    if (stars == nullptr || target == nullptr || stars->stars == nullptr) return;
    stars->width = target->width;
    stars->height = target->height;
    for (int32_t i = 0; i < stars->count; ++i) {
        const Star& s = stars->stars[i];
        img_put_pixel(target, static_cast<int16_t>(fix_to_int(s.x)), static_cast<int16_t>(fix_to_int(s.y)),
                      stars->colour);
    }
}

#include "effects/stars3d.h"

#include <cstdio>
#include <cstdlib>

#include "common/fixed.h"
#include "common/rng.h"

uint8_t stars3d_debug = 0;
const ModuleId stars3d_module_id = make_module_id("20101109", "STARS3D");

namespace {

bool box_ok(const Stars3D* s) {
    return s != nullptr && s->stars != nullptr && s->width >= 1 && s->height >= 1 && s->depth >= 1;
}

// One point seen through the box: screen position and the distance term d = depth + pz.
// d = 0 means the point sits in the focal plane's mirror and cannot be projected.
struct Projection {
    int32_t sx;
    int32_t sy;
    int64_t d;
};

// The products depth * (p - half) are formed in 64 bits: a deep box times a far
// coordinate does not fit in 32.
Projection project(const Stars3D* s, const Star3D& p, int32_t hw, int32_t hh) {
    const int64_t px = static_cast<int16_t>(fix_to_int(p.x));
    const int64_t py = static_cast<int16_t>(fix_to_int(p.y));
    const int64_t pz = static_cast<int16_t>(fix_to_int(p.z));
    const int64_t depth = s->depth;
    Projection out{0, 0, depth + pz};
    if (out.d == 0) return out;
    out.sx = static_cast<int32_t>(depth * (px - hw) / out.d + hw + s->cx);
    out.sy = static_cast<int32_t>(depth * (py - hh) / out.d + hh + s->cy);
    return out;
}

// Takes the box size from the target, then hands every projectable point to visit, last
// to first and unsorted: the first point of the array ends up on top.
template <typename Visit>
void for_each_projected(Stars3D* s, const Img* target, Visit&& visit) {
    s->width = target->width;
    s->height = target->height;
    const int32_t hw = s->width >> 1;
    const int32_t hh = s->height >> 1;
    for (int32_t i = s->count - 1; i >= 0; --i) {
        const Projection pr = project(s, s->stars[i], hw, hh);
        if (pr.d != 0) visit(pr);
    }
}

}  // namespace

void stars3d_report() {
    if (stars3d_debug) std::puts("STARS3D error");
}

Stars3D* stars3d_create() {
    Stars3D* s = static_cast<Stars3D*>(std::calloc(1, sizeof(Stars3D)));
    if (s == nullptr) {
        stars3d_report();
        return nullptr;
    }
    s->width = 256;
    s->height = 256;
    s->depth = 256;
    s->vz = -3 * FIX_ONE;
    s->count = 16;
    s->stars = static_cast<Star3D*>(std::calloc(static_cast<size_t>(s->count), sizeof(Star3D)));
    if (s->stars == nullptr) {
        stars3d_report();
        return s;
    }
    stars3d_scatter(s);
    return s;
}

void stars3d_destroy(Stars3D** stars3d) {
    if (stars3d == nullptr || *stars3d == nullptr) {
        stars3d_report();
        return;
    }
    std::free((*stars3d)->stars);
    std::free(*stars3d);
    *stars3d = nullptr;
}

void stars3d_set_count(Stars3D* stars3d, int32_t n) {
    if (stars3d == nullptr || n < 1) {
        stars3d_report();
        return;
    }
    std::free(stars3d->stars);
    stars3d->count = n;
    stars3d->stars = static_cast<Star3D*>(std::calloc(static_cast<size_t>(n), sizeof(Star3D)));
    if (stars3d->stars == nullptr) {
        stars3d_report();
        return;
    }
    stars3d_scatter(stars3d);
}

void stars3d_scatter(Stars3D* stars3d) {
    if (!box_ok(stars3d)) {
        stars3d_report();
        return;
    }
    for (int32_t i = stars3d->count - 1; i >= 0; --i) {
        Star3D& p = stars3d->stars[i];
        p.x = fix_from_int(rng_rand() % stars3d->width);
        p.y = fix_from_int(rng_rand() % stars3d->height);
        p.z = fix_from_int(rng_rand() % stars3d->depth);
    }
}

void stars3d_respawn(Stars3D* stars3d, int32_t i) {
    if (!box_ok(stars3d) || i < 0 || i >= stars3d->count) {
        stars3d_report();
        return;
    }
    Star3D& p = stars3d->stars[i];
    p.x = fix_from_int(rng_rand() % stars3d->width);
    p.y = fix_from_int(rng_rand() % stars3d->height);
    p.z = fix_from_int(stars3d->depth - rng_rand() % 16);  // within 15 units of the far end
}

void stars3d_move(Stars3D* stars3d) {
    if (stars3d == nullptr || stars3d->stars == nullptr) {
        stars3d_report();
        return;
    }
    for (int32_t i = 0; i < stars3d->count; ++i) {
        Star3D& p = stars3d->stars[i];
        p.x = wrap_add(p.x, stars3d->vx);
        p.y = wrap_add(p.y, stars3d->vy);
        p.z = wrap_add(p.z, stars3d->vz);
        const int32_t px = fix_to_int(p.x);
        const int32_t py = fix_to_int(p.y);
        const int32_t pz = fix_to_int(p.z);
        if (px < 0 || py < 0 || pz < 0 || px >= stars3d->width || py >= stars3d->height || pz >= stars3d->depth) {
            stars3d_respawn(stars3d, i);
        }
    }
}

void stars3d_draw(Stars3D* stars3d, Img* target) {
    if (stars3d == nullptr || target == nullptr || stars3d->stars == nullptr || stars3d->font == nullptr) {
        stars3d_report();
        return;
    }
    Font* font = stars3d->font;
    font->target = target;
    for_each_projected(stars3d, target, [font](const Projection& pr) {
        font->character = 7 - static_cast<int32_t>((pr.d & 0xE0) >> 5);
        font->pen_x = pr.sx;
        font->pen_y = pr.sy;
        font_draw_char(font);
    });
}

void stars3d_plot(Stars3D* stars3d, Img* target) {
    if (stars3d == nullptr || target == nullptr || stars3d->stars == nullptr) {
        stars3d_report();
        return;
    }
    for_each_projected(stars3d, target, [target](const Projection& pr) {
        const uint32_t g = static_cast<uint32_t>(~pr.d) & 0xFF;
        img_put_pixel(target, pr.sx, pr.sy, g * 0x010101u);
    });
}

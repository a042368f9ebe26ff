#include "effects/spirals.h"

#include <cstdio>
#include <cstdlib>

#include "common/fixed.h"
#include "common/rng.h"
#include "common/sine_table.h"

uint8_t spirals_debug = 0;
ColourDrift colour_drift = COLOUR_DRIFT_START;
const ModuleId spirals_module_id = make_module_id("20101102", "SPIRALS");

namespace {

constexpr int32_t CHANNEL_TOP = 0xFF0000;

bool field_ok(const Spirals* s) {
    return s != nullptr && s->particles != nullptr && s->width >= 1 && s->height >= 1;
}

// One channel of the drift: bounce with a fresh random speed at either end, then move
// and clamp into 0..CHANNEL_TOP.
void drift_channel(int32_t& v, int32_t& d) {
    if (v == CHANNEL_TOP || v == 0) {
        d = wrap_neg(d);
        const int32_t m = static_cast<int32_t>(rng_random() % 0xFFFFF + 4096);
        d = d < 0 ? -m : m;
    }
    int64_t next = static_cast<int64_t>(v) + d;
    if (next > CHANNEL_TOP) next = CHANNEL_TOP;
    if (next < 0) next = 0;
    v = static_cast<int32_t>(next);
}

}  // namespace

void spirals_report() {
    if (spirals_debug) std::puts("SPIRALS error");
}

Spirals* spirals_create() {
    Spirals* s = static_cast<Spirals*>(std::calloc(1, sizeof(Spirals)));
    if (s == nullptr) {
        spirals_report();
        return nullptr;
    }
    s->cx = 128;
    s->cy = 128;
    s->width = 256;
    s->height = 256;
    s->step_a = 1;
    s->step_b = 1;
    s->grow = 1;
    s->max_radius = 256;
    s->colour = 0xFFFFFF;
    spirals_set_count(s, 16);
    return s;
}

void spirals_destroy(Spirals** spirals) {
    if (spirals == nullptr || *spirals == nullptr) {
        spirals_report();
        return;
    }
    std::free((*spirals)->particles);
    std::free(*spirals);
    *spirals = nullptr;
}

void spirals_set_count(Spirals* spirals, int32_t n) {
    if (spirals == nullptr || n < 1) {
        spirals_report();
        return;
    }
    std::free(spirals->particles);
    spirals->count = n;
    spirals->particles = static_cast<Particle*>(std::calloc(static_cast<size_t>(n), sizeof(Particle)));
    spirals_respawn_all(spirals);
}

void spirals_respawn(Spirals* spirals, int32_t i) {
    if (!field_ok(spirals) || i < 0 || i >= spirals->count) {
        spirals_report();
        return;
    }
    Particle& p = spirals->particles[i];
    p.a = rng_rand() % 1023;
    p.b = (p.a + 256) % sine_table.length;
    // Radius range 1.5 x width, formed in 64 bits so a huge width cannot overflow.
    const int64_t range = 3 * static_cast<int64_t>(spirals->width) / 2;
    p.r = static_cast<int32_t>(rng_rand() % range);
}

void spirals_respawn_all(Spirals* spirals) {
    if (!field_ok(spirals)) {
        spirals_report();
        return;
    }
    for (int32_t i = 0; i < spirals->count; ++i) spirals_respawn(spirals, i);
}

void spirals_update(Spirals* spirals) {
    if (spirals == nullptr || spirals->particles == nullptr) {
        spirals_report();
        return;
    }
    // 2^32 is a multiple of the table length, so a wrapped sum reduces to the true angle.
    const int32_t n = sine_table.length;
    for (int32_t i = 0; i < spirals->count; ++i) {
        Particle& p = spirals->particles[i];
        p.a = mod_wrap(wrap_add(p.a, spirals->step_a), n);
        p.b = mod_wrap(wrap_add(p.b, spirals->step_b), n);
        p.r = wrap_add(p.r, spirals->grow);
        if (p.r > spirals->max_radius) spirals_respawn(spirals, i);
    }
}

void spirals_draw(Spirals* spirals) {
    if (spirals == nullptr || spirals->particles == nullptr || spirals->target == nullptr) {
        spirals_report();
        return;
    }
    Img* target = spirals->target;
    spirals->width = target->width;
    spirals->height = target->height;
    if (target->pixels == nullptr || target->width < 0 || target->height < 0) return;
    const uint32_t w = static_cast<uint32_t>(target->width);
    const uint32_t h = static_cast<uint32_t>(target->height);
    for (int32_t i = 0; i < spirals->count; ++i) {
        const Particle& p = spirals->particles[i];
        const int32_t x = wrap_add(mul_shr(sine_at(p.a), p.r, SINE_SHIFT + 1), spirals->cx);
        const int32_t y = wrap_add(mul_shr(sine_at(p.b), p.r, SINE_SHIFT + 1), spirals->cy);
        // One unsigned compare per axis also rejects negative positions.
        if (static_cast<uint32_t>(x) < w && static_cast<uint32_t>(y) < h) {
            target->pixels[static_cast<size_t>(y) * w + static_cast<uint32_t>(x)] = spirals->colour;
        }
    }
}

void colour_drift_step() {
    ColourDrift& c = colour_drift;
    drift_channel(c.r, c.vr);
    drift_channel(c.g, c.vg);
    drift_channel(c.b, c.vb);
    c.colour = (static_cast<uint32_t>(c.r) & 0xFF0000) | ((static_cast<uint32_t>(c.g) >> 8) & 0x00FF00) |
               ((static_cast<uint32_t>(c.b) >> 16) & 0x0000FF);
}

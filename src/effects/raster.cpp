#include "effects/raster.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/wide.h"

const ModuleId raster_module_id = make_module_id("20101026", "RASTER");

namespace {

void raster_error() { std::puts("RASTER error"); }

uint32_t* new_table(int32_t count) {
    return static_cast<uint32_t*>(std::calloc(static_cast<size_t>(count), sizeof(uint32_t)));
}

bool table_ok(const Raster* r) { return r != nullptr && r->colours != nullptr && r->count >= 1; }

bool target_ok(const Img* t) { return t != nullptr && t->pixels != nullptr && t->width >= 0 && t->height >= 0; }

// Table entry for row y: (offset + y) wrapped into the table, whatever the offset.
int32_t entry_for_row(const Raster* r, int32_t y) {
    const int64_t e = (static_cast<int64_t>(r->offset) + y) % r->count;
    return static_cast<int32_t>(e < 0 ? e + r->count : e);
}

// Sum of n consecutive entries from start (0..count-1), wrapping around the table,
// from one channel's prefix sums (prefix[k] = sum of entries 0..k-1).
int64_t cyclic_sum(const int64_t* prefix, int32_t count, int32_t start, int64_t n) {
    const int64_t whole = n / count;
    const int32_t rest = static_cast<int32_t>(n % count);
    int64_t sum = whole * prefix[count];
    if (start + rest <= count) {
        sum += prefix[start + rest] - prefix[start];
    } else {
        sum += prefix[count] - prefix[start] + prefix[start + rest - count];
    }
    return sum;
}

}  // namespace

Raster* raster_create() {
    Raster* r = static_cast<Raster*>(std::calloc(1, sizeof(Raster)));
    if (r == nullptr) {
        raster_error();
        return nullptr;
    }
    r->count = 256;
    r->colours = new_table(r->count);
    if (r->colours == nullptr) raster_error();
    return r;
}

void raster_destroy(Raster** raster) {
    if (raster == nullptr || *raster == nullptr) {
        raster_error();
        return;
    }
    std::free((*raster)->colours);
    std::free(*raster);
    *raster = nullptr;
}

void raster_resize(Raster* raster, int32_t count) {
    if (raster == nullptr || count < 1) {
        raster_error();
        return;
    }
    std::free(raster->colours);
    raster->count = count;
    raster->offset = 0;
    raster->colours = new_table(count);
    if (raster->colours == nullptr) raster_error();
}

WIDE_LOOP void raster_draw(const Raster* raster, Img* target) {
    if (!table_ok(raster) || !target_ok(target)) {
        raster_error();
        return;
    }
    const int32_t w = target->width;
    const int32_t count = raster->count;
    const uint32_t* colours = raster->colours;
    uint32_t* row = target->pixels;
    // One division for the first row; each row after it takes the next entry.
    int32_t entry = entry_for_row(raster, 0);
    for (int32_t y = 0; y < target->height; ++y, row += w) {
        const uint32_t colour = colours[entry];
        // A cache line a step: GCC then stores whole vectors back to back, as memset does.
        int32_t x = 0;
        for (; x + 16 <= w; x += 16)
            for (int32_t k = 0; k < 16; ++k) row[x + k] = colour;
        for (; x < w; ++x) row[x] = colour;
        entry = entry + 1 < count ? entry + 1 : 0;
    }
}

void raster_draw_blend(const Raster* raster, Img* target, int32_t alpha) {
    if (!table_ok(raster) || !target_ok(target)) {
        raster_error();
        return;
    }
    // Outside 0..256 the mix would leave the channel range; hold it at the ends.
    const uint32_t a = static_cast<uint32_t>(alpha < 0 ? 0 : (alpha > 256 ? 256 : alpha));
    const uint32_t keep = 256 - a;
    const int32_t w = target->width;
    uint32_t* row = target->pixels;
    for (int32_t y = 0; y < target->height; ++y, row += w) {
        const uint32_t c = raster->colours[entry_for_row(raster, y)];
        const uint32_t cr = ((c >> 16) & 0xFF) * a, cg = ((c >> 8) & 0xFF) * a, cb = (c & 0xFF) * a;
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t p = row[x];
            const uint32_t r = ((((p >> 16) & 0xFF) * keep + cr) >> 8) & 0xFF;
            const uint32_t g = ((((p >> 8) & 0xFF) * keep + cg) >> 8) & 0xFF;
            const uint32_t b = (((p & 0xFF) * keep + cb) >> 8) & 0xFF;
            row[x] = (r << 16) | (g << 8) | b;
        }
    }
}

void raster_advance(Raster* raster) {
    if (!table_ok(raster)) {
        raster_error();
        return;
    }
    raster->offset = raster->offset < raster->count - 1 ? raster->offset + 1 : 0;
}

void raster_smooth(Raster* raster, int32_t radius) {
    if (!table_ok(raster) || radius < 1) {
        raster_error();
        return;
    }
    const int32_t n = raster->count;
    // Per-channel prefix sums of the old table let each entry's window, which may wrap
    // the table many times for a large radius, be summed in constant time.
    int64_t* prefix = static_cast<int64_t*>(std::calloc(3 * (static_cast<size_t>(n) + 1), sizeof(int64_t)));
    if (prefix == nullptr) {
        raster_error();
        return;
    }
    int64_t* ch[3] = {prefix, prefix + n + 1, prefix + 2 * (static_cast<size_t>(n) + 1)};
    for (int32_t i = 0; i < n; ++i) {
        const uint32_t c = raster->colours[i];
        for (int k = 0; k < 3; ++k) ch[k][i + 1] = ch[k][i] + ((c >> (16 - 8 * k)) & 0xFF);
    }
    const int64_t divisor = 2 * (static_cast<int64_t>(radius) + 1);
    for (int32_t i = 0; i < n; ++i) {
        uint32_t out = 0;
        for (int k = 0; k < 3; ++k) {
            const int64_t* p = ch[k];
            const int64_t self = p[i + 1] - p[i];
            // Entries (i + k) mod n for k = 1..radius.
            int64_t sum = 2 * self + cyclic_sum(p, n, i + 1 == n ? 0 : i + 1, radius);
            // Entries |i - k| mod n: i-1 down to 0 while k <= i, then 1, 2, ... mod n.
            const int32_t below = radius < i ? radius : i;
            sum += p[i] - p[i - below];
            if (radius > i) sum += cyclic_sum(p, n, 1 % n, static_cast<int64_t>(radius) - i);
            out |= static_cast<uint32_t>(sum / divisor) << (16 - 8 * k);
        }
        raster->colours[i] = out;
    }
    std::free(prefix);
}

Raster* raster_clone(const Raster* raster) {
    if (!table_ok(raster)) {
        raster_error();
        return nullptr;
    }
    Raster* r = static_cast<Raster*>(std::calloc(1, sizeof(Raster)));
    uint32_t* table = new_table(raster->count);
    if (r == nullptr || table == nullptr) {
        std::free(r);
        std::free(table);
        raster_error();
        return nullptr;
    }
    std::memcpy(table, raster->colours, static_cast<size_t>(raster->count) * sizeof(uint32_t));
    r->count = raster->count;
    r->colours = table;
    return r;
}

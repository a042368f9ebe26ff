// The 512 x 256 sprite sheet: 32 x 32 cells, cell c at ((c mod 16) * 32, (c div 16) * 32).
// Cells 1, 3, 5, 7 are the star sprites (7 the nearest layer, 1 the farthest), 16-20 the
// background tiles, 23 the swarm sprite, and every printable code its colour letter.
#include <cmath>

#include "art.h"

namespace {

constexpr int32_t CELL = 32;

int32_t cell_x(int32_t c) { return (c % 16) * CELL; }
int32_t cell_y(int32_t c) { return (c / 16) * CELL; }

// ---- letters ---------------------------------------------------------------------------

// One doubling of a two-colour bitmap that rounds off diagonal steps (each pixel becomes
// four, a corner taking the neighbours' value where two agreeing neighbours meet).
void double_bitmap(const uint8_t* in, int32_t n, uint8_t* out) {
    auto at = [&](int32_t x, int32_t y) -> uint8_t {
        return (x < 0 || y < 0 || x >= n || y >= n) ? 0 : in[y * n + x];
    };
    for (int32_t y = 0; y < n; ++y)
        for (int32_t x = 0; x < n; ++x) {
            const uint8_t p = at(x, y), a = at(x, y - 1), b = at(x + 1, y), c = at(x - 1, y), d = at(x, y + 1);
            const uint8_t e0 = (c == a && c != d && a != b) ? a : p;
            const uint8_t e1 = (a == b && a != c && b != d) ? b : p;
            const uint8_t e2 = (d == c && d != b && c != a) ? c : p;
            const uint8_t e3 = (b == d && b != a && d != c) ? d : p;
            out[(2 * y) * 2 * n + 2 * x] = e0;
            out[(2 * y) * 2 * n + 2 * x + 1] = e1;
            out[(2 * y + 1) * 2 * n + 2 * x] = e2;
            out[(2 * y + 1) * 2 * n + 2 * x + 1] = e3;
        }
}

// A 32 x 32 gold letter grown from the 8 x 8 glyph: smoothed twice, shaded from pale gold
// at the top to deep red at the baseline, lit from the top left, with a dark drop shadow
// so it reads over the bright raster bars.
void paint_letter(Canvas* sheet, int32_t code) {
    uint8_t rows[8];
    glyph_rows(code, rows);
    uint8_t small[64], mid[256], big[1024];
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 8; ++x) small[y * 8 + x] = (rows[y] & (0x80 >> x)) ? 1 : 0;
    double_bitmap(small, 8, mid);
    double_bitmap(mid, 16, big);
    auto in = [&](int32_t x, int32_t y) -> bool {
        return x >= 0 && y >= 0 && x < CELL && y < CELL && big[y * CELL + x] != 0;
    };
    const int32_t x0 = cell_x(code), y0 = cell_y(code);
    for (int32_t y = 0; y < CELL; ++y)
        for (int32_t x = 0; x < CELL; ++x) {
            if (!in(x, y)) {
                if (in(x - 2, y - 2) || in(x - 1, y - 2) || in(x - 2, y - 1))
                    canvas_put(sheet, x0 + x, y0 + y, 0x1C0A2E);
                continue;
            }
            // Vertical gold ramp over the capital height (rows 0-27), continued below it.
            const double t = clamp01(static_cast<double>(y) / 27.0);
            auto [r, g, b] = split_ramp(t, {255, 248, 190}, {255, 176, 40}, {255, 176, 40}, {176, 40, 70});
            const bool lit = !in(x - 1, y) || !in(x, y - 1) || !in(x - 1, y - 1);
            const bool shade = !in(x + 1, y) || !in(x, y + 1) || !in(x + 1, y + 1);
            if (lit && !shade) {
                r = mix(r, 255, 0.6), g = mix(g, 255, 0.6), b = mix(b, 240, 0.6);
            } else if (shade && !lit) {
                r *= 0.55, g *= 0.55, b *= 0.6;
            }
            canvas_put(sheet, x0 + x, y0 + y, rgb(r, g, b));
        }
}

// ---- stars -----------------------------------------------------------------------------

double edge(double ax, double ay, double bx, double by, double px, double py) {
    return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
}

bool in_triangle(double ax, double ay, double bx, double by, double cx, double cy, double px, double py) {
    const double d1 = edge(ax, ay, bx, by, px, py);
    const double d2 = edge(bx, by, cx, cy, px, py);
    const double d3 = edge(cx, cy, ax, ay, px, py);
    const bool negative = d1 < 0 || d2 < 0 || d3 < 0;
    const bool positive = d1 > 0 || d2 > 0 || d3 > 0;
    return !(negative && positive);
}

struct StarLook {
    int32_t cell;
    int32_t points;
    double outer, inner;          // radii in pixels
    double r, g, b;               // face colour at full light
    double rotation;              // in turns
};

// A faceted star: each point is two triangles, the one facing the top-left light bright,
// the other darker, with the centre brightest; edges are hard so no dark fringe shows
// over the raster bars.
void paint_star(Canvas* sheet, const StarLook& look) {
    const double cx = 15.5, cy = 15.5;
    const int32_t x0 = cell_x(look.cell), y0 = cell_y(look.cell);
    const int32_t n = look.points;
    for (int32_t y = 0; y < CELL; ++y)
        for (int32_t x = 0; x < CELL; ++x) {
            const double px = x, py = y;
            int32_t facet = -1;
            for (int32_t i = 0; i < 2 * n && facet < 0; ++i) {
                const double a0 = look.rotation + static_cast<double>(i) / (2.0 * n);
                const double a1 = look.rotation + static_cast<double>(i + 1) / (2.0 * n);
                const double r0 = (i % 2 == 0) ? look.outer : look.inner;
                const double r1 = (i % 2 == 0) ? look.inner : look.outer;
                const double ax = cx + r0 * turn_sin(a0), ay = cy - r0 * turn_cos(a0);
                const double bx = cx + r1 * turn_sin(a1), by = cy - r1 * turn_cos(a1);
                if (in_triangle(cx, cy, ax, ay, bx, by, px, py)) facet = i;
            }
            if (facet < 0) continue;
            // Light from the top left: the facet's mid direction against the light direction.
            const double mid = look.rotation + (static_cast<double>(facet) + 0.5) / (2.0 * n);
            const double nx = turn_sin(mid), ny = -turn_cos(mid);
            double light = 0.62 + 0.3 * (-(nx + ny) * 0.7071);
            light += (facet % 2 == 0) ? 0.12 : -0.12;
            const double dx = px - cx, dy = py - cy;
            const double centre = 1.0 - clamp01(std::sqrt(dx * dx + dy * dy) / look.outer);
            light = clamp01(light + 0.35 * centre * centre);
            canvas_put(sheet, x0 + x, y0 + y,
                       rgb(mix(look.r * light, 255, centre * centre * 0.7), mix(look.g * light, 255, centre * centre * 0.7),
                           mix(look.b * light, 255, centre * centre * 0.7)));
        }
}

// ---- tiles -----------------------------------------------------------------------------

// Small deterministic hash for per-brick colour variation.
double noise(int32_t a, int32_t b) {
    uint32_t h = static_cast<uint32_t>(a) * 374761393u + static_cast<uint32_t>(b) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return static_cast<double>((h ^ (h >> 16)) & 0xFFFF) / 65535.0;
}

// Every tile repeats with period 32 on both axes, and every pixel is lifted to at least
// 0x08 in blue so none is the colour key.
void put_tile(Canvas* sheet, int32_t cell, int32_t x, int32_t y, double r, double g, double b) {
    canvas_put(sheet, cell_x(cell) + x, cell_y(cell) + y, rgb(r, g, b < 8 ? 8 : b));
}

void tile_bricks(Canvas* sheet) {
    for (int32_t y = 0; y < CELL; ++y)
        for (int32_t x = 0; x < CELL; ++x) {
            const int32_t row = y / 8, by = y % 8;
            const int32_t shifted = (x + (row % 2) * 8) % CELL;
            const int32_t brick = shifted / 16, bx = shifted % 16;
            if (by == 7 || bx == 15) {
                put_tile(sheet, 16, x, y, 22, 20, 34);
                continue;
            }
            const double v = 0.8 + 0.25 * noise(row, brick);
            double r = 110 * v, g = 46 * v, b = 40 * v;
            if (by == 0 || bx == 0) r *= 1.35, g *= 1.35, b *= 1.35;
            if (by == 6 || bx == 14) r *= 0.7, g *= 0.7, b *= 0.7;
            put_tile(sheet, 16, x, y, r, g, b);
        }
}

void tile_plates(Canvas* sheet) {
    for (int32_t y = 0; y < CELL; ++y)
        for (int32_t x = 0; x < CELL; ++x) {
            double v = 0.55 + 0.08 * turn_sin((x + 2 * y) / 32.0);
            if (x == 0 || y == 0) v = 0.85;
            if (x == 31 || y == 31) v = 0.3;
            for (int32_t k = 0; k < 4; ++k) {
                const double rx = (k % 2 == 0) ? 5.5 : 25.5, ry = (k < 2) ? 5.5 : 25.5;
                const double ex = x - rx, ey = y - ry;
                const double d2 = ex * ex + ey * ey;
                if (d2 <= 4.0) v = 0.95 - 0.15 * (ex + ey);
                else if (d2 <= 6.5 && ex + ey > 0) v = 0.3;
            }
            put_tile(sheet, 17, x, y, 60 * v, 80 * v, 120 * v);
        }
}

// Seamless noise for a tile: a sum of waves whose wave numbers are whole cycles per tile
// (kx, ky), all with |k| between k_low and k_high, in every direction, with phases from the
// hash. With no long waves each tile holds several unlike features, so the 32-pixel grid
// does not stand out. Scaled to a spread of about 1.
double tile_noise(double x, double y, double k_low, double k_high, int32_t seed) {
    double sum = 0;
    int32_t count = 0;
    for (int32_t ky = 0; ky <= 6; ++ky)
        for (int32_t kx = -6; kx <= 6; ++kx) {
            if (ky == 0 && kx <= 0) continue;  // one of each pair of opposite waves
            const double k2 = static_cast<double>(kx * kx + ky * ky);
            if (k2 < k_low * k_low || k2 > k_high * k_high) continue;
            sum += turn_sin((kx * x + ky * y) / 32.0 + noise(kx * 31 + seed, ky));
            ++count;
        }
    return count > 0 ? sum / std::sqrt(count * 0.5) : 0.0;
}

// Water: a fine net of caustic light over deep blue.
void tile_waves(Canvas* sheet) {
    for (int32_t y = 0; y < CELL; ++y)
        for (int32_t x = 0; x < CELL; ++x) {
            const double warp = 1.0 * tile_noise(x, y, 2.5, 3.5, 7);
            const double s = tile_noise(x + warp, y - warp, 2.9, 4.1, 1) / 1.6;
            double c = clamp01(1.0 - (s < 0 ? -s : s));  // 1 along the zero lines
            c = c * c * c;
            const double depth = clamp01(0.5 + 0.12 * tile_noise(x, y, 4.0, 6.0, 3));
            put_tile(sheet, 18, x, y, 10 + 20 * depth + 90 * c, 40 + 36 * depth + 120 * c,
                     90 + 50 * depth + 90 * c);
        }
}

void tile_studs(Canvas* sheet) {
    for (int32_t y = 0; y < CELL; ++y)
        for (int32_t x = 0; x < CELL; ++x) {
            const int32_t qx = x % 16, qy = y % 16;
            const double u = qx - 7.5, w = qy - 7.5;
            double v;
            if (u > -5 && u < 5 && w > -5 && w < 5) v = 0.7;             // flat top
            else if (-u >= (w < 0 ? -w : w) && u < 0) v = 0.95;         // left face
            else if (-w >= (u < 0 ? -u : u) && w < 0) v = 0.85;         // top face
            else if (u >= (w < 0 ? -w : w)) v = 0.4;                    // right face
            else v = 0.3;                                               // bottom face
            const bool odd = ((x / 16) + (y / 16)) % 2 != 0;
            if (odd) put_tile(sheet, 19, x, y, 30 * v, 110 * v, 70 * v);
            else put_tile(sheet, 19, x, y, 30 * v, 90 * v, 100 * v);
        }
}

// Plasma: soft small blobs through a purple, magenta and deep blue palette.
void tile_plasma(Canvas* sheet) {
    for (int32_t y = 0; y < CELL; ++y)
        for (int32_t x = 0; x < CELL; ++x) {
            const double warp = 1.2 * tile_noise(x, y, 3.0, 4.0, 11);
            const double v = clamp01(0.5 + 0.18 * tile_noise(x + warp, y + warp, 3.0, 4.6, 5));
            const double r = 60 + 110 * v;
            const double g = 16 + 30 * v * v;
            const double b = 150 - 60 * v;
            put_tile(sheet, 20, x, y, r, g, b);
        }
}

// ---- swarm sprite ----------------------------------------------------------------------

// A soft blue dot whose every pixel is m times one base colour, (1, 2, 4): the swarm adds
// copies onto a frame that is never cleared, so each frame pixel holds M times that base,
// M the sum of the m of the copies that passed, and its colour depends on M alone. As M
// grows the colour walks one fixed palette: blue rises fastest and wraps first (blue bands,
// each wrap a step of green), green at half its pace, red at a quarter, so the overflow draws
// contour bands instead of noise, and green (about twice red, in 256ths) never stands out
// alone until M passes 21000, beyond any sum the scene reaches. The falloff
// (1 - d^2 / R^2)^2 meets 0 with zero slope, so the sums, and the bands, stay smooth.
// The centre, (24, 48, 96), reads on black as a single copy.
void paint_swarm(Canvas* sheet) {
    constexpr double RADIUS = 10.0;
    constexpr double PEAK = 24;  // m at the centre
    const int32_t x0 = cell_x(23), y0 = cell_y(23);
    for (int32_t y = 0; y < CELL; ++y)
        for (int32_t x = 0; x < CELL; ++x) {
            const double dx = x - 15.5, dy = y - 15.5;
            const double d2 = (dx * dx + dy * dy) / (RADIUS * RADIUS);
            if (d2 >= 1.0) continue;
            const double m = static_cast<double>(static_cast<int32_t>(PEAK * (1.0 - d2) * (1.0 - d2) + 0.5));
            canvas_put(sheet, x0 + x, y0 + y, rgb(m, 2 * m, 4 * m));
        }
}

}  // namespace

bool paint_sprites(Canvas* canvas) {
    if (canvas->width != 512 || canvas->height != 256) return false;
    for (int32_t code = 33; code < 127; ++code) paint_letter(canvas, code);
    paint_star(canvas, StarLook{7, 5, 15.5, 6.5, 255, 214, 90, 0.0});
    paint_star(canvas, StarLook{5, 4, 13.5, 4.0, 150, 230, 255, 0.0});
    paint_star(canvas, StarLook{3, 6, 11.0, 5.0, 190, 170, 255, 0.0});
    paint_star(canvas, StarLook{1, 4, 8.0, 2.5, 200, 220, 230, 0.125});
    tile_bricks(canvas);
    tile_plates(canvas);
    tile_waves(canvas);
    tile_studs(canvas);
    tile_plasma(canvas);
    paint_swarm(canvas);
    return true;
}

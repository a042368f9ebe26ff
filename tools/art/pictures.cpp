// The bubble strip, the mosaic cell strip, the name logo and the emblem half.
#include <cmath>
#include <cstdlib>

#include "art.h"

namespace {

// ---- bubbles ---------------------------------------------------------------------------

// A soap bubble: clear middle, a tinted rim that shifts from blue to pink, a white glint at
// the top left. Far bubbles (low cells) are small with a dimmer middle, but every size keeps
// a rim about one and a half pixels wide and bright, so even the smallest reads on black.
void paint_bubble(Canvas* canvas, int32_t cell) {
    const double depth = static_cast<double>(cell) / 7.0;
    const double radius = 2.6 + 5.3 * depth;
    const double inner = 0.35 + 0.65 * depth;   // brightness of the clear middle
    const double edge = 0.8 + 0.2 * depth;      // brightness of the rim
    const double cx = cell * 16 + 7.5, cy = 7.5;
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = cell * 16; x < cell * 16 + 16; ++x) {
            const double dx = x - cx, dy = y - cy;
            const double d = std::sqrt(dx * dx + dy * dy);
            const double t = d / radius;
            if (t > 1.0) continue;
            const double ring = clamp01((d - (radius - 1.6)) / 1.6);
            const double rim = clamp01(ring * ring + 0.3 * t * t * t * t);
            const double hue = clamp01((dx - dy) / (2.0 * radius) + 0.5);
            const double bright = mix(inner, edge, rim);
            double r = mix(30, mix(110, 255, hue), rim);
            double g = mix(60, mix(210, 140, hue), rim);
            double b = mix(110, 255, rim);
            const double gx = dx + radius * 0.4, gy = dy + radius * 0.4;
            const double glint = clamp01(1.0 - std::sqrt(gx * gx + gy * gy) / (radius * 0.35 + 0.6));
            r = mix(r * bright, 255, glint), g = mix(g * bright, 255, glint), b = mix(b * bright, 255, glint);
            canvas_put(canvas, x, y, rgb(r + 1, g + 1, b + 1));
        }
}

// ---- mosaic cells ----------------------------------------------------------------------

struct Tint {
    double r, g, b;
};

constexpr Tint CELL_TINTS[8] = {
    {235, 60, 60}, {250, 150, 40}, {245, 225, 70}, {70, 210, 90},
    {60, 220, 230}, {70, 110, 250}, {200, 80, 230}, {210, 215, 225},
};

// Three shapes, so the big letters change texture from one showing to the next: the
// bevelled tile and the pyramid cover their whole 16 x 16 square; the ball stands alone,
// its corners 0 (see-through), so the tiles and the logo show between the balls.
void paint_cell(Canvas* canvas, int32_t cell) {
    const Tint tint = CELL_TINTS[cell];
    const int32_t style = cell % 3;
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 16; ++x) {
            const double u = x - 7.5, w = y - 7.5;
            double v;
            if (style == 0) {
                // Bevelled tile: two-pixel lit top/left edge, dark bottom/right, soft face.
                if (x < 2 && y < 16 - x - 1) v = 1.0;
                else if (y < 2 && x < 16 - y - 1) v = 1.0;
                else if (x > 13 || y > 13) v = 0.35;
                else v = 0.75 - 0.02 * (x + y - 14);
            } else if (style == 1) {
                // Pyramid: four faces, light from the top left.
                const double au = u < 0 ? -u : u, aw = w < 0 ? -w : w;
                if (au >= aw) v = u < 0 ? 0.95 : 0.4;
                else v = w < 0 ? 0.8 : 0.3;
            } else {
                // Ball of radius 7, lit from the top left, a dark rim where it turns away.
                const double d2 = (u * u + w * w) / 49.0;
                if (d2 >= 1.0) continue;
                const double z = std::sqrt(1.0 - d2);
                v = clamp01(0.3 + 0.85 * (z * 0.6 + (-u - w) / 7.0 * 0.35));
                if (d2 > 0.8 && u + w > 0) v *= 0.6;
                const double hx = u + 3, hy = w + 3;
                const double spot = clamp01(1.0 - (hx * hx + hy * hy) / 6.0);
                canvas_put(canvas, cell * 16 + x, y,
                           rgb(mix(tint.r * v, 255, spot) + 4, mix(tint.g * v, 255, spot) + 4,
                               mix(tint.b * v, 255, spot) + 4));
                continue;
            }
            canvas_put(canvas, cell * 16 + x, y, rgb(tint.r * v + 4, tint.g * v + 4, tint.b * v + 4));
        }
}

// ---- logo ------------------------------------------------------------------------------

struct Point {
    double x, y;
};

// Stroked glyph outlines of the name, in a unit box (x 0..1 left to right, y 0..1 top to
// bottom); each stroke is a polyline of up to 24 points.
struct Stroke {
    int32_t count;
    Point points[24];
};

struct Letter {
    int32_t strokes;
    Stroke stroke[3];
};

// Appends an arc around (cx, cy) with radii rx, ry from turn a0 to a1 (0 = up, clockwise).
void arc(Stroke* s, double cx, double cy, double rx, double ry, double a0, double a1, int32_t steps) {
    for (int32_t i = 0; i <= steps && s->count < 24; ++i) {
        const double a = a0 + (a1 - a0) * static_cast<double>(i) / steps;
        s->points[s->count++] = Point{cx + rx * turn_sin(a), cy - ry * turn_cos(a)};
    }
}

void add(Stroke* s, double x, double y) {
    if (s->count < 24) s->points[s->count++] = Point{x, y};
}

Letter letter_for(char c) {
    Letter l{};
    Stroke* s = &l.stroke[0];
    switch (c) {
        case 'V':
            l.strokes = 1;
            add(s, 0.0, 0.0), add(s, 0.5, 1.0), add(s, 1.0, 0.0);
            break;
        case 'O':
            l.strokes = 1;
            arc(s, 0.5, 0.5, 0.5, 0.5, 0.0, 1.0, 23);
            break;
        case 'R':
            l.strokes = 2;
            add(s, 0.0, 1.0), add(s, 0.0, 0.0), add(s, 0.62, 0.0);
            arc(s, 0.62, 0.25, 0.35, 0.25, 0.0, 0.5, 10);
            add(s, 0.0, 0.5);
            add(&l.stroke[1], 0.5, 0.5), add(&l.stroke[1], 1.0, 1.0);
            break;
        case 'T':
            l.strokes = 2;
            add(s, 0.0, 0.0), add(s, 1.0, 0.0);
            add(&l.stroke[1], 0.5, 0.0), add(&l.stroke[1], 0.5, 1.0);
            break;
        case '7':
            l.strokes = 1;
            add(s, 0.0, 0.0), add(s, 1.0, 0.0), add(s, 0.3, 1.0);
            break;
        case '1':
            l.strokes = 2;
            add(s, 0.1, 0.25), add(s, 0.55, 0.0), add(s, 0.55, 1.0);
            add(&l.stroke[1], 0.15, 1.0), add(&l.stroke[1], 0.95, 1.0);
            break;
        case '3':
            l.strokes = 1;
            add(s, 0.0, 0.0), add(s, 1.0, 0.0), add(s, 0.42, 0.42);
            arc(s, 0.5, 0.7, 0.5, 0.3, -0.05, 0.62, 16);
            break;
        default:
            break;
    }
    return l;
}

double segment_distance(Point a, Point b, double px, double py) {
    const double vx = b.x - a.x, vy = b.y - a.y;
    const double wx = px - a.x, wy = py - a.y;
    const double len2 = vx * vx + vy * vy;
    const double t = len2 > 0 ? clamp01((wx * vx + wy * vy) / len2) : 0.0;
    const double dx = wx - t * vx, dy = wy - t * vy;
    return std::sqrt(dx * dx + dy * dy);
}

constexpr char LOGO_NAME[] = "VORT7131";
constexpr double LOGO_TOP = 30.0, LOGO_HEIGHT = 62.0, LOGO_WIDTH = 18.0, STROKE = 4.3;

// Signed distance from the pixel centre (px, py) to the name's strokes: negative inside.
double logo_distance(double px, double py) {
    double best = 1e9;
    for (int32_t i = 0; i < 8; ++i) {
        const Letter l = letter_for(LOGO_NAME[i]);
        const double left = i * 32.0 + 16.0 - LOGO_WIDTH / 2.0;
        for (int32_t k = 0; k < l.strokes; ++k) {
            const Stroke& s = l.stroke[k];
            for (int32_t j = 0; j + 1 < s.count; ++j) {
                const Point a{left + s.points[j].x * LOGO_WIDTH, LOGO_TOP + s.points[j].y * LOGO_HEIGHT};
                const Point b{left + s.points[j + 1].x * LOGO_WIDTH, LOGO_TOP + s.points[j + 1].y * LOGO_HEIGHT};
                const double d = segment_distance(a, b, px, py);
                if (d < best) best = d;
            }
        }
    }
    return best - STROKE;
}

}  // namespace

bool paint_bubbles(Canvas* canvas) {
    if (canvas->width != 128 || canvas->height != 16) return false;
    for (int32_t cell = 0; cell < 8; ++cell) paint_bubble(canvas, cell);
    return true;
}

bool paint_cells(Canvas* canvas) {
    if (canvas->width != 128 || canvas->height != 16) return false;
    for (int32_t cell = 0; cell < 8; ++cell) paint_cell(canvas, cell);
    return true;
}

// Chrome letters (sky above the horizon line, warm ground below) with a dark rim and a
// drop shadow, between two thin bars. Hard edges: the logo is keyed over the tiles.
bool paint_logo(Canvas* canvas) {
    if (canvas->width != 256 || canvas->height != 128) return false;
    const int32_t w = canvas->width, h = canvas->height;
    double* field = static_cast<double*>(std::calloc(static_cast<size_t>(w) * static_cast<size_t>(h), sizeof(double)));
    if (field == nullptr) return false;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) field[y * w + x] = logo_distance(x + 0.5, y + 0.5);
    auto at = [&](int32_t x, int32_t y) -> double {
        if (x < 0 || y < 0 || x >= w || y >= h) return 1e9;
        return field[y * w + x];
    };
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            // Bars above and below the name.
            if ((y >= 14 && y <= 16) || (y >= 107 && y <= 109)) {
                const double t = static_cast<double>(x) / (w - 1);
                const double edge = (y == 14 || y == 107) ? 1.25 : (y == 16 || y == 109) ? 0.6 : 1.0;
                canvas_put(canvas, x, y, rgb(mix(60, 230, t) * edge, mix(200, 60, t) * edge, mix(255, 200, t) * edge));
                continue;
            }
            const double d = at(x, y);
            if (d <= 0.0) {
                const double t = clamp01((y + 0.5 - (LOGO_TOP - STROKE)) / (LOGO_HEIGHT + 2 * STROKE));
                // Sky above the horizon line, warm earth below it.
                auto [r, g, b] = split_ramp(t, {40, 70, 170}, {220, 236, 255}, {90, 40, 20}, {255, 196, 120});
                // Bevel from the field's slope: faces turned to the top left catch light.
                const double gx = at(x + 1, y) - at(x - 1, y), gy = at(x, y + 1) - at(x, y - 1);
                if (d > -2.0 && gx < 1e8 && gy < 1e8) {
                    const double facing = -(gx + gy) * 0.3536;  // outward normal against the light
                    if (facing < -0.2) r = mix(r, 255, 0.55), g = mix(g, 255, 0.55), b = mix(b, 255, 0.55);
                    else if (facing > 0.2) r *= 0.55, g *= 0.55, b *= 0.55;
                }
                canvas_put(canvas, x, y, rgb(r, g, b));
            } else if (d <= 1.6) {
                canvas_put(canvas, x, y, 0x0C0C24);
            } else if (at(x - 4, y - 4) <= 1.6) {
                canvas_put(canvas, x, y, 0x140828);
            }
        }
    std::free(field);
    return true;
}

// One half of the emblem: a diamond over a chevron pointing down. Two copies stacked make a
// double rank badge: diamond, chevron, diamond, chevron. The mask is the whole shape; the
// colour half is a raised gold rim seven pixels wide, bevelled (its outer slope and inner
// slope lit or shaded by a light from the top left), a fine engraved line further in and
// a four-pointed star in the diamond; everything else is 0, so the coloured dots show.
bool paint_emblem(Canvas* colour, Canvas* mask) {
    constexpr int32_t W = 256, H = 128;
    constexpr double RIM = 7.0;          // rim width in pixels
    constexpr double LINE = 12.5;        // distance of the engraved line from the outside
    constexpr int32_t REACH = 16;        // farthest distance measured
    if (colour->width != W || colour->height != H || mask->width != W || mask->height != H) return false;
    auto inside = [](int32_t x, int32_t y) -> bool {
        if (x < 0 || y < 0 || x >= W || y >= H) return false;
        const double px = x + 0.5, py = y + 0.5;
        const double ax = px < 128.0 ? 128.0 - px : px - 128.0;
        // Diamond centred at (128, 40).
        if (ax / 30.0 + (py < 40.0 ? 40.0 - py : py - 40.0) / 30.0 <= 1.0) return true;
        // Chevron: between the two V lines, ends cut square at x 8 and 248.
        const double low = 122.0 - 0.62 * ax;
        return px >= 8.0 && px <= 248.0 && py <= low && py >= low - 40.0;
    };
    // Distance from each inside pixel to the nearest outside pixel, up to REACH; 0 outside.
    double* field = static_cast<double*>(std::calloc(static_cast<size_t>(W) * H, sizeof(double)));
    if (field == nullptr) return false;
    for (int32_t y = 0; y < H; ++y)
        for (int32_t x = 0; x < W; ++x) {
            if (!inside(x, y)) continue;
            double best = REACH;
            for (int32_t dy = -REACH; dy <= REACH; ++dy)
                for (int32_t dx = -REACH; dx <= REACH; ++dx) {
                    const double d = std::sqrt(static_cast<double>(dx * dx + dy * dy));
                    if (d < best && !inside(x + dx, y + dy)) best = d;
                }
            field[y * W + x] = best;
        }
    auto at = [&](int32_t x, int32_t y) -> double {
        if (x < 0 || y < 0 || x >= W || y >= H) return 0.0;
        return field[y * W + x];
    };
    for (int32_t y = 0; y < H; ++y)
        for (int32_t x = 0; x < W; ++x) {
            const double d = at(x, y);
            if (d <= 0.0) continue;
            canvas_put(mask, x, y, 0xFFFFFF);
            const double t = static_cast<double>(y) / (H - 1);
            double r = mix(255, 214, t), g = mix(214, 140, t), b = mix(110, 44, t);
            // The four-pointed star in the diamond, centred at (128, 40).
            const double sx = x + 0.5 - 128.0, sy = y + 0.5 - 40.0;
            const double asx = sx < 0 ? -sx : sx, asy = sy < 0 ? -sy : sy;
            const bool star = asx * asy <= 6.0 && asx + asy <= 13.0;
            const bool line = d >= LINE && d < LINE + 1.0;
            if (d > RIM && !line && !star) continue;
            if (star) {
                const double lit = (sx < 0) == (sy < 0) ? 0.25 : -0.2;  // two facets toward the light
                canvas_put(colour, x, y, rgb(mix(r, 255, 0.4 + lit), mix(g, 250, 0.4 + lit), mix(b, 210, 0.4 + lit)));
                continue;
            }
            if (line) {
                canvas_put(colour, x, y, rgb(r * 0.85, g * 0.8, b * 0.7 + 1));
                continue;
            }
            // Outward direction from the field's slope; the outer half of the rim slopes
            // that way, the inner half the other way.
            double gx = at(x - 1, y) - at(x + 1, y), gy = at(x, y - 1) - at(x, y + 1);
            const double length = std::sqrt(gx * gx + gy * gy);
            if (length > 0) gx /= length, gy /= length;
            const double slope = d <= RIM / 2.0 ? 1.0 : -1.0;
            const double facing = -(gx * 0.6 + gy * 0.8) * slope;  // toward the light: positive
            const double crest = 1.0 - clamp01((d - RIM / 2.0) * (d - RIM / 2.0) / (RIM * RIM / 4.0));
            if (facing > 0) {
                const double k = 0.6 * facing;
                r = mix(r, 255, k), g = mix(g, 250, k), b = mix(b, 220, k);
            } else {
                const double k = 1.0 + 0.55 * facing;
                r *= k, g *= k, b *= k;
            }
            r = mix(r, 255, 0.15 * crest), g = mix(g, 245, 0.15 * crest);
            if (d < 1.5 || d > RIM - 1.0) r *= 0.55, g *= 0.5, b *= 0.5;  // dark edges set it off
            canvas_put(colour, x, y, rgb(r, g, b + 1));
        }
    std::free(field);
    return true;
}

#include "demo/icon.h"

namespace {

constexpr int32_t HALF_WIDTH = 128;  // each half of the 256-wide logo
constexpr int32_t FIRST_ROW = 14;    // logo rows 14..109: top rule, letters, bottom rule
constexpr int32_t HALF_ROWS = 96;
constexpr int32_t CORNER = 24;       // radius of the plate's corners
static_assert(2 * HALF_ROWS == ICON_MASTER, "the two halves fill the plate's height");

bool inside_plate(int32_t x, int32_t y) {
    const int32_t cx = x < CORNER ? CORNER - x : x >= ICON_MASTER - CORNER ? x - (ICON_MASTER - CORNER - 1) : 0;
    const int32_t cy = y < CORNER ? CORNER - y : y >= ICON_MASTER - CORNER ? y - (ICON_MASTER - CORNER - 1) : 0;
    return cx * cx + cy * cy <= CORNER * CORNER;
}

// The master pixel at (x, y): 0xFFRRGGBB on the plate, 0 outside it.
uint32_t master_pixel(const Img* logo, int32_t x, int32_t y) {
    if (!inside_plate(x, y)) return 0;
    const int32_t left = (ICON_MASTER - HALF_WIDTH) / 2;
    if (x < left || x >= left + HALF_WIDTH) return 0xFF000000u;
    const int32_t half = y / HALF_ROWS;  // 0: "VORT", 1: "7131"
    const int32_t logo_y = FIRST_ROW + y % HALF_ROWS;
    return 0xFF000000u | (logo->pixels[logo_y * logo->width + half * HALF_WIDTH + x - left] & 0xFFFFFFu);
}

}  // namespace

bool icon_from_logo(const Img* logo, int32_t side, std::span<uint32_t> argb) {
    if (logo == nullptr || logo->pixels == nullptr || logo->width != 2 * HALF_WIDTH ||
        logo->height < FIRST_ROW + HALF_ROWS || side < 1 || side > ICON_MASTER ||
        argb.size() < static_cast<size_t>(side) * static_cast<size_t>(side))
        return false;
    for (int32_t y = 0; y < side; ++y)
        for (int32_t x = 0; x < side; ++x) {
            // Sums of colour weighted by alpha, so the plate's edge does not darken the colours.
            uint32_t r = 0, g = 0, b = 0, a = 0, count = 0;
            for (int32_t my = y * ICON_MASTER / side; my < (y + 1) * ICON_MASTER / side; ++my)
                for (int32_t mx = x * ICON_MASTER / side; mx < (x + 1) * ICON_MASTER / side; ++mx) {
                    const uint32_t p = master_pixel(logo, mx, my);
                    const uint32_t alpha = p >> 24;
                    r += (p >> 16 & 0xFF) * alpha;
                    g += (p >> 8 & 0xFF) * alpha;
                    b += (p & 0xFF) * alpha;
                    a += alpha;
                    ++count;
                }
            uint32_t out = (a + count / 2) / count << 24;
            if (a != 0) out |= (r + a / 2) / a << 16 | (g + a / 2) / a << 8 | (b + a / 2) / a;
            argb[static_cast<size_t>(y) * static_cast<size_t>(side) + static_cast<size_t>(x)] = out;
        }
    return true;
}

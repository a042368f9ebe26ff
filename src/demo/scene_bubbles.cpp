// Scene 2: on a black frame, 128 bubbles fly towards the viewer; over them the sixteen rows
// of the grid text stand in the coloured 16 x 16 font, every character bobbing on its own
// phase of two sines; small L-shaped gradients mark the four corners.
#include "common/fixed.h"
#include "common/sine_table.h"
#include "demo/builtin.h"
#include "demo/demo.h"
#include "demo/failure.h"
#include "demo/scene.h"

namespace {

constexpr int32_t BUBBLES = 128;
constexpr int32_t GRID_SIDE = 16;  // characters per row and rows
constexpr int32_t CELL = 16;       // pixels per character
constexpr int32_t CORNER = 16;     // pixels along each arm of a corner
constexpr uint32_t CORNER_COLOUR = 0x4080F0;
constexpr uint32_t CORNER_STEP = 0x040404;

// The colouring mask of the 16 x 16 font at sheet pixel (x, y): each channel 0x80..0xFC,
// repeating every 32 pixels.
uint32_t font_hex_gradient(int32_t x, int32_t y) {
    const uint32_t red = static_cast<uint32_t>(x & 31) * 4;
    const uint32_t green = static_cast<uint32_t>((255 - x) & 31) * 4;
    const uint32_t blue = static_cast<uint32_t>((255 - y) & 31) * 4;
    return ((red << 16) | (green << 8) | blue) | 0x808080;
}

// Colours the white glyphs of font_hex with a gradient that repeats every 32 pixels; the
// background stays 0. Done once: the counter, the grid and the big letters share the sheet.
void colour_font_hex() {
    Img* sheet = demo.font_hex->sheet;
    Img* gradient = demo_image(sheet->width, sheet->height);
    for (int32_t y = 0; y < gradient->height; ++y)
        for (int32_t x = 0; x < gradient->width; ++x)
            gradient->pixels[static_cast<int64_t>(y) * gradient->width + x] = font_hex_gradient(x, y);
    img_and_mask(gradient, sheet);
    img_destroy(&gradient);
}

void bubbles_setup() {
    demo.font_bubbles = demo_font(demo_picture(pnm_bubbles, pnm_bubbles_size, "bubble strip"), 16, 16);
    demo.bubbles = demo_made(stars3d_create(), "bubble field");
    demo.bubbles->font = demo.font_bubbles;
    stars3d_set_count(demo.bubbles, BUBBLES);
    demo_check(demo.bubbles->count == BUBBLES, "bubble field");
    colour_font_hex();
}

void draw_grid() {
    demo.wave_phase_x = wrap_add(demo.wave_phase_x, 31);
    demo.wave_phase_y = wrap_add(demo.wave_phase_y, 29);
    Font* font = demo.font_hex;
    font->target = demo.frame;
    int32_t px = demo.wave_phase_x;
    int32_t py = demo.wave_phase_y;
    for (int32_t row = 0; row < GRID_SIDE; ++row) {
        for (int32_t column = 0; column < GRID_SIDE; ++column) {
            font->character = text_grid[GRID_SIDE * row + column];
            // >> 12 of a full-scale sine: each character moves by -8..7 pixels.
            font->pen_x = (sine_at(px) >> 12) + CELL * column;
            font->pen_y = (sine_at(py) >> 12) + CELL * row;
            font_draw_char(font);
            px = wrap_add(px, 67);
            py = wrap_add(py, 59);
        }
    }
}

void draw_corners() {
    Img* frame = demo.frame;
    const int32_t w = demo.frame_width;
    const int32_t h = demo.frame_height;
    uint32_t colour = CORNER_COLOUR;
    for (int32_t i = 0; i < CORNER; ++i) {
        img_put_pixel(frame, i, 0, colour);
        img_put_pixel(frame, 0, i, colour);
        img_put_pixel(frame, w - 1 - i, 0, colour);
        img_put_pixel(frame, w - 1, i, colour);
        img_put_pixel(frame, i, h - 1, colour);
        img_put_pixel(frame, 0, h - 1 - i, colour);
        img_put_pixel(frame, w - 1 - i, h - 1, colour);
        img_put_pixel(frame, w - 1, h - 1 - i, colour);
        colour -= CORNER_STEP;
    }
}

void bubbles_frame() {
    img_clear(demo.frame);
    stars3d_move(demo.bubbles);
    stars3d_draw(demo.bubbles, demo.frame);
    draw_grid();
    draw_corners();
}

}  // namespace

constinit const Scene scene_bubbles = {"bubbles", bubbles_setup, nullptr, bubbles_frame, nullptr, 1000};

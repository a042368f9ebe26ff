#pragma once
// ART: paints the demo's seven built-in pictures. Every painter is deterministic (only
// +, -, *, / and sqrt on doubles, no library trigonometry), so two runs, or two builds
// at different optimisation levels, write the same bytes.
#include <cstdint>

// A picture being painted: 0x00RRGGBB pixels, row-major, 0 = transparent.
struct Canvas {
    int32_t width;      // pixels per row
    int32_t height;     // rows
    uint32_t* pixels;   // owned, calloc'd width * height words
};

bool canvas_make(Canvas* canvas, int32_t width, int32_t height);       // all 0; false on failure
void canvas_free(Canvas* canvas);                                       // frees, leaves an empty canvas
void canvas_put(Canvas* canvas, int32_t x, int32_t y, uint32_t colour); // outside: ignored
uint32_t canvas_get(const Canvas* canvas, int32_t x, int32_t y);       // outside: 0

// Colour and maths helpers for the painters.
uint32_t rgb(double r, double g, double b);            // channels 0..255, clamped and rounded
double turn_sin(double turns);                          // sine of an angle in whole turns
double turn_cos(double turns);                          // cosine of an angle in whole turns
double clamp01(double v);                               // v limited to 0..1
double mix(double a, double b, double t);               // a + (b - a) * t
struct Rgb3 { double r, g, b; };                        // a colour in 0..255 per channel, unrounded
Rgb3 split_ramp(double t, Rgb3 a0, Rgb3 a1, Rgb3 b0, Rgb3 b1);  // a0 -> a1 over t 0..0.5, then b0 -> b1 to 1

// The 8 x 8 character set: 288 codes, rows top first, bit 7 = leftmost pixel.
constexpr int32_t GLYPH_CODES = 288;
void glyph_rows(int32_t code, uint8_t rows[8]);        // all 0 for codes without a glyph

// Painters, each onto a canvas already made at the block's size; false on failure.
bool paint_charset(Canvas* canvas);        // 128 x 144, glyph pixels 0xFFFFFF
bool paint_sprites(Canvas* canvas);        // 512 x 256: stars, tiles, swarm sprite, letters
bool paint_bubbles(Canvas* canvas);        // 128 x 16
bool paint_cells(Canvas* canvas);          // 128 x 16
bool paint_logo(Canvas* canvas);           // 256 x 128
bool paint_emblem(Canvas* colour, Canvas* mask);  // 256 x 128 each; mask pixels 0xFFFFFF inside

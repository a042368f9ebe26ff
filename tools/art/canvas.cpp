// Canvas storage and the small numeric helpers shared by the painters.
#include <cmath>
#include <cstdlib>

#include "art.h"

bool canvas_make(Canvas* canvas, int32_t width, int32_t height) {
    canvas->width = 0;
    canvas->height = 0;
    canvas->pixels = nullptr;
    if (width < 1 || height < 1 || width > 4096 || height > 4096) return false;
    void* memory = std::calloc(static_cast<size_t>(width) * static_cast<size_t>(height), sizeof(uint32_t));
    if (memory == nullptr) return false;
    canvas->pixels = static_cast<uint32_t*>(memory);
    canvas->width = width;
    canvas->height = height;
    return true;
}

void canvas_free(Canvas* canvas) {
    std::free(canvas->pixels);
    canvas->pixels = nullptr;
    canvas->width = 0;
    canvas->height = 0;
}

void canvas_put(Canvas* canvas, int32_t x, int32_t y, uint32_t colour) {
    if (x < 0 || y < 0 || x >= canvas->width || y >= canvas->height) return;
    canvas->pixels[static_cast<size_t>(y) * static_cast<size_t>(canvas->width) + static_cast<size_t>(x)] = colour;
}

uint32_t canvas_get(const Canvas* canvas, int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= canvas->width || y >= canvas->height) return 0;
    return canvas->pixels[static_cast<size_t>(y) * static_cast<size_t>(canvas->width) + static_cast<size_t>(x)];
}

namespace {
uint32_t channel(double v) {
    if (!(v > 0.0)) return 0;
    if (v >= 255.0) return 255;
    return static_cast<uint32_t>(v + 0.5);
}
}  // namespace

uint32_t rgb(double r, double g, double b) { return (channel(r) << 16) | (channel(g) << 8) | channel(b); }

double clamp01(double v) { return v < 0.0 ? 0.0 : (v > 1.0 ? 1.0 : v); }

double mix(double a, double b, double t) { return a + (b - a) * t; }

Rgb3 split_ramp(double t, Rgb3 a0, Rgb3 a1, Rgb3 b0, Rgb3 b1) {
    if (t < 0.5) {
        const double u = t / 0.5;
        return {mix(a0.r, a1.r, u), mix(a0.g, a1.g, u), mix(a0.b, a1.b, u)};
    }
    const double u = (t - 0.5) / 0.5;
    return {mix(b0.r, b1.r, u), mix(b0.g, b1.g, u), mix(b0.b, b1.b, u)};
}

// Reduced to a quarter turn and summed as a Taylor series: plain arithmetic only, so the
// result does not depend on the maths library or on constant folding.
double turn_sin(double turns) {
    double t = turns - std::floor(turns);  // 0..1
    double sign = 1.0;
    if (t >= 0.5) {
        t -= 0.5;
        sign = -1.0;
    }
    if (t > 0.25) t = 0.5 - t;
    const double x = t * 6.283185307179586;
    const double x2 = x * x;
    double term = x;
    double sum = x;
    for (int n = 1; n < 12; ++n) {
        term = -term * x2 / static_cast<double>((2 * n) * (2 * n + 1));
        sum += term;
    }
    return sign * sum;
}

double turn_cos(double turns) { return turn_sin(turns + 0.25); }

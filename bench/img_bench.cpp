// IMG hot paths: a glyph blit, a whole-frame fade, the start-up scaler and the mask.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "image/img.h"

namespace {

Img* patterned(int32_t w, int32_t h) {
    Img* img = img_create();
    img_resize(img, w, h);
    uint32_t v = 0x12345u;
    for (int32_t i = 0; i < w * h; ++i) {
        v = v * 1103515245u + 12345u;
        img->pixels[i] = (i % 3 == 0) ? 0 : (v >> 8) & 0xFFFFFF;  // a third transparent
    }
    return img;
}

void BM_ImgBlitKeyGlyph32(benchmark::State& state) {
    Img* glyph = patterned(32, 32);
    Img* frame = patterned(256, 256);
    int32_t x = 0;
    for (auto _ : state) {
        img_blit_key(glyph, frame, 0, 0, x, 100, 32, 32);
        x = (x + 7) & 255;  // partly off the right edge now and then
        benchmark::DoNotOptimize(frame->pixels);
    }
    img_destroy(&glyph);
    img_destroy(&frame);
}
BENCHMARK(BM_ImgBlitKeyGlyph32);

void BM_ImgFade256(benchmark::State& state) {
    Img* frame = patterned(256, 256);
    for (auto _ : state) {
        img_fade(frame, 8);
        benchmark::DoNotOptimize(frame->pixels);
    }
    img_destroy(&frame);
}
BENCHMARK(BM_ImgFade256);

void BM_ImgScale512x256To1024x512(benchmark::State& state) {
    Img* source = patterned(512, 256);
    Img* destination = img_create();
    img_resize(destination, 1024, 512);
    for (auto _ : state) {
        img_scale(source, destination);
        benchmark::DoNotOptimize(destination->pixels);
    }
    img_destroy(&source);
    img_destroy(&destination);
}
BENCHMARK(BM_ImgScale512x256To1024x512);

void BM_ImgAndMask256(benchmark::State& state) {
    Img* mask = patterned(256, 256);
    Img* target = patterned(256, 256);
    for (auto _ : state) {
        img_and_mask(mask, target);
        benchmark::DoNotOptimize(target->pixels);
    }
    img_destroy(&mask);
    img_destroy(&target);
}
BENCHMARK(BM_ImgAndMask256);

}  // namespace

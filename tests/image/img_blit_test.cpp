// IMG: blits, wraps, the scaler and rotation, checked against direct per-pixel models.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "image/img.h"

namespace {

Img* sized(int32_t w, int32_t h) {
    Img* img = img_create();
    img_resize(img, w, h);
    return img;
}

// Pixel (x, y) holds 1 + x + 4096 y, with a few zeros (the colour key) scattered in.
Img* coded(int32_t w, int32_t h, bool with_holes = false) {
    Img* img = sized(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            img->pixels[y * w + x] = (with_holes && (x + 2 * y) % 5 == 0) ? 0 : static_cast<uint32_t>(1 + x + 4096 * y);
    return img;
}

// Runs f with img_debug set and returns what it printed.
template <typename F>
std::string printed(F f) {
    img_debug = 1;
    testing::internal::CaptureStdout();
    f();
    img_debug = 0;
    return testing::internal::GetCapturedStdout();
}

int count_drawn(const Img* img) {
    int n = 0;
    for (int32_t i = 0; i < img->width * img->height; ++i) n += img->pixels[i] != 0;
    return n;
}

int32_t coded_x(uint32_t p) { return static_cast<int32_t>((p - 1) % 4096); }
int32_t coded_y(uint32_t p) { return static_cast<int32_t>((p - 1) / 4096); }

// What a keyed or additive blit must do, decided per destination pixel from scratch.
Img* blit_model(const Img* s, const Img* d, int64_t sx, int64_t sy, int64_t dx, int64_t dy, int64_t w, int64_t h,
                bool add) {
    Img* out = img_clone(d);
    for (int64_t y = 0; y < d->height; ++y) {
        for (int64_t x = 0; x < d->width; ++x) {
            const int64_t c = x - dx, r = y - dy;
            if (c < 0 || r < 0 || c >= w || r >= h) continue;
            const int64_t px = sx + c, py = sy + r;
            if (px < 0 || py < 0 || px >= s->width || py >= s->height) continue;
            const uint32_t v = s->pixels[py * s->width + px];
            uint32_t& o = out->pixels[y * d->width + x];
            if (add) o += v;
            else if (v != 0) o = v;
        }
    }
    return out;
}

struct Rect {
    int32_t sx, sy, dx, dy, w, h;
};

std::string describe(const Rect& r) {
    return std::to_string(r.sx) + "," + std::to_string(r.sy) + " -> " + std::to_string(r.dx) + "," +
           std::to_string(r.dy) + " " + std::to_string(r.w) + "x" + std::to_string(r.h);
}

}  // namespace

TEST(ImgBlit, KeyAndAddClipLikeThePerPixelModel) {
    Img* source = coded(16, 12, true);
    Img* destination = sized(40, 24);
    for (int i = 0; i < 40 * 24; ++i) destination->pixels[i] = static_cast<uint32_t>(0x100000 + i);
    std::vector<Rect> cases = {
        {0, 0, 0, 0, 16, 12},        {0, 0, -8, 0, 16, 12},      {0, 0, 32, 0, 16, 12},
        {0, 0, 0, -5, 16, 12},       {0, 0, 0, 20, 16, 12},      {-4, 0, 10, 0, 16, 12},
        {0, -3, 5, 5, 16, 12},       {-4, -3, -2, -1, 30, 30},   {10, 8, 38, 22, 100, 100},
        {16, 0, 0, 0, 4, 4},         {0, 12, 0, 0, 4, 4},        {-20, 0, 0, 0, 20, 4},
        {0, 0, 40, 0, 4, 4},         {0, 0, -4, 0, 4, 4},        {0, 0, -3, 0, 4, 4},
        {0, 0, 0, 0, 0, 5},          {0, 0, 0, 0, -3, 5},        {2, 2, 2, 2, 1, 1},
        {INT32_MAX, 0, 0, 0, 4, 4},  {0, 0, INT32_MAX, 0, INT32_MAX, 4},
        {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX},
        {INT32_MIN, 0, 0, 0, INT32_MAX, 12},  {-5, 0, INT32_MIN, 0, INT32_MAX, 12},
        {0, 0, 30, 0, INT32_MAX, INT32_MAX},  {3, 3, INT32_MIN + 1, 0, INT32_MAX, 4}};
    uint32_t seed = 12345;
    const auto next = [&](int32_t lo, int32_t hi) {
        seed = seed * 1103515245u + 12345u;
        return lo + static_cast<int32_t>((seed >> 8) % static_cast<uint32_t>(hi - lo + 1));
    };
    for (int i = 0; i < 200; ++i)
        cases.push_back({next(-20, 20), next(-20, 20), next(-30, 45), next(-20, 30), next(-5, 40), next(-5, 30)});
    for (const Rect& r : cases) {
        for (const bool add : {false, true}) {
            Img* want = blit_model(source, destination, r.sx, r.sy, r.dx, r.dy, r.w, r.h, add);
            Img* got = img_clone(destination);
            if (add) img_blit_add(source, got, r.sx, r.sy, r.dx, r.dy, r.w, r.h);
            else img_blit_key(source, got, r.sx, r.sy, r.dx, r.dy, r.w, r.h);
            EXPECT_EQ(img_equal(want, got), 1) << (add ? "add " : "key ") << describe(r);
            img_destroy(&want);
            img_destroy(&got);
        }
    }
    img_destroy(&source);
    img_destroy(&destination);
}

TEST(ImgBlit, ListedExamplesAndCarry) {
    Img* source = coded(16, 16);
    Img* destination = sized(64, 32);
    // {dx, first x drawn, source column there, last x drawn, source column there}
    const int32_t cases[][5] = {{-8, 0, 8, 7, 15}, {56, 56, 0, 63, 7}};
    for (const auto& c : cases) {
        img_clear(destination);
        img_blit_key(source, destination, 0, 0, c[0], 0, 16, 16);
        EXPECT_EQ(coded_x(destination->pixels[c[1]]), c[2]);
        EXPECT_EQ(coded_x(destination->pixels[c[3]]), c[4]);
        EXPECT_EQ(count_drawn(destination), 8 * 16);
    }
    img_clear(destination);
    img_blit_key(source, destination, -4, 0, 10, 0, 16, 16);  // source columns 0-11 at x = 14-25
    EXPECT_EQ(coded_x(destination->pixels[14]), 0);
    EXPECT_EQ(coded_x(destination->pixels[25]), 11);
    EXPECT_EQ(count_drawn(destination), 12 * 16);

    Img* one = sized(2, 1);
    Img* target = sized(2, 1);
    one->pixels[0] = 0x000001;
    one->pixels[1] = 0x01FFFFFF;
    target->pixels[0] = 0x0000FF;
    target->pixels[1] = 0xFF000001;
    img_blit_add(one, target, 0, 0, 0, 0, 2, 1);
    EXPECT_EQ(target->pixels[0], 0x000100u);    // blue carries into green
    EXPECT_EQ(target->pixels[1], 0x01000000u);  // and red into the top byte, wrapping the word
    EXPECT_EQ(printed([&] {
                  img_blit_key(nullptr, target, 0, 0, 0, 0, 1, 1);
                  img_blit_add(one, nullptr, 0, 0, 0, 0, 1, 1);
              }),
              "IMG error\nIMG error\n");
    for (Img** p : {&source, &destination, &one, &target}) img_destroy(p);
}

TEST(ImgBlit, SteppedAndHalf) {
    Img* source = coded(6, 5, true);
    Img* destination = sized(20, 12);
    const Rect cases[] = {{0, 0, 0, 0, 6, 5},    {1, 1, 3, 2, 4, 3},     {-2, -1, 0, 0, 6, 5},
                          {0, 0, -5, -4, 6, 5},  {0, 0, 15, 9, 6, 5},    {0, 0, INT32_MAX, 0, 6, 5},
                          {INT32_MIN, 0, 0, 0, INT32_MAX, 5}, {0, 0, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}};
    for (const int32_t step : {1, 2, 3, 7}) {
        for (const Rect& r : cases) {
            Img* want = img_clone(destination);
            for (int64_t py = 0; py < 5; ++py) {
                for (int64_t px = 0; px < 6; ++px) {
                    const int64_t col = px - r.sx, row = py - r.sy;
                    if (col < 0 || row < 0 || col >= r.w || row >= r.h) continue;
                    const int64_t qx = int64_t{r.dx} + col * step, qy = int64_t{r.dy} + row * (step + 1);
                    if (qx < 0 || qy < 0 || qx >= 20 || qy >= 12) continue;
                    const uint32_t v = source->pixels[py * 6 + px];
                    if (v != 0) want->pixels[qy * 20 + qx] = v;
                }
            }
            Img* got = img_clone(destination);
            img_blit_stepped(source, got, r.sx, r.sy, r.dx, r.dy, r.w, r.h, step, step + 1);
            EXPECT_EQ(img_equal(want, got), 1) << "step " << step << " " << describe(r);
            img_destroy(&want);
            img_destroy(&got);
        }
    }
    EXPECT_EQ(printed([&] { img_blit_stepped(source, destination, 0, 0, 0, 0, 6, 5, 0, 1); }), "IMG error\n");

    Img* a = sized(2, 1);
    Img* b = sized(3, 1);
    a->pixels[0] = 0xFFFEFEFE;
    b->pixels[0] = 0x00020203;
    b->pixels[1] = 0x00123456;
    b->pixels[2] = 0x00404040;
    img_blit_half(a, b, 0, 0);
    EXPECT_EQ(b->pixels[0], 0x00808080u);  // low bits and the top byte drop out
    EXPECT_EQ(b->pixels[1], 0x00123456u);  // source 0 leaves the destination
    a->pixels[1] = 0x00202020;
    img_blit_half(a, b, 2, 0);  // clipped to one column
    EXPECT_EQ(b->pixels[2], 0x007F7F7Fu + 0x00202020u);
    for (Img** p : {&a, &b, &source, &destination}) img_destroy(p);
}

TEST(ImgBlit, ColumnWrap) {
    Img* strip = coded(2, 16, false);
    Img* destination = sized(4, 256);
    for (const int32_t o : {250, -6}) {
        img_clear(destination);
        img_copy_column_wrap(strip, destination, 1, 2, o);
        for (int32_t y = 0; y < 256; ++y) {
            const uint32_t p = destination->pixels[y * 4 + 2];
            if (y >= 250) {
                EXPECT_EQ(coded_y(p), y - 250) << o;
            } else if (y <= 9) {
                EXPECT_EQ(coded_y(p), y + 6) << o;
            } else {
                EXPECT_EQ(p, 0u) << o << " row " << y;
            }
            if (p != 0) {
                EXPECT_EQ(coded_x(p), 1);
            }
        }
    }
    // A source taller than the destination is cut at one destination height; zeros skip.
    Img* tall = coded(1, 300, false);
    tall->pixels[0] = 0;
    Img* small = sized(1, 8);
    for (int i = 0; i < 8; ++i) small->pixels[i] = 0xAB;
    img_copy_column_wrap(tall, small, 0, 0, INT32_MIN);  // INT32_MIN mod 8 = 0
    EXPECT_EQ(small->pixels[0], 0xABu);
    for (int y = 1; y < 8; ++y) EXPECT_EQ(coded_y(small->pixels[y]), y);
    img_copy_column_wrap(tall, small, 0, 0, 3);
    EXPECT_EQ(coded_y(small->pixels[3]), 3) << "source 0 is skipped: row 3 keeps its pixel";
    EXPECT_EQ(coded_y(small->pixels[7]), 4);
    EXPECT_EQ(coded_y(small->pixels[0]), 5);
    EXPECT_EQ(coded_y(small->pixels[2]), 7);
    EXPECT_EQ(printed([&] {
                  img_copy_column_wrap(strip, destination, 2, 0, 0);
                  img_copy_column_wrap(strip, destination, 0, 4, 0);
                  img_copy_column_wrap(strip, destination, -1, 0, 0);
              }),
              "IMG error\nIMG error\nIMG error\n");
    for (Img** p : {&strip, &destination, &tall, &small}) img_destroy(p);
}

TEST(ImgBlit, RowWraps) {
    Img* source = sized(4, 2);
    Img* destination = sized(6, 2);
    const uint32_t row[] = {1, 2, 0, 4};
    for (int i = 0; i < 4; ++i) source->pixels[4 + i] = row[i];
    for (const int32_t offset : {4, -2, 10}) {
        for (int i = 0; i < 12; ++i) destination->pixels[i] = 0x10;
        img_or_row_wrap(source, destination, 1, 0, offset);
        const uint32_t ored[] = {0x10, 0x14, 0x10, 0x10, 0x11, 0x12};
        for (int i = 0; i < 6; ++i) EXPECT_EQ(destination->pixels[i], ored[i]) << offset << " col " << i;
        img_copy_row_wrap(source, destination, 1, 1, offset);
        const uint32_t copied[] = {0x10, 4, 0x10, 0x10, 1, 2};
        for (int i = 0; i < 6; ++i) EXPECT_EQ(destination->pixels[6 + i], copied[i]) << offset << " col " << i;
    }
    Img* narrow = sized(3, 1);  // a wider source gives only the destination's width
    img_or_row_wrap(source, narrow, 1, 0, INT32_MIN + 1);  // offset mod 3 = 2
    EXPECT_EQ(narrow->pixels[0] * 100 + narrow->pixels[1] * 10 + narrow->pixels[2], 201u);
    EXPECT_EQ(printed([&] {
                  img_or_row_wrap(source, destination, 2, 0, 0);
                  img_copy_row_wrap(source, destination, 0, -1, 0);
              }),
              "IMG error\nIMG error\n");
    for (Img** p : {&source, &destination, &narrow}) img_destroy(p);
}

TEST(ImgScale, RunTableCountsIndicesPerRun) {
    const int32_t pairs[][2] = {{7, 3}, {16, 16}, {32, 2}, {100, 33}, {9, 1}, {5, 0}, {0, 0}, {1024, 1000}};
    for (const auto& p : pairs) {
        const int32_t a = p[0], b = p[1];
        int32_t* table = img_run_table(a, b);
        ASSERT_NE(table, nullptr);
        for (int32_t k = 0; k < b; ++k) {
            int32_t n = 0;
            for (int32_t i = 0; i < a; ++i) n += static_cast<int64_t>(i) * b / a == k;
            EXPECT_EQ(table[k], n) << a << "/" << b << " k " << k;
        }
        std::free(table);
    }
    EXPECT_EQ(img_run_table(3, 4), nullptr);
    EXPECT_EQ(img_run_table(3, -1), nullptr);
    EXPECT_EQ(img_run_table(INT32_MAX, 1), nullptr);
}

TEST(ImgScale, IndexMappingInAllFourCases) {
    const auto ceil_div = [](int64_t n, int64_t d) { return (n + d - 1) / d; };
    const int32_t sizes[] = {1, 3, 7, 13, 16, 33, 100};
    for (const int32_t sw : sizes) {
        for (const int32_t dw : sizes) {
            for (const int32_t sh : {1, 5, 16, 40}) {
                for (const int32_t dh : {1, 3, 16, 64}) {
                    Img* source = coded(sw, sh);
                    Img* destination = sized(dw, dh);
                    img_scale(source, destination);
                    const bool rows_first_of_run = dw >= sw && dh < sh;
                    bool ok = true;
                    for (int32_t y = 0; y < dh && ok; ++y) {
                        const int64_t want_y = dh >= sh ? int64_t{y} * sh / dh
                                               : rows_first_of_run ? ceil_div(int64_t{y} * sh, dh)
                                                                   : ceil_div(int64_t{y + 1} * sh, dh) - 1;
                        for (int32_t x = 0; x < dw && ok; ++x) {
                            const int64_t want_x = dw >= sw ? int64_t{x} * sw / dw : ceil_div(int64_t{x + 1} * sw, dw) - 1;
                            const uint32_t p = destination->pixels[y * dw + x];
                            ok = coded_x(p) == want_x && coded_y(p) == want_y;
                            if (!ok)
                                ADD_FAILURE() << sw << "x" << sh << " -> " << dw << "x" << dh << " at " << x << "," << y
                                            << " shows " << coded_x(p) << "," << coded_y(p);
                        }
                    }
                    img_destroy(&source);
                    img_destroy(&destination);
                }
            }
        }
    }
}

TEST(ImgScale, ListedExamplesAndEmptySizes) {
    Img* source = coded(128, 144, true);
    Img* big = sized(256, 288);
    img_scale(source, big);
    for (int32_t y = 0; y < 288; ++y)
        for (int32_t x = 0; x < 256; ++x) ASSERT_EQ(big->pixels[y * 256 + x], source->pixels[(y / 2) * 128 + x / 2]);
    Img* glyph = coded(32, 32);
    Img* thin = sized(2, 32);
    img_scale(glyph, thin);
    EXPECT_EQ(coded_x(thin->pixels[0]), 15);
    EXPECT_EQ(coded_x(thin->pixels[1]), 31);
    EXPECT_EQ(coded_y(thin->pixels[2 * 31]), 31);
    Img* same = sized(32, 32);
    img_scale(glyph, same);
    EXPECT_EQ(img_equal(glyph, same), 1);
    // Nothing to draw into or from: no change, no failure.
    Img* empty = sized(0, 32);
    img_scale(glyph, empty);
    img_scale(empty, same);
    EXPECT_EQ(img_equal(glyph, same), 1);
    EXPECT_EQ(printed([&] { img_scale(nullptr, same); }), "IMG error\n");
    for (Img** img : {&source, &big, &glyph, &thin, &same, &empty}) img_destroy(img);
}

TEST(ImgRotate, SizeCentreAndRefusal) {
    Img* source = coded(16, 10);
    Img* turned = img_rotate(source, 0);
    ASSERT_NE(turned, nullptr);
    EXPECT_EQ(turned->width, 22);  // (16 * 92667) >> 16
    EXPECT_EQ(turned->height, 14);
    EXPECT_EQ(turned->pixels[7 * 22 + 11], source->pixels[5 * 16 + 8]);  // centre onto centre
    EXPECT_EQ(turned->pixels[0], 0u);                                     // outside the source
    img_destroy(&turned);
    turned = img_rotate(source, 256 + 1024 * 5);  // a quarter turn, whole turns ignored
    ASSERT_NE(turned, nullptr);
    EXPECT_EQ(turned->pixels[7 * 22 + 11], source->pixels[5 * 16 + 8]);
    // A quarter turn stands the 16-wide source upright: the far left and right columns
    // of the new picture fall outside it, the middle column is filled top to bottom.
    for (int32_t y = 3; y < 11; ++y) EXPECT_NE(turned->pixels[y * 22 + 11], 0u) << y;
    EXPECT_EQ(turned->pixels[7 * 22 + 0], 0u);
    EXPECT_EQ(turned->pixels[7 * 22 + 21], 0u);
    img_destroy(&turned);
    EXPECT_EQ(img_rotate(nullptr, 0), nullptr);
    Img* huge = sized(8192, 8192);  // the largest accepted picture; its rotation is not
    ASSERT_EQ(huge->width, 8192);
    EXPECT_EQ(img_rotate(huge, 3), nullptr);
    img_destroy(&huge);
    img_destroy(&source);
}

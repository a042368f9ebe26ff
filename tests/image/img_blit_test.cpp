// IMG: blits, wraps, the scaler and rotation, checked against direct per-pixel models.
#include <cstdlib>
#include <ostream>
#include <utility>
#include <vector>

#include "image/image_fixtures.h"

namespace {

struct Rect {
    int32_t sx, sy, dx, dy, w, h;
};

std::ostream& operator<<(std::ostream& out, const Rect& r) {
    return out << r.sx << "," << r.sy << " -> " << r.dx << "," << r.dy << " " << r.w << "x" << r.h;
}

// What a rectangle blit must do, decided per source pixel from scratch: source pixel
// (sx + c, sy + r) of the rectangle lands on (dx + c * x_step, dy + r * y_step) when both
// are inside their pictures; add sums, otherwise source 0 is skipped.
Img* blit_model(const Img* s, const Img* d, const Rect& r, bool add, int64_t x_step = 1, int64_t y_step = 1) {
    Img* out = img_clone(d);
    for (int64_t py = 0; py < s->height; ++py) {
        for (int64_t px = 0; px < s->width; ++px) {
            const int64_t c = px - r.sx, row = py - r.sy;
            if (c < 0 || row < 0 || c >= r.w || row >= r.h) continue;
            const int64_t x = r.dx + c * x_step, y = r.dy + row * y_step;
            if (x < 0 || y < 0 || x >= d->width || y >= d->height) continue;
            const uint32_t v = s->pixels[py * s->width + px];
            uint32_t& o = out->pixels[y * d->width + x];
            if (add) o += v;
            else if (v != 0) o = v;
        }
    }
    return out;
}

}  // namespace

TEST(ImgBlit, KeyAndAddClipLikeThePerPixelModel) {
    Img* source = coded(16, 12, true);
    Img* destination = sized(40, 24);
    for (int i = 0; i < 40 * 24; ++i) destination->pixels[i] = static_cast<uint32_t>(0x100000 + i);
    const Rect cases[] = {
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
    for (const Rect& r : cases) {
        for (const bool add : {false, true}) {
            Img* want = blit_model(source, destination, r, add);
            Img* got = img_clone(destination);
            (add ? img_blit_add : img_blit_key)(source, got, r.sx, r.sy, r.dx, r.dy, r.w, r.h);
            EXPECT_EQ(img_equal(want, got), 1) << (add ? "add " : "key ") << r;
            img_destroy(&want);
            img_destroy(&got);
        }
    }
    img_destroy(&source);
    img_destroy(&destination);
}

TEST(ImgBlit, ListedExamples) {
    Img* source = coded(16, 16);
    Img* destination = sized(64, 32);
    // {sx, dx, first x drawn, its source column, last x drawn, its source column, columns drawn}
    const int32_t cases[][7] = {{0, -8, 0, 8, 7, 15, 8}, {0, 56, 56, 0, 63, 7, 8}, {-4, 10, 14, 0, 25, 11, 12}};
    for (const auto& c : cases) {
        img_clear(destination);
        img_blit_key(source, destination, c[0], 0, c[1], 0, 16, 16);
        EXPECT_EQ(coded_x(destination->pixels[c[2]]), c[3]);
        EXPECT_EQ(coded_x(destination->pixels[c[4]]), c[5]);
        EXPECT_EQ(count_set(destination), c[6] * 16);
    }
    for (Img** p : {&source, &destination}) img_destroy(p);
}

TEST(ImgBlit, SteppedAndHalf) {
    Img* source = coded(6, 5, true);
    Img* destination = sized(20, 12);
    const Rect cases[] = {{0, 0, 0, 0, 6, 5},    {1, 1, 3, 2, 4, 3},     {-2, -1, 0, 0, 6, 5},
                          {0, 0, -5, -4, 6, 5},  {0, 0, 15, 9, 6, 5},    {0, 0, INT32_MAX, 0, 6, 5},
                          {INT32_MIN, 0, 0, 0, INT32_MAX, 5}, {0, 0, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}};
    for (const int32_t step : {1, 2, 3, 7}) {
        for (const Rect& r : cases) {
            Img* want = blit_model(source, destination, r, false, step, step + 1);
            Img* got = img_clone(destination);
            img_blit_stepped(source, got, r.sx, r.sy, r.dx, r.dy, r.w, r.h, step, step + 1);
            EXPECT_EQ(img_equal(want, got), 1) << "step " << step << " " << r;
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
    Img* strip = coded(2, 16);
    Img* destination = sized(4, 256);
    for (const int32_t o : {250, -6}) {  // rows 250-255 get source rows 0-5, rows 0-9 rows 6-15
        img_clear(destination);
        img_copy_column_wrap(strip, destination, 1, 2, o);
        for (int32_t y = 0; y < 256; ++y) {
            const uint32_t p = destination->pixels[y * 4 + 2];
            const int32_t want = y >= 250 ? y - 250 : y <= 9 ? y + 6 : -1;
            EXPECT_EQ(p == 0 ? -1 : coded_y(p), want) << o << " row " << y;
            EXPECT_TRUE(p == 0 || coded_x(p) == 1);
        }
    }
    // A source taller than the destination is cut at one destination height; zeros skip.
    Img* tall = coded(1, 300);
    tall->pixels[0] = 0;
    Img* small = sized(1, 8);
    for (int i = 0; i < 8; ++i) small->pixels[i] = 0xAB;
    img_copy_column_wrap(tall, small, 0, 0, INT32_MIN);  // INT32_MIN mod 8 = 0
    img_copy_column_wrap(tall, small, 0, 0, 3);  // source 0 is skipped: row 3 keeps its pixel
    std::vector<int32_t> rows;
    for (int y = 0; y < 8; ++y) rows.push_back(coded_y(small->pixels[y]));
    EXPECT_EQ(rows, (std::vector<int32_t>{5, 6, 7, 3, 1, 2, 3, 4}));
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
    for (int i = 0; i < 12; ++i) destination->pixels[i] = 0x10;
    img_or_row_wrap(source, destination, 1, 0, -2);  // both offsets are 4 modulo 6
    img_copy_row_wrap(source, destination, 1, 1, 10);
    const uint32_t want[] = {0x10, 0x14, 0x10, 0x10, 0x11, 0x12, 0x10, 4, 0x10, 0x10, 1, 2};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(destination->pixels[i], want[i]) << i;
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

TEST(ImgScale, RunTable) {
    // Counter k counts the i in 0..a-1 with i * b / a rounding down to k.
    const std::pair<std::pair<int32_t, int32_t>, std::vector<int32_t>> cases[] = {
        {{7, 3}, {3, 2, 2}}, {{10, 4}, {3, 2, 3, 2}}, {{4, 4}, {1, 1, 1, 1}}, {{9, 1}, {9}}, {{5, 0}, {}}, {{0, 0}, {}}};
    for (const auto& [ab, want] : cases) {
        int32_t* table = img_run_table(ab.first, ab.second);
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(std::vector<int32_t>(table, table + ab.second), want) << ab.first << "/" << ab.second;
        std::free(table);
    }
    EXPECT_EQ(img_run_table(3, 4), nullptr);
    EXPECT_EQ(img_run_table(3, -1), nullptr);
    EXPECT_EQ(img_run_table(INT32_MAX, 1), nullptr);
}

TEST(ImgScale, GrowRepeatsShrinkTakesTheLastOfARun) {
    // A 7 x 7 source onto 3 or 9 pixels an axis: a growing axis repeats source pixels, a
    // shrinking one shows the last of each run, except rows shrinking under a growing width,
    // which show the first.
    const std::vector<int32_t> grow = {0, 0, 1, 2, 3, 3, 4, 5, 6}, last = {2, 4, 6}, first = {0, 3, 5};
    const std::vector<int32_t> cases[][2] = {{last, last}, {grow, first}, {last, grow}, {grow, grow}};
    Img* source = coded(7, 7);
    for (const auto& [cols, rows] : cases) {
        const auto dw = static_cast<int32_t>(cols.size()), dh = static_cast<int32_t>(rows.size());
        Img* destination = sized(dw, dh);
        img_scale(source, destination);
        for (int32_t y = 0; y < dh; ++y)
            for (int32_t x = 0; x < dw; ++x)
                EXPECT_EQ(destination->pixels[y * dw + x], source->pixels[rows[y] * 7 + cols[x]])
                    << dw << "x" << dh << " at " << x << "," << y;
        img_destroy(&destination);
    }
    img_destroy(&source);
}

TEST(ImgScale, GlyphToTwoColumnsAndEmptySizes) {
    Img* glyph = coded(32, 32);
    Img* thin = sized(2, 32);
    img_scale(glyph, thin);
    EXPECT_EQ(coded_x(thin->pixels[0]), 15);
    EXPECT_EQ(coded_x(thin->pixels[1]), 31);
    EXPECT_EQ(coded_y(thin->pixels[2 * 31]), 31);
    // Nothing to draw into or from: no change, no failure.
    Img* empty = sized(0, 32);
    img_scale(glyph, empty);
    img_scale(empty, thin);
    EXPECT_EQ(coded_x(thin->pixels[1]), 31);
    for (Img** img : {&glyph, &thin, &empty}) img_destroy(img);
}

TEST(ImgRotate, SizeCentreAndRefusal) {
    Img* source = coded(16, 10);
    Img* turned = img_rotate(source, 256 + 1024 * 5);  // a quarter turn, whole turns ignored
    ASSERT_NE(turned, nullptr);
    EXPECT_EQ(turned->width * 100 + turned->height, 2214);                // 16 * 92667 >> 16 by 10 * ...
    EXPECT_EQ(turned->pixels[7 * 22 + 11], source->pixels[5 * 16 + 8]);  // centre onto centre
    // The source's right column becomes the top row, read top to bottom from x = 6.
    EXPECT_EQ(turned->pixels[6], source->pixels[15]);
    EXPECT_EQ(turned->pixels[16], source->pixels[9 * 16 + 15]);
    EXPECT_EQ(turned->pixels[5], 0u);
    img_destroy(&turned);
    Img* huge = sized(8192, 8192);  // the largest accepted picture; its rotation is not
    EXPECT_EQ(img_rotate(huge, 3), nullptr);
    img_destroy(&huge);
    img_destroy(&source);
}

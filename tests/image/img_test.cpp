// IMG: what the image and byte map agreement (grid_test) cannot pin: refusals that protect
// memory, rectangles that must fit, the scaler's runs and rotation.
#include <cstdlib>
#include <functional>
#include <utility>
#include <vector>

#include "image/image_fixtures.h"

// Each call is refused with one error line and leaves every pixel as it was.
TEST(ImgRefusals, BadArgumentsAndSizesChangeNothing) {
    Img* a = coded(8, 6);
    Img* b = coded(5, 3);
    Img* small = sized(1, 3);
    const std::function<void()> refused[] = {
        // Rectangle fills must fit, and hold a pixel at least.
        [&] { img_fill_rect(a, 0, 0, 0, 1, 1); }, [&] { img_fill_rect(a, 0, 0, 9, 1, 1); },
        [&] { img_fill_rect(a, 0, 0, 1, 7, 1); }, [&] { img_fill_rect(a, -1, 0, 2, 2, 1); },
        [&] { img_fill_rect(a, 8, 0, 1, 1, 1); }, [&] { img_fill_rect(a, 1, 1, INT32_MAX, 1, 1); },
        [&] { img_frame_rect(a, 0, 5, 1, 2, 1); }, [&] { img_frame_rect(a, INT32_MAX, 0, 1, 1, 1); },
        // Rows and columns must exist; the mask needs a target of its count; copies one size.
        [&] { img_copy_row(b, a, 3, 0); }, [&] { img_copy_row(b, a, 0, -1); },
        [&] { img_or_row_wrap(b, a, 3, 0, 0); }, [&] { img_copy_row_wrap(b, a, 0, 6, 0); },
        [&] { img_copy_column_wrap(b, a, 5, 0, 0); }, [&] { img_copy_column_wrap(b, a, -1, 0, 0); },
        [&] { img_copy_column_wrap(b, a, 0, 8, 0); }, [&] { img_and_mask(b, small); },
        [&] { img_copy(b, a); }, [&] { img_blit_stepped(b, a, 0, 0, 0, 0, 5, 3, 0, 1); },
        // A circle needs a radius and a centre inside; a size must hold 2^26 pixels at most.
        [&] { img_circle(a, 4, 3, 0, 1); }, [&] { img_circle(a, -1, 3, 2, 1); }, [&] { img_circle(a, 4, 6, 2, 1); },
        [&] { img_resize(a, -1, 4); }, [&] { img_resize(a, 1 << 14, 1 << 13); }, [&] { img_resize(a, INT32_MAX, 2); },
    };
    Img* before = img_clone(a);
    for (size_t i = 0; i < std::size(refused); ++i) {
        EXPECT_EQ(printed(refused[i]), "IMG error\n") << "call " << i;
        EXPECT_EQ(img_equal(a, before), 1) << "call " << i;
    }
    img_fill_rect(a, 0, 0, 8, 6, 0);  // exactly fitting
    img_frame_rect(a, 1, 1, 7, 5, 0x11);  // exactly fitting: the border only
    EXPECT_EQ(count_set(a), 7 + 7 + 3 + 3);
    EXPECT_EQ(img_get_pixel(a, 4, 5) + img_get_pixel(a, 7, 3) + img_get_pixel(a, 4, 1), 3 * 0x11u);
    EXPECT_EQ(img_get_pixel(a, 8, 0) + img_get_pixel(a, 0, -1), 0u);  // outside reads 0
    img_copy(a, before);
    before->pixels[47] ^= 0x100;  // the last pixel, one bit: the models' comparison sees it
    EXPECT_EQ(img_equal(a, before), 0);
    img_resize(a, 0, 0);  // empty is a valid size and still owns a buffer
    EXPECT_NE(a->pixels, nullptr);
    for (Img** p : {&a, &b, &small, &before}) img_destroy(p);
}

TEST(ImgScale, RunTableGrowAndShrink) {
    // Counter k counts the i in 0..a-1 with i * b / a rounding down to k.
    const std::pair<std::pair<int32_t, int32_t>, std::vector<int32_t>> tables[] = {
        {{7, 3}, {3, 2, 2}}, {{10, 4}, {3, 2, 3, 2}}, {{4, 4}, {1, 1, 1, 1}}, {{9, 1}, {9}}, {{5, 0}, {}}};
    for (const auto& [ab, want] : tables) {
        int32_t* table = img_run_table(ab.first, ab.second);
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(std::vector<int32_t>(table, table + ab.second), want) << ab.first << "/" << ab.second;
        std::free(table);
    }
    for (const auto& [a, b] : {std::pair{3, 4}, {3, -1}, {INT32_MAX, 1}}) EXPECT_EQ(img_run_table(a, b), nullptr);
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
    EXPECT_EQ(printed([&] { EXPECT_EQ(img_rotate(huge, 3), nullptr); }), "IMG error\n");
    img_destroy(&huge);
    img_destroy(&source);
}

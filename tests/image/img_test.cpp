// IMG: resize refusals and the per-pixel operations.
#include <cstring>

#include "image/image_fixtures.h"

TEST(ImgLifeCycle, ResizeClearsAndRefusalsKeepTheOldPicture) {
    Img* img = sized(16, 16);
    img_fill_rect(img, 0, 0, 16, 16, 0x123456);
    img_resize(img, 256, 128);
    EXPECT_EQ(img->width * 1000 + img->height, 256128);
    EXPECT_EQ(count_set(img), 0);
    img_resize(img, 4, 4);
    img->pixels[15] = 9;
    for (const auto& s : {std::pair{-1, 4}, {1 << 14, 1 << 13}, {INT32_MAX, INT32_MAX}, {INT32_MAX, 2}}) {
        img_resize(img, s.first, s.second);
        EXPECT_EQ(img->width * 1000 + img->height, 4004) << s.first;  // the old picture stays whole
        EXPECT_EQ(img->pixels[15], 9u);
    }
    img_resize(img, 0, 0);  // empty is a valid size and still owns a buffer
    EXPECT_NE(img->pixels, nullptr);
    img_destroy(&img);
    EXPECT_EQ(img, nullptr);
}

TEST(ImgPixels, PutGetAndRectanglesThatMustFit) {
    Img* img = sized(8, 6);
    img_put_pixel(img, 3, 5, 0xABCDEF);
    img_put_pixel(img, -1, 0, 1);  // outside: ignored
    img_put_pixel(img, 8, 0, 1);
    img_put_pixel(img, INT32_MIN, INT32_MAX, 1);
    EXPECT_EQ(img->pixels[5 * 8 + 3], 0xABCDEFu);
    EXPECT_EQ(img_get_pixel(img, 8, 0), 0u);
    EXPECT_EQ(count_set(img), 1);
    img_clear(img);
    // Rectangles that do not fit are refused, not clipped.
    const int32_t bad[][4] = {{0, 0, 0, 1}, {0, 0, 1, 0}, {0, 0, 9, 1},         {0, 0, 1, 7},
                              {-1, 0, 2, 2}, {8, 0, 1, 1}, {1, 1, INT32_MAX, 1}, {INT32_MAX, 0, 1, 1}};
    for (const auto& r : bad)
        EXPECT_EQ(printed([&] {
                      img_fill_rect(img, r[0], r[1], r[2], r[3], 1);
                      img_frame_rect(img, r[0], r[1], r[2], r[3], 1);
                  }),
                  "IMG error\nIMG error\n")
            << r[0] << " " << r[2];
    EXPECT_EQ(count_set(img), 0);
    img_fill_rect(img, 0, 0, 8, 6, 0x11);
    EXPECT_EQ(count_set(img), 48);
    img_destroy(&img);
}

TEST(ImgPixels, FadeAndMask) {
    Img* img = sized(4, 1);
    const uint32_t before[] = {0x00FF8004, 0xFF000000, 0x12070809, 0x00080808};
    std::memcpy(img->pixels, before, sizeof before);
    img_fade(img, 8);  // the top byte drops; at or below the step: transparent
    const uint32_t faded[] = {0x00F77800, 0, 0x00000001, 0};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(img->pixels[i], faded[i]) << i;
    Img* mask = sized(2, 2);
    Img* target = sized(3, 2);
    for (int i = 0; i < 6; ++i) target->pixels[i] = 0xFFFFFF;
    mask->pixels[0] = 0x0000FF;
    mask->pixels[3] = 0xFF00FF;
    img_and_mask(mask, target);
    const uint32_t want[] = {0x0000FF, 0, 0, 0xFF00FF, 0xFFFFFF, 0xFFFFFF};  // count from the mask
    for (int i = 0; i < 6; ++i) EXPECT_EQ(target->pixels[i], want[i]) << i;
    img_resize(img, 1, 3);  // fewer pixels than the mask: refused
    img->pixels[0] = 5;
    EXPECT_EQ(printed([&] { img_and_mask(mask, img); }), "IMG error\n");
    EXPECT_EQ(img->pixels[0], 5u);
    for (Img** p : {&img, &mask, &target}) img_destroy(p);
}

TEST(ImgPixels, CircleOutline) {
    Img* img = sized(40, 40);
    img_circle(img, 20, 20, 10, 0x808080);
    // Right-hand points sit one column in: the outline mirrors about x = 19.5 and y = 20.
    for (auto [x, y] : {std::pair{28, 20}, {11, 20}, {20, 11}, {19, 29}}) EXPECT_EQ(img_get_pixel(img, x, y), 0x808080u);
    EXPECT_EQ(img_get_pixel(img, 29, 20), 0u);
    img_clear(img);
    img_circle(img, 0, 20, 5, 1);  // centre on the left edge: the points with x >= 0 only
    EXPECT_EQ(img_get_pixel(img, 3, 20), 1u);
    img_clear(img);
    EXPECT_EQ(printed([&] {
                  img_circle(img, 20, 20, 0, 1);
                  img_circle(img, -1, 20, 5, 1);
                  img_circle(img, 20, 40, 5, 1);
              }),
              "IMG error\nIMG error\nIMG error\n");
    img_circle(img, 39, 39, INT32_MAX, 1);  // every point far outside; none may wrap back in
    EXPECT_EQ(count_set(img), 0);
    img_destroy(&img);
}

TEST(ImgPixels, CopyCloneRow) {
    Img* a = coded(5, 3);
    Img* b = img_create();
    EXPECT_EQ(printed([&] { img_copy(a, b); }), "IMG error\n");  // sizes differ
    Img* c = img_clone(a);
    ASSERT_NE(c, nullptr);
    EXPECT_NE(c->pixels, a->pixels);
    EXPECT_EQ(img_equal(a, c), 1);
    c->pixels[14] ^= 0x100;
    EXPECT_EQ(img_equal(a, c), 0);
    Img* wide = sized(8, 2);
    img_copy_row(a, wide, 2, 1);  // min(5, 8) pixels: nothing read past the narrower row
    EXPECT_EQ(wide->pixels[8 + 4], a->pixels[14]);
    EXPECT_EQ(wide->pixels[8 + 5], 0u);
    EXPECT_EQ(printed([&] {
                  img_copy_row(a, wide, 3, 0);
                  img_copy_row(a, wide, 0, -1);
              }),
              "IMG error\nIMG error\n");
    for (Img** p : {&a, &b, &c, &wide}) img_destroy(p);
}

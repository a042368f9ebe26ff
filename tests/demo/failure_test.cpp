// Start-up's one failure path: whatever cannot be built ends the program with one line
// naming it and exit status 1, never a half-built show.
#include <gtest/gtest.h>

#include "demo/builtin.h"
#include "demo/failure.h"
#include "sound/music.h"

TEST(StartupFailureDeathTest, WhatCannotBeBuiltIsNamedAndEndsStartUp) {
    const auto* cut = reinterpret_cast<const unsigned char*>("P6\n# cut short\n4 4\n255\n\x10\x20");
    const auto fails = testing::ExitedWithCode(1);
    EXPECT_EXIT(demo_image(65536, 65536), fails,
                "^VORT7131: cannot start: image of 65536 x 65536: out of memory or too large\n$");
    EXPECT_EXIT(demo_image(-1, 16), fails, "image of -1 x 16");
    EXPECT_EXIT(demo_made(static_cast<Music*>(nullptr), "music"), fails,
                "^VORT7131: cannot start: music: out of memory\n$");
    EXPECT_EXIT(demo_check(false, "raster"), fails, "^VORT7131: cannot start: raster: out of memory\n$");
    EXPECT_EXIT(demo_picture(cut, 24, "logo"), fails,
                "^VORT7131: cannot start: logo: the built-in picture does not decode\n$");
}

TEST(StartupFailure, WhatCanBeBuiltComesBackAsAsked) {
    Img* image = demo_image(300, 7);
    Img* fitted = demo_fitted_picture(pnm_logo, pnm_logo_size, "logo", 64, 32);
    EXPECT_EQ(image->width * 1000 + image->height, 300007);
    EXPECT_EQ(fitted->width * 1000 + fitted->height, 64032);
    Font* font = demo_font(image, 10, 7);  // owns the image from here
    EXPECT_EQ(font->sheet, image);
    EXPECT_EQ(font->cell_width * 100 + font->cell_height, 1007);
    font_destroy(&font);
    img_destroy(&fitted);
}

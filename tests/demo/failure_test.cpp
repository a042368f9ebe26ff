// Start-up's one failure path: whatever cannot be built ends the program with one line
// naming it and exit status 1, never a half-built show.
#include <gtest/gtest.h>

#include "demo/builtin.h"
#include "demo/failure.h"
#include "sound/music.h"

namespace {

const char* const truncated_picture = "P6\n# cut short\n4 4\n255\n\x10\x20";

TEST(StartupFailureDeathTest, AnImageOverTheSizeLimitIsNamedAndEndsStartUp) {
    EXPECT_EXIT(demo_image(65536, 65536), testing::ExitedWithCode(1),
                "^VORT7131: cannot start: image of 65536 x 65536: out of memory or too large\n$");
    EXPECT_EXIT(demo_image(-1, 16), testing::ExitedWithCode(1), "image of -1 x 16");
}

TEST(StartupFailureDeathTest, AFailedCreateIsNamedAndEndsStartUp) {
    EXPECT_EXIT(demo_made(static_cast<Music*>(nullptr), "music"), testing::ExitedWithCode(1),
                "^VORT7131: cannot start: music: out of memory\n$");
    EXPECT_EXIT(demo_check(false, "raster"), testing::ExitedWithCode(1), "^VORT7131: cannot start: raster: out of memory\n$");
}

TEST(StartupFailureDeathTest, APictureThatDoesNotDecodeIsNamed) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(truncated_picture);
    EXPECT_EXIT(demo_picture(bytes, 24, "logo"), testing::ExitedWithCode(1),
                "^VORT7131: cannot start: logo: the built-in picture does not decode\n$");
}

TEST(StartupFailure, WhatCanBeBuiltComesBackAsAsked) {
    Img* image = demo_image(300, 7);
    EXPECT_EQ(image->width, 300);
    EXPECT_EQ(image->height, 7);
    Img* fitted = demo_fitted_picture(pnm_logo, pnm_logo_size, "logo", 64, 32);
    EXPECT_EQ(fitted->width, 64);
    EXPECT_EQ(fitted->height, 32);
    Font* font = demo_font(image, 10, 7);
    EXPECT_EQ(font->sheet, image);
    EXPECT_EQ(font->cell_width, 10);
    Music* music = music_create();
    EXPECT_EQ(demo_made(music, "music"), music);
    music_destroy(&music);
    font_destroy(&font);
    img_destroy(&fitted);
}

}  // namespace

// Without a video driver: a display whose mode failed says why and takes no frames.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "platform/platform_fixtures.h"

namespace {

TEST(NoDisplay, FailedModeLeavesAZeroRecordAndTheReason) {
    ASSERT_EQ(setenv("SDL_VIDEODRIVER", "no-such-driver", 1), 0);  // as a machine without X
    Display* display = display_create();
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(display->width, 0);
    EXPECT_EQ(display->bits_per_pixel, 0);
    EXPECT_GT(std::strlen(display_last_error()), 0u);

    TestFrame empty(0, 0);  // matches the zero record: still nothing to copy onto
    TestFrame frame(256, 256);
    display_present(display, &empty.img);
    display_present_blit(display, &frame.img);
    display_present_swap(display, &frame.img);
    EXPECT_EQ(display_screen, nullptr);
    display_destroy(&display);
}

}  // namespace

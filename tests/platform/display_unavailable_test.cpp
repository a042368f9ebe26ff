// Without a video driver: a display whose mode failed reads as zero wide and takes no frames.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/platform_fixtures.h"

namespace {

TEST(NoDisplay, FailedModeLeavesAZeroWidthAndTakesNoFrames) {
    ASSERT_EQ(setenv("SDL_VIDEODRIVER", "no-such-driver", 1), 0);  // as a machine without X
    Display* display = display_create();
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(display->width, 0) << "the demo stops on a zero width";
    TestFrame frame(256, 256);
    display_present(display, &frame.img);
    display_present_blit(display, &frame.img);
    display_present_swap(display, &frame.img);
    EXPECT_EQ(display_screen, nullptr);
    display_destroy(&display);
}

}  // namespace

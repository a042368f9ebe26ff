// On an X server of depth 16 the 256 x 256 mode comes back as a 16-bit surface with rows of
// 512 bytes: presenting a 32-bit frame there must convert, never block-copy 256 KiB into a
// 128 KiB surface. Runs against its own Xvfb; skipped where Xvfb is not installed.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/platform_fixtures.h"

namespace {

class Depth16 : public ::testing::Test {
protected:
    void SetUp() override {
        // The shell says its pid and becomes the server, which picks a free display and writes
        // its number when ready (-displayfd) and ends with its last client (-terminate).
        server = popen("command -v Xvfb >/dev/null || exit; echo $$; exec Xvfb -displayfd 1 -screen 0 320x240x16 "
                       "-nolisten tcp -terminate 2>/dev/null", "r");
        ASSERT_NE(server, nullptr);
        char line[32] = {};
        if (std::fgets(line, sizeof line, server) == nullptr) GTEST_SKIP() << "Xvfb is not installed";
        pid = std::atoi(line);
        ASSERT_NE(std::fgets(line, sizeof line, server), nullptr) << "Xvfb did not start";
        ASSERT_EQ(setenv("DISPLAY", (":" + std::to_string(std::atoi(line))).c_str(), 1), 0);
        ASSERT_EQ(setenv("SDL_VIDEODRIVER", "x11", 1), 0);
    }
    void TearDown() override {
        if (display_the_display != nullptr) display_destroy(&display_the_display);
        if (pid > 0) kill(pid, SIGTERM);
        if (server != nullptr) pclose(server);
    }
    FILE* server = nullptr;
    pid_t pid = 0;
};

TEST_F(Depth16, EveryPresentConvertsIntoA16BitScreen) {
    Display* display = display_create();
    ASSERT_NE(display_screen, nullptr) << display_last_error();
    ASSERT_EQ(display->bits_per_pixel, 16);
    ASSERT_EQ(backend_surface_info(display_screen).pitch, 512);

    for (uint32_t seed : {17u, 99u}) {
        TestFrame frame(256, 256, seed);
        (seed == 17 ? display_present : display_present_swap)(display, &frame.img);
        const std::vector<uint16_t> screen = screen_pixels<uint16_t>();
        ASSERT_EQ(screen.size(), frame.pixels.size());
        int wrong = 0;  // screen pixels that differ from the frame's converted to 5-6-5
        for (size_t i = 0; i < screen.size(); ++i) {
            const uint32_t rgb = frame.pixels[i];
            wrong += screen[i] != (((rgb >> 8) & 0xF800) | ((rgb >> 5) & 0x07E0) | ((rgb >> 3) & 0x1F));
        }
        EXPECT_EQ(wrong, 0) << "seed " << seed << ": lending 32-bit pixels to a 16-bit screen copies";
    }
}

}  // namespace

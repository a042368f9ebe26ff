// On an X server of depth 16 the 256 x 256 mode comes back as a 16-bit surface with rows of
// 512 bytes: presenting a 32-bit frame there must convert, never block-copy 256 KiB into a
// 128 KiB surface. Runs against its own Xvfb; skipped where Xvfb is not installed.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/platform_fixtures.h"

extern char** environ;

namespace {

// Counts screen pixels that differ from the frame converted to 5-6-5; -1 if unreadable.
int mismatches(const TestFrame& frame) {
    const std::vector<uint16_t> screen = screen_pixels<uint16_t>();
    if (screen.size() != 256u * 256u) return -1;
    int wrong = 0;
    for (int32_t y = 0; y < frame.img.height; ++y)
        for (int32_t x = 0; x < frame.img.width; ++x) {
            const uint32_t rgb = frame.at(x, y);
            wrong += screen[y * 256 + x] != (((rgb >> 8) & 0xF800) | ((rgb >> 5) & 0x07E0) | ((rgb >> 3) & 0x1F));
        }
    return wrong;
}

class Depth16 : public ::testing::Test {
protected:
    void SetUp() override {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        // -displayfd: the server picks a free display and writes its number when ready;
        // -terminate: it ends with its last client, even if this test dies.
        const std::string fd_text = std::to_string(fds[1]);
        const char* argv[] = {"Xvfb", "-displayfd", fd_text.c_str(), "-screen", "0", "320x240x16",
                              "-nolisten", "tcp", "-terminate", nullptr};
        const int spawned = posix_spawnp(&server, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        std::string number;
        pollfd ready{fds[0], POLLIN, 0};
        char c = 0;
        while (spawned == 0 && poll(&ready, 1, 10000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        close(fds[0]);
        if (spawned != 0) {
            server = 0;
            GTEST_SKIP() << "Xvfb is not installed";
        }
        ASSERT_FALSE(number.empty()) << "Xvfb did not start";
        ASSERT_EQ(setenv("DISPLAY", (":" + number).c_str(), 1), 0);
        ASSERT_EQ(setenv("SDL_VIDEODRIVER", "x11", 1), 0);
    }
    void TearDown() override {
        if (display_the_display != nullptr) display_destroy(&display_the_display);
        if (server > 0) {
            kill(server, SIGTERM);
            waitpid(server, nullptr, 0);
        }
    }
    pid_t server = 0;
};

TEST_F(Depth16, EveryPresentConvertsIntoA16BitScreen) {
    Display* display = display_create();
    ASSERT_NE(display_screen, nullptr) << display_last_error();
    ASSERT_EQ(display->bits_per_pixel, 16);
    ASSERT_EQ(backend_surface_info(display_screen).pitch, 512);

    for (uint32_t seed : {17u, 99u}) {
        TestFrame frame(256, 256, seed);
        (seed == 17 ? display_present : display_present_swap)(display, &frame.img);
        EXPECT_EQ(mismatches(frame), 0) << "seed " << seed << ": lending 32-bit pixels to a 16-bit screen copies";
    }
}

}  // namespace

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

#include "platform/backend.h"
#include "platform/display.h"
#include "platform/test_frames.h"

extern char** environ;

namespace {

uint16_t to_565(uint32_t rgb) {
    const uint32_t r = (rgb >> 16) & 0xFF;
    const uint32_t g = (rgb >> 8) & 0xFF;
    const uint32_t b = rgb & 0xFF;
    return static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

// Counts screen pixels that differ from the frame converted to 5-6-5.
int mismatches(const TestFrame& frame) {
    const BackendSurfaceInfo info = backend_surface_info(display_screen);
    if (backend_lock_surface(display_screen) != 0) return -1;
    int wrong = 0;
    for (int32_t y = 0; y < frame.img.height; ++y) {
        const auto* row = reinterpret_cast<const uint16_t*>(static_cast<const uint8_t*>(info.pixels) + y * info.pitch);
        for (int32_t x = 0; x < frame.img.width; ++x) {
            if (row[x] != to_565(frame.at(x, y))) ++wrong;
        }
    }
    backend_unlock_surface(display_screen);
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

    TestFrame frame(256, 256);
    frame.fill_pattern(17);
    display_present(display, &frame.img);
    EXPECT_EQ(mismatches(frame), 0);
    frame.fill_pattern(99);
    display_present_swap(display, &frame.img);
    EXPECT_EQ(mismatches(frame), 0) << "lending 32-bit pixels to a 16-bit screen copies instead";
    TestFrame small(64, 32);
    small.fill_pattern(5);
    display_present_blit(display, &small.img);
    EXPECT_EQ(mismatches(small), 0);
}

}  // namespace

// demo in a real window on its own Xvfb: its name, class, icon and size, the first scene
// pixel for pixel, the counter, Space and the fade it starts, --scale (fitted to the
// screen), a window manager's close request, the music SDL's disk driver records, and the
// ways out: Q, Esc, q and Ctrl-C end the show with status 0 (SIGTERM: the descriptors test).
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <string>
#include <vector>

#include "e2e_fixtures.h"

namespace e2e {
namespace {

constexpr int SCENE_ONE_FRAMES = 1001;
constexpr double FRAME_SECONDS = 0.02;  // the demo never runs faster than 50 frames a second

std::string shown(const Show& show) { return what_is_shown(screenshot(show.server, show.window)); }

uint64_t brightness(const Picture& picture) {
    uint64_t sum = 0;
    for (uint32_t p : picture.pixels) sum += (p >> 16 & 0xFF) + (p >> 8 & 0xFF) + (p & 0xFF);
    return sum;
}

// A picture after at least one fade step: some colour left, no channel above 0xFF - 8.
bool is_faded(const Picture& picture) {
    if (!has_colour(picture)) return false;
    for (uint32_t p : picture.pixels)
        if ((p >> 16 & 0xFF) > 0xF7 || (p >> 8 & 0xFF) > 0xF7 || (p & 0xFF) > 0xF7) return false;
    return true;
}

TEST(Window, IsVORT7131OfTheFrameSizeShowsTheFirstSceneAndAnswersItsKeys) {
    scene_one();  // drawn before the program starts, so the first scene is still on when it is ready
    Show show("640x480x24", "demo");
    ASSERT_TRUE(show.ready()) << show.why();  // found by its exact name
    const Geometry window = window_geometry(show.server, show.window);
    EXPECT_EQ(window.width, 256);
    EXPECT_EQ(window.height, 256);
    std::string seen;
    ASSERT_TRUE(eventually([&] { return (seen = shown(show)) == "the first scene"; })) << seen;

    press_key(show.server, show.window, "8");
    EXPECT_TRUE(eventually([&] { return (seen = shown(show)) == "the first scene with the counter"; })) << seen;
    press_key(show.server, show.window, "8");
    EXPECT_TRUE(eventually([&] { return (seen = shown(show)) == "the first scene"; })) << "8 again: " << seen;

    // Space must bring the second scene well before the first scene's budget would. Each of
    // the 32 fade steps stays on screen for a frame period: screenshots as fast as they come
    // catch the first scene darker and darker on its way to black, each picture once.
    int frame = 0;
    ASSERT_TRUE(eventually([&] { return (frame = scene_one_frame(screenshot(show.server, show.window))) != 0; }));
    ASSERT_LE(frame, 700) << "too late in the first scene to tell Space from its end";
    press_key(show.server, show.window, "space");
    std::vector<Picture> fading;
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::duration<double>((SCENE_ONE_FRAMES - frame) * FRAME_SECONDS);
    for (Picture shot; (seen = what_is_shown(shot = screenshot(show.server, show.window))) != "the second scene";) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "Space at frame " << frame << ": no second scene";
        if (seen == "something else" && is_faded(shot) && (fading.empty() || fading.back().pixels != shot.pixels))
            fading.push_back(shot);
    }
    ASSERT_GE(fading.size(), 2u) << "no fade seen between the scenes";
    for (size_t i = 1; i < fading.size(); ++i) EXPECT_LT(brightness(fading[i]), brightness(fading[i - 1])) << i;

    // What the desktop knows it by; and in a window the pointer stays (full screen hides it).
    EXPECT_EQ(window_property(show.server, show.window, "WM_CLASS", "8s"), "WM_CLASS=\"vort7131\",\"vort7131\"");
    EXPECT_EQ(window_property(show.server, show.window, "_NET_WM_ICON", "32c"), "_NET_WM_ICON=64,64");
    EXPECT_TRUE(pointer_shows_at(show.server, window.x + 128, window.y + 128));
    press_key(show.server, show.window, "Q");
    EXPECT_EQ(show.program.wait_exit(), 0) << show.program.errors();
}

// --scale 2 on a 1024 x 768 screen: 2 x 2 squares; --scale 16 there: the largest that fits, 3.
TEST(Window, ScaleShowsEveryPixelAsASquareAsLargeAsAskedOrAsFitsTheScreen) {
    scene_one();
    XServer server("1024x768x24");
    ASSERT_TRUE(server.ok());
    for (const auto& [asked, factor] : {std::pair{"2", 2}, std::pair{"16", 3}}) {
        SCOPED_TRACE(std::string("--scale ") + asked);
        Program demo(server, "demo", {"--scale", asked});
        const std::string id = find_window(server);
        ASSERT_FALSE(id.empty()) << demo.errors();
        const Geometry window = window_geometry(server, id);
        EXPECT_EQ(window.width, 256 * factor);
        EXPECT_EQ(window.height, 256 * factor);
        // With no window manager the SDL layer at times centres the window for its unscaled
        // size, so a 768-pixel window hangs off the 768-pixel screen, where no part of it can
        // be read back: put it where a window manager would, on the screen.
        run_tool(server, {"xdotool", "windowmove", "--sync", id, "0", "0"});
        std::string seen;
        EXPECT_TRUE(eventually([&] {
            return (seen = what_is_shown(unscale(screenshot(server, id), factor))) == "the first scene";
        })) << "seen in whole blocks: " << seen;
        press_key(server, id, "Escape");
        EXPECT_EQ(demo.wait_exit(), 0) << demo.errors();
        EXPECT_TRUE(eventually([&] { return find_window(server, 0).empty(); })) << "the window outlived the program";
    }
}

// A close request does not end the show, which goes on playing music (16-bit stereo at
// 44100 Hz through the SDL 1.2 layer, about 650 RMS; silence is 0) until q.
TEST(Window, ACloseRequestDoesNotEndTheShowItsMusicPlaysUntilQAndCtrlCEndsItAtOnce) {
    const std::string path = testing::TempDir() + "e2e_sound_" + std::to_string(getpid()) + ".raw";
    Show show("640x480x24", "demo", {}, {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + path});
    ASSERT_TRUE(show.ready()) << show.why();
    ASSERT_TRUE(has_begun(show));
    ASSERT_TRUE(send_close_request(show.server, show.window));
    // A program that honoured it would be gone well within this.
    EXPECT_FALSE(eventually([&] { return !show.program.running(); }, 3)) << "the close request ended the show";
    EXPECT_EQ(find_window(show.server, 1), show.window);
    const Picture before = screenshot(show.server, show.window);
    EXPECT_TRUE(eventually([&] { return screenshot(show.server, show.window).pixels != before.pixels; }))
        << "the picture stopped moving";
    ASSERT_TRUE(eventually([&] { return read_file(path).size() >= 2 * 44100 * 4; })) << "not two seconds of sound";
    press_key(show.server, show.window, "q");
    ASSERT_EQ(show.program.wait_exit(), 0) << show.program.errors();
    const std::string bytes = read_file(path);
    std::remove(path.c_str());
    double sum_of_squares = 0;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const int value = static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) | static_cast<uint8_t>(bytes[i + 1]) << 8);
        sum_of_squares += static_cast<double>(value) * value;
    }
    EXPECT_GT(std::sqrt(sum_of_squares / static_cast<double>(bytes.size() / 2)), 100.0);

    Program again(show.server, "demo", {});
    ASSERT_FALSE(find_window(show.server).empty()) << again.errors();
    again.signal_group(SIGINT);
    EXPECT_EQ(again.wait_exit(), 0) << again.errors();
}

}  // namespace
}  // namespace e2e

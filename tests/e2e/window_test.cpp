// demo in a real window on its own Xvfb: its name, class, icon and size, the first scene
// pixel for pixel, the counter, Space and the fade it starts, --scale (fitted to the
// screen) and a window manager's close request.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "e2e_fixtures.h"

namespace e2e {
namespace {

constexpr int SCENE_ONE_FRAMES = 1001;
constexpr double FRAME_SECONDS = 0.02;  // the demo never runs faster than 50 frames a second

Seen shown(const Show& show) { return what_is_shown(screenshot(show.server, show.window)); }

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

// Screenshots as fast as they come until the second scene shows (true) or seconds pass;
// the darkened pictures of the first scene seen on the way, each once, go to fading.
bool watch_the_fade(const Show& show, double seconds, std::vector<Picture>* fading) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        const Picture shot = screenshot(show.server, show.window);
        const Seen seen = what_is_shown(shot);
        if (seen == Seen::SceneTwo) return true;
        if (seen == Seen::Other && is_faded(shot) && (fading->empty() || fading->back().pixels != shot.pixels))
            fading->push_back(shot);
    }
    return false;
}

TEST(Window, IsVORT7131OfTheFrameSizeShowsTheFirstSceneAndAnswersItsKeys) {
    scene_one();  // drawn before the program starts, so the first scene is still on when it is ready
    Show show("640x480x24", "demo");
    ASSERT_TRUE(show.ready()) << show.why();
    EXPECT_EQ(window_name(show.server, show.window), "VORT7131");
    const Geometry window = window_geometry(show.server, show.window);
    EXPECT_EQ(window.width, 256);
    EXPECT_EQ(window.height, 256);

    ASSERT_TRUE(eventually([&] { return shown(show) == Seen::SceneOne; }))
        << "no first-scene picture; last seen: " << seen_name(shown(show));

    press_key(show.server, show.window, "8");
    EXPECT_TRUE(eventually([&] { return shown(show) == Seen::SceneOneWithCounter; }))
        << "8: the counter at the bottom left over the first scene";
    press_key(show.server, show.window, "8");
    EXPECT_TRUE(eventually([&] { return shown(show) == Seen::SceneOne; })) << "8 again: the counter gone";

    // Space must bring the second scene well before the first scene's budget would.
    int frame = 0;
    ASSERT_TRUE(eventually([&] { return (frame = scene_one_frame(screenshot(show.server, show.window))) != 0; }));
    ASSERT_LE(frame, 700) << "too late in the first scene to tell Space from its end";
    press_key(show.server, show.window, "space");
    const double budget_left = (SCENE_ONE_FRAMES - frame) * FRAME_SECONDS;
    std::vector<Picture> fading;
    ASSERT_TRUE(watch_the_fade(show, budget_left, &fading))
        << "Space at frame " << frame << ": no second scene within " << budget_left << " s";
    // Each of the 32 steps stays on screen for a frame period: a screenshot now and then
    // catches the first scene darker and darker on its way to black.
    ASSERT_GE(fading.size(), 2u) << "no fade seen between the scenes";
    for (size_t i = 1; i < fading.size(); ++i) EXPECT_LT(brightness(fading[i]), brightness(fading[i - 1])) << i;

    // What the desktop knows it by; and in a window the pointer stays (full screen hides it).
    EXPECT_EQ(window_class(show.server, show.window), "vort7131,vort7131");
    EXPECT_EQ(window_icon_size(show.server, show.window), "64x64");
    EXPECT_TRUE(pointer_shows_at(show.server, window.x + 128, window.y + 128));
    press_key(show.server, show.window, "q");
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
        Picture shot;
        EXPECT_TRUE(eventually([&] {
            shot = screenshot(server, id);
            return blocks_are_whole(shot, factor) && what_is_shown(shrink(shot, factor)) == Seen::SceneOne;
        })) << "crisp blocks: " << blocks_are_whole(shot, factor) << "; seen shrunk: "
            << seen_name(what_is_shown(shrink(shot, factor)));
        press_key(server, id, "Escape");
        EXPECT_EQ(demo.wait_exit(), 0) << demo.errors();
        EXPECT_TRUE(eventually([&] { return find_window(server, 0).empty(); })) << "the window outlived the program";
    }
}

TEST(Window, ACloseRequestFromTheWindowManagerDoesNotEndTheShow) {
    Show show("640x480x24", "demo");
    ASSERT_TRUE(show.ready()) << show.why();
    ASSERT_TRUE(has_begun(show));

    ASSERT_TRUE(send_close_request(show.server, show.window));
    // A program that honoured it would be gone well within this.
    EXPECT_FALSE(eventually([&] { return !show.program.running(); }, 3)) << "the close request ended the show";
    EXPECT_EQ(find_window(show.server, 1), show.window);
    const Picture before = screenshot(show.server, show.window);
    EXPECT_TRUE(eventually([&] { return screenshot(show.server, show.window).pixels != before.pixels; }))
        << "the picture stopped moving";

    press_key(show.server, show.window, "Escape");
    EXPECT_EQ(show.program.wait_exit(), 0) << show.program.errors();
}

}  // namespace
}  // namespace e2e

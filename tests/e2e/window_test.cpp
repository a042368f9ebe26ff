// demo in a real window on its own Xvfb: its name, class, icon and size, the first scene
// pixel for pixel, the counter, Space, --scale (fitted to the screen) and a window manager's
// close request.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "e2e_fixtures.h"

namespace e2e {
namespace {

constexpr int SCENE_ONE_FRAMES = 1001;
constexpr double FRAME_SECONDS = 0.02;  // the demo never runs faster than 50 frames a second

Seen shown(const Show& show) { return what_is_shown(screenshot(show.server, show.window)); }

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
    ASSERT_TRUE(eventually([&] { return shown(show) == Seen::SceneTwo; }, budget_left))
        << "Space at frame " << frame << ": no second scene within " << budget_left << " s";

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

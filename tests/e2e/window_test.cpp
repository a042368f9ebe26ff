// demo in a real window on its own Xvfb: its name and size, the first scene pixel for pixel,
// the counter, Space, --scale and a window manager's close request.
#include <gtest/gtest.h>

#include "e2e_fixtures.h"

namespace e2e {
namespace {

constexpr int SCENE_ONE_FRAMES = 1001;
constexpr double FRAME_SECONDS = 0.02;  // the demo never runs faster than 50 frames a second

Seen shown(const XServer& server, const std::string& id) { return what_is_shown(screenshot(server, id)); }

TEST(Window, IsVORT7131OfTheFrameSizeShowsTheFirstSceneAndAnswersItsKeys) {
    scene_one();  // drawn before the program starts, so the first scene is still on when it is ready
    XServer server("640x480x24");
    ASSERT_TRUE(server.ok()) << "Xvfb did not start";
    Program demo(server, "demo", {});
    const std::string id = find_window(server);
    ASSERT_FALSE(id.empty()) << "no window named VORT7131\n" << demo.errors();
    EXPECT_EQ(window_name(server, id), "VORT7131");
    const Geometry window = window_geometry(server, id);
    EXPECT_EQ(window.width, 256);
    EXPECT_EQ(window.height, 256);

    ASSERT_TRUE(eventually([&] { return shown(server, id) == Seen::SceneOne; }))
        << "no first-scene picture; last seen: " << seen_name(shown(server, id));

    press_key(server, id, "8");
    EXPECT_TRUE(eventually([&] { return shown(server, id) == Seen::SceneOneWithCounter; }))
        << "8: the counter at the bottom left over the first scene";
    press_key(server, id, "8");
    EXPECT_TRUE(eventually([&] { return shown(server, id) == Seen::SceneOne; })) << "8 again: the counter gone";

    // Space must bring the second scene well before the first scene's budget would.
    int frame = 0;
    ASSERT_TRUE(eventually([&] { return (frame = scene_one_frame(screenshot(server, id))) != 0; }));
    ASSERT_LE(frame, 700) << "too late in the first scene to tell Space from its end";
    press_key(server, id, "space");
    const double budget_left = (SCENE_ONE_FRAMES - frame) * FRAME_SECONDS;
    ASSERT_TRUE(eventually([&] { return shown(server, id) == Seen::SceneTwo; }, budget_left))
        << "Space at frame " << frame << ": no second scene within " << budget_left << " s";

    press_key(server, id, "q");
    EXPECT_EQ(demo.wait_exit(), 0) << demo.errors();
}

TEST(Window, ScaleTwoShowsEveryPixelAsATwoByTwoSquare) {
    scene_one();
    XServer server("1024x768x24");
    ASSERT_TRUE(server.ok()) << "Xvfb did not start";
    Program demo(server, "demo", {"--scale", "2"});
    const std::string id = find_window(server);
    ASSERT_FALSE(id.empty()) << demo.errors();
    const Geometry window = window_geometry(server, id);
    EXPECT_EQ(window.width, 512);
    EXPECT_EQ(window.height, 512);
    Picture shot;
    EXPECT_TRUE(eventually([&] {
        shot = screenshot(server, id);
        return blocks_are_whole(shot, 2) && what_is_shown(shrink(shot, 2)) == Seen::SceneOne;
    })) << "crisp 2 x 2 blocks: " << blocks_are_whole(shot, 2) << "; seen at half size: "
        << seen_name(what_is_shown(shrink(shot, 2)));
    press_key(server, id, "Escape");
    EXPECT_EQ(demo.wait_exit(), 0) << demo.errors();
}

TEST(Window, ACloseRequestFromTheWindowManagerDoesNotEndTheShow) {
    XServer server("640x480x24");
    ASSERT_TRUE(server.ok()) << "Xvfb did not start";
    Program demo(server, "demo", {});
    const std::string id = find_window(server);
    ASSERT_FALSE(id.empty()) << demo.errors();
    ASSERT_TRUE(eventually([&] { return has_colour(screenshot(server, id)); })) << "the show never began";

    ASSERT_TRUE(send_close_request(server, id));
    // A program that honoured it would be gone well within this.
    EXPECT_FALSE(eventually([&] { return !demo.running(); }, 3)) << "the close request ended the show";
    EXPECT_EQ(find_window(server, 1), id);
    const Picture before = screenshot(server, id);
    EXPECT_TRUE(eventually([&] { return screenshot(server, id).pixels != before.pixels; }))
        << "the picture stopped moving";

    press_key(server, id, "Escape");
    EXPECT_EQ(demo.wait_exit(), 0) << demo.errors();
}

}  // namespace
}  // namespace e2e

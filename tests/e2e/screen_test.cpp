// demo_fs over the whole screen, and both programs on 16-bit and 30-bit screens: the picture
// is the first scene pixel for pixel, at a whole-number scale with black around it in full
// screen. A screen whose depth the show cannot take says so in one line.
#include <gtest/gtest.h>

#include "e2e_fixtures.h"

namespace e2e {
namespace {

// The full-screen picture at factor, centred on a screen of the given size: the first scene
// (judged by seen) in whole factor x factor blocks, and black everywhere else.
bool full_screen_shows(const XServer& server, int width, int height, int factor, Seen (*seen)(const Picture&),
                       std::string* why) {
    const Picture shot = screenshot(server, "root");
    const int side = 256 * factor;
    const int left = (width - side) / 2;
    const int top = (height - side) / 2;
    const Picture middle = crop(shot, left, top, side, side);
    const bool whole = blocks_are_whole(middle, factor);
    const bool black = all_black_outside(shot, left, top, side, side);
    const Seen inside = seen(shrink(middle, factor));
    *why = std::string("whole blocks: ") + (whole ? "yes" : "no") + ", black border: " + (black ? "yes" : "no") +
           ", inside: " + seen_name(inside);
    return whole && black && inside == Seen::SceneOne;
}

TEST(FullScreen, CoversTheScreenAtTheLargestWholeScaleOnBlackWithoutAPointer) {
    scene_one();
    Show show("1024x700x24", "demo_fs");
    ASSERT_TRUE(show.ready()) << show.why();
    const Geometry window = window_geometry(show.server, show.window);
    const Geometry screen = screen_geometry(show.server);
    EXPECT_EQ(window.x, 0);
    EXPECT_EQ(window.y, 0);
    EXPECT_EQ(window.width, screen.width);
    EXPECT_EQ(window.height, screen.height);
    std::string why;
    EXPECT_TRUE(eventually([&] { return full_screen_shows(show.server, 1024, 700, 2, what_is_shown, &why); })) << why;
    EXPECT_EQ(window_class(show.server, show.window), "vort7131,vort7131");
    EXPECT_EQ(window_icon_size(show.server, show.window), "64x64");
    EXPECT_FALSE(pointer_shows_at(show.server, 512, 350)) << "a mouse pointer over the full-screen picture";
    press_key(show.server, show.window, "q");
    EXPECT_EQ(show.program.wait_exit(), 0) << show.program.errors();
}

TEST(Depth16, TheWindowAndTheFullScreenShowTheRightPicture) {
    scene_one();
    Show show("800x600x16", "demo");
    ASSERT_TRUE(show.ready()) << show.why();
    EXPECT_TRUE(eventually([&] { return what_is_shown_16(screenshot(show.server, show.window)) == Seen::SceneOne; }))
        << "the window: no first-scene picture";
    press_key(show.server, show.window, "q");
    EXPECT_EQ(show.program.wait_exit(), 0) << show.program.errors();

    const XServer& server = show.server;
    Program demo_fs(server, "demo_fs", {"--scale", "1"});
    const std::string id = find_window(server);
    ASSERT_FALSE(id.empty()) << demo_fs.errors();
    std::string why;
    EXPECT_TRUE(eventually([&] { return full_screen_shows(server, 800, 600, 1, what_is_shown_16, &why); }))
        << "full screen at --scale 1: " << why;
    press_key(server, id, "Escape");
    EXPECT_EQ(demo_fs.wait_exit(), 0) << demo_fs.errors();
}

TEST(Depth30, TheWindowAndTheFullScreenShowTheRightPicture) {
    scene_one();
    Show show("800x600x30", "demo");
    ASSERT_TRUE(show.ready()) << show.why();
    EXPECT_TRUE(eventually([&] { return what_is_shown(screenshot(show.server, show.window)) == Seen::SceneOne; }))
        << "the window: no first-scene picture";
    press_key(show.server, show.window, "q");
    EXPECT_EQ(show.program.wait_exit(), 0) << show.program.errors();

    Program demo_fs(show.server, "demo_fs", {"--scale", "2"});
    const std::string id = find_window(show.server);
    ASSERT_FALSE(id.empty()) << demo_fs.errors();
    std::string why;
    EXPECT_TRUE(eventually([&] { return full_screen_shows(show.server, 800, 600, 2, what_is_shown, &why); }))
        << "full screen at --scale 2: " << why;
    press_key(show.server, id, "Escape");
    EXPECT_EQ(demo_fs.wait_exit(), 0) << demo_fs.errors();
}

TEST(Depth8, TheProgramSaysItCannotShowThatDepth) {
    XServer server("640x480x8");
    ASSERT_TRUE(server.ok());
    Program demo(server, "demo", {});
    EXPECT_EQ(demo.wait_exit(), 1);
    const std::string said = demo.errors();  // a sanitizer's report may follow the line
    EXPECT_EQ(said.substr(0, said.find('\n')), "VORT7131: cannot start: no display: the screen's colour depth is not "
                                                "supported: the show needs 16, 24, 30 or 32 bits per pixel");
}

}  // namespace
}  // namespace e2e

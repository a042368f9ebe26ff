// demo_fs over the whole screen, and both programs on 16-bit and 30-bit screens: the picture
// is the first scene pixel for pixel, at a whole-number scale with black around it in full
// screen. A screen whose depth the show cannot take says so in one line.
#include <gtest/gtest.h>

#include "e2e_fixtures.h"

namespace e2e {
namespace {

// What the whole screen of width x height shows at factor, centred on black, in whole blocks.
std::string full_screen_shows(const XServer& server, int width, int height, int factor, bool at_16_bits = false) {
    const int side = 256 * factor;
    return what_is_shown(unscale(screenshot(server, "root"), factor, (width - side) / 2, (height - side) / 2),
                         at_16_bits);
}

TEST(FullScreen, CoversTheScreenAtTheLargestWholeScaleOnBlackWithoutAPointer) {
    scene_one();
    Show show("1024x700x24", "demo_fs");
    ASSERT_TRUE(show.ready()) << show.why();
    const Geometry window = window_geometry(show.server, show.window);
    EXPECT_EQ(window.x, 0);
    EXPECT_EQ(window.y, 0);
    EXPECT_EQ(window.width, 1024);
    EXPECT_EQ(window.height, 700);
    std::string seen;
    EXPECT_TRUE(eventually([&] { return (seen = full_screen_shows(show.server, 1024, 700, 2)) == "the first scene"; }))
        << "in whole 2 x 2 blocks on black: " << seen;
    EXPECT_EQ(window_property(show.server, show.window, "WM_CLASS", "8s"), "WM_CLASS=\"vort7131\",\"vort7131\"");
    EXPECT_EQ(window_property(show.server, show.window, "_NET_WM_ICON", "32c"), "_NET_WM_ICON=64,64");
    EXPECT_FALSE(pointer_shows_at(show.server, 512, 350)) << "a mouse pointer over the full-screen picture";
    press_key(show.server, show.window, "q");
    EXPECT_EQ(show.program.wait_exit(), 0) << show.program.errors();
}

// A 16-bit screen keeps the top 5, 6 and 5 bits of each channel; a 30-bit one is taken as 32.
TEST(Depth, SixteenAndThirtyBitScreensShowTheFirstSceneInAWindowAndInFullScreen) {
    scene_one();
    for (const auto& [depth, scale] : {std::pair{16, 1}, std::pair{30, 2}}) {
        SCOPED_TRACE("depth " + std::to_string(depth));
        Show show("800x600x" + std::to_string(depth), "demo");
        ASSERT_TRUE(show.ready()) << show.why();
        std::string seen;
        EXPECT_TRUE(eventually([&] {
            return (seen = what_is_shown(screenshot(show.server, show.window), depth == 16)) == "the first scene";
        })) << "the window: " << seen;
        press_key(show.server, show.window, "q");
        EXPECT_EQ(show.program.wait_exit(), 0) << show.program.errors();

        Program demo_fs(show.server, "demo_fs", {"--scale", std::to_string(scale)});
        const std::string id = find_window(show.server);
        ASSERT_FALSE(id.empty()) << demo_fs.errors();
        EXPECT_TRUE(eventually([&] {
            return (seen = full_screen_shows(show.server, 800, 600, scale, depth == 16)) == "the first scene";
        })) << "full screen at --scale " << scale << ": " << seen;
        press_key(show.server, id, "Escape");
        EXPECT_EQ(demo_fs.wait_exit(), 0) << demo_fs.errors();
    }
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

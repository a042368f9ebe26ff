// Every way out of demo ends it with status 0: q, Q and Esc (once the show has begun: keys
// are read from the first frame on), and Ctrl-C and SIGTERM at any time after the window.
#include <gtest/gtest.h>

#include <csignal>

#include "e2e_fixtures.h"

namespace e2e {
namespace {

struct Way {
    const char* name;
    const char* key;  // an xdotool key name, or null
    int signal_number;
};

void PrintTo(const Way& way, std::ostream* out) { *out << way.name; }

class Quit : public ::testing::TestWithParam<Way> {};

TEST_P(Quit, EndsTheShowWithStatusZero) {
    const Way& way = GetParam();
    XServer server("640x480x24");
    ASSERT_TRUE(server.ok()) << "Xvfb did not start";
    Program demo(server, "demo", {});
    const std::string id = find_window(server);
    ASSERT_FALSE(id.empty()) << demo.errors();
    if (way.key != nullptr) {
        ASSERT_TRUE(eventually([&] { return has_colour(screenshot(server, id)); })) << "the show never began";
        press_key(server, id, way.key);
    } else {
        demo.signal_group(way.signal_number);
    }
    EXPECT_EQ(demo.wait_exit(), 0) << demo.errors();
}

std::string way_name(const ::testing::TestParamInfo<Way>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Keys, Quit,
                         ::testing::Values(Way{"q", "q", 0}, Way{"ShiftQ", "Q", 0}, Way{"Esc", "Escape", 0}), way_name);
INSTANTIATE_TEST_SUITE_P(Signals, Quit,
                         ::testing::Values(Way{"CtrlC", nullptr, SIGINT}, Way{"SIGTERM", nullptr, SIGTERM}), way_name);

}  // namespace
}  // namespace e2e

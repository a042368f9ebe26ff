// Every way out of demo ends it with status 0: q, Q and Esc (once the show has begun: keys
// are read from the first frame on), and Ctrl-C and SIGTERM at any time after the window.
#include <gtest/gtest.h>

#include <csignal>
#include <ostream>

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
    Show show("640x480x24", "demo");
    ASSERT_TRUE(show.ready()) << show.why();
    if (way.key != nullptr) {
        ASSERT_TRUE(has_begun(show));
        press_key(show.server, show.window, way.key);
    } else {
        show.program.signal_group(way.signal_number);
    }
    EXPECT_EQ(show.program.wait_exit(), 0) << show.program.errors();
}

std::string way_name(const ::testing::TestParamInfo<Way>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Keys, Quit,
                         ::testing::Values(Way{"q", "q", 0}, Way{"ShiftQ", "Q", 0}, Way{"Esc", "Escape", 0}), way_name);
INSTANTIATE_TEST_SUITE_P(Signals, Quit,
                         ::testing::Values(Way{"CtrlC", nullptr, SIGINT}, Way{"SIGTERM", nullptr, SIGTERM}), way_name);

}  // namespace
}  // namespace e2e

// The programs started with standard descriptors closed or full: the show runs with
// standard error closed, no text lands inside a file a program opened, and a help, version
// or checksum that cannot be written is a failure with one line, not a success.
#include <gtest/gtest.h>

#include <string>

#include "e2e_fixtures.h"

namespace e2e {
namespace {

const std::string bin = DEMO_BINARY_DIR;

TEST(Descriptors, ClosedOrFullStandardOutputIsAFailureAndNeverAFileOfTheProgram) {
    const std::string dir = fresh_folder("capture_descriptors");
    auto cannot = [](const std::string& program, const char* why) {
        return program + ": cannot write standard output: " + why + "\n";
    };
    const struct { std::string command; int status; std::string said; } cases[] = {
        {bin + "/demo --version >/dev/full", 1, cannot("demo", "No space left on device")},
        {bin + "/demo_fs --help >/dev/full", 1, cannot("demo_fs", "No space left on device")},
        {bin + "/demo --version >&-", 1, cannot("demo", "Bad file descriptor")},
        {bin + "/demo_capture --help >&-", 1, cannot("demo_capture", "Bad file descriptor")},
        // The WAV would take descriptor 1 and the checksum lines would go into it.
        {bin + "/demo_capture --frames 2000 --checksums --wav " + dir + "/c.wav >&-", 1,
         cannot("demo_capture", "Bad file descriptor")},
        {bin + "/demo_capture --frames 100 --wav " + dir + "/quiet.wav <&- 2>&-", 0, ""},
    };
    for (const auto& c : cases) {
        // Its own redirections after the test's: "2>&-" closes what "2>said" opened.
        EXPECT_EQ(run_command("2>" + dir + "/said timeout -s KILL 300 " + c.command).status, c.status) << c.command;
        EXPECT_EQ(read_file(dir + "/said"), c.said) << c.command;
    }
    const std::string sound = read_file(dir + "/c.wav");
    ASSERT_GE(sound.size(), 44u);
    EXPECT_EQ(sound.find("frame "), std::string::npos);
    EXPECT_EQ(sound.substr(0, 4), "RIFF");
    EXPECT_EQ(run_command(bin + "/demo_capture --frames 100 --wav " + dir + "/loud.wav").status, 0);
    EXPECT_EQ(read_file(dir + "/quiet.wav"), read_file(dir + "/loud.wav"));
}

TEST(Descriptors, TheShowRunsWithStandardErrorClosed) {
    XServer server("640x480x24");
    ASSERT_TRUE(server.ok());
    for (const char* program : {"demo", "demo_fs"}) {
        // Started with 2 closed: the X connection must not take descriptor 2 and be cut.
        const std::string script =
            "env SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy LSAN_OPTIONS=suppressions=" DEMO_SOURCE_DIR
            "/tests/e2e/lsan.supp " + bin + "/" + program + " 2>&- & p=$!; w=none; "
            "for i in $(seq 100); do xdotool search --name ^VORT7131$ >/dev/null 2>&1 && w=window && break; "
            "kill -0 $p 2>/dev/null || break; sleep 0.2; done; kill -TERM $p; wait $p; echo $w $?";
        EXPECT_EQ(run_tool(server, {"sh", "-c", script}), "window 0\n") << program;
    }
}

}  // namespace
}  // namespace e2e

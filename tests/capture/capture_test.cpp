// The whole program, run headless through demo_capture: scene budgets, golden checksums of
// chosen frames of every scene and of the sound, keys, the counter, the closing fade, the
// recorder's arguments; and demo without a screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "capture/capture.h"
#include "capture/capture_fixtures.h"
#include "demo/demo.h"
#include "image/font.h"
#include "image/img.h"

namespace {

struct FrameLine { int presents; std::string checksum; };

// "frame N presents P checksum C" lines by frame number; "end" lines under key 0.
std::map<int, FrameLine> parse_frames(const std::string& output) {
    std::map<int, FrameLine> frames;
    std::istringstream in(output);
    std::string word;
    while (in >> word) {
        int number = 0;
        if (word == "frame") in >> number;
        in >> word >> frames[number].presents >> word >> frames[number].checksum;
    }
    return frames;
}

}  // namespace

TEST(Capture, FullCycleEndsEachSceneAtItsBudgetAndMatchesTheGoldenFrames) {
    const std::string sound = fresh_folder("capture_cycle") + "/full_cycle.wav";
    const CaptureRun run = run_capture("--frames 5100 --checksums --wav " + sound);
    ASSERT_EQ(run.status, 0);
    const auto frames = parse_frames(run.output);
    ASSERT_EQ(frames.size(), 5101u);  // 5100 frames and the end line

    // A scene start is the one frame after a fade: 32 fade presents plus its own.
    std::vector<int> starts;
    for (const auto& [number, line] : frames) {
        if (number == 0 || line.presents == 1) continue;
        EXPECT_EQ(line.presents, 33) << "frame " << number;
        starts.push_back(number);
    }
    // 1001, 1001, 1251, 1001 and 801 frames, then scene 1 again.
    EXPECT_EQ(starts, (std::vector<int>{1, 1002, 2003, 3254, 4255, 5056}));

    // The closing fade: 32 presents after the last frame, ending on a black picture.
    EXPECT_EQ(frames.at(0).presents, 32);
    const std::vector<uint32_t> black(256 * 256, 0);
    EXPECT_EQ(std::stoull(frames.at(0).checksum, nullptr, 16), capture_checksum(black.data(), 256 * 256));

    // Golden checksums: any unintended change of a picture shows here. After a deliberate
    // change of the art or a scene, regenerate with tools/update-golden.
    // The sound is pinned the same way, by its POSIX cksum.
    std::istringstream golden(read_file(DEMO_SOURCE_DIR "/tests/demo/golden_frames.txt"));
    std::string line;
    int checked = 0;
    while (std::getline(golden, line)) {
        if (line.empty() || line[0] == '#') continue;
        ++checked;
        if (line.rfind("sound ", 0) == 0) {
            EXPECT_EQ("sound " + run_command("cksum < " + sound).output, line + "\n") << "the recorded sound";
            continue;
        }
        int number = 0;
        std::string checksum;
        std::istringstream(line) >> number >> checksum;
        ASSERT_TRUE(frames.count(number)) << number;
        EXPECT_EQ(frames.at(number).checksum, checksum) << "frame " << number;
    }
    EXPECT_GE(checked, 11);
}

TEST(Capture, KeysActInTheirFrameSpaceEndsTheSceneEightShowsFiftyFramesAsThirtyTwoEscEndsTheShow) {
    // Keys may come in any order; a frame's keys are delivered when it is polled, as many as
    // one poll of the queue holds (256: frame 599's x's, which nothing reads), none lost.
    const std::string dir = fresh_folder("capture_keys");
    std::string keys = "20:space,10:space,60:8,600:esc";
    for (int i = 0; i < 256; ++i) keys += ",599:x";
    const CaptureRun run = run_capture("--frames 3000 --checksums --every 50 --out " + dir + " --keys " + keys);
    ASSERT_EQ(run.status, 0);
    const auto frames = parse_frames(run.output);
    EXPECT_EQ(frames.at(11).presents, 33);  // frame 10 finished, the next scene faded in
    EXPECT_EQ(frames.at(21).presents, 33);
    EXPECT_EQ(frames.at(12).presents, 1);
    EXPECT_EQ(frames.rbegin()->first, 600);  // nothing after the frame Esc acted in

    // "32" drawn with the program's own coloured 16 x 16 font where the counter stands: drawn
    // again it changes nothing on frame 300, and it changes frame 50, before the key.
    Img* shown = img_load_file((dir + "/frame00300.ppm").c_str());
    Img* hidden = img_load_file((dir + "/frame00050.ppm").c_str());
    ASSERT_TRUE(shown != nullptr && hidden != nullptr);
    demo_startup();
    for (Img* frame : {shown, hidden}) {
        Img* drawn = img_clone(frame);
        demo.font_hex->target = drawn;
        demo.font_hex->pen_x = 0;
        demo.font_hex->pen_y = 256 - 16;
        font_draw_hex8(demo.font_hex, 0x32);
        EXPECT_EQ(img_equal(drawn, frame), frame == shown ? 1 : 0) << (frame == shown ? "frame 300" : "frame 50");
        img_destroy(&drawn);
    }
    img_destroy(&shown);
    img_destroy(&hidden);
}

TEST(Capture, BadArgumentsGetOneLineAndStatusTwo) {
    for (const char* arguments : {"", "--frames", "--frames 0", "--frames x", "--frames 5 --bogus",
                                  "--frames 5 --keys 3", "--frames 5 --keys 3:nosuchkey",
                                  "--frames 5 --every 2", "--frames 5 --video", "--frames 5 --video x.avi",
                                  "--frames 5 --video mp4", "--frames 5 --rss 0"}) {
        EXPECT_EQ(run_capture(std::string(arguments) + " 2>/dev/null").status, 2) << arguments;
    }
    const CaptureRun help = run_capture("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("--frames N"), std::string::npos);

    std::string too_many = "10:x";  // 257 keys for one frame
    for (int i = 0; i < 256; ++i) too_many += ",10:x";
    const CaptureRun refused = capture_said("--frames 10 --keys " + too_many);
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.output, "demo_capture: --keys: 257 keys for frame 10; a frame takes at most 256\n");
}

TEST(DemoProgram, WithoutAScreenItSaysSoOnOneLineAndExitsOne) {
    // No X server, no named video driver: SDL would settle for an invisible offscreen window.
    const CaptureRun run = run_command("timeout -s KILL 30 env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "
                                       "ASAN_OPTIONS=detect_leaks=0 " DEMO_BINARY_DIR "/demo 2>&1 >/dev/null");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output.rfind("VORT7131: cannot start: no display: ", 0), 0u) << run.output;
    EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
}

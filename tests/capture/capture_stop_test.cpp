// Stopping a recording with a signal, in every phase: it ends within seconds with 128 + the
// signal and one line, leaves no ffmpeg and no temporary file, and what it wrote is valid.
#include <gtest/gtest.h>

#include <sys/ioctl.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "capture/capture_fixtures.h"

namespace {

struct Phase {
    const char* name;
    int signal_number;
    std::string arguments;
    std::string ffmpeg;   // the stand-in ffmpeg's script, or "" for the real one
    std::string reached;  // find's arguments in the test's folder: the phase is reached once it finds a file
    const char* left;     // what out holds after: "" nothing, "sound.wav" a valid WAV, "frame*.ppm" whole pictures
};

}  // namespace

TEST(CaptureStop, EverySignalInEveryPhaseEndsItAtOnceWithWhatItWroteValid) {
    const std::string dir = fresh_folder("capture_stop"), many = "--frames 400000 ";
    // The stand-ins mark that they started, then hang without reading, for the encoder or the join.
    const std::string hang = "touch " + dir + "/bin/started; while :; do sleep 1; done";
    const std::string sound = " -name sound.wav -size +";
    const Phase phases[] = {
        {"pictures", SIGINT, many + "--out " + dir + "/out", "", "out -name frame00003.ppm -size +0c", "frame*.ppm"},
        {"sound", SIGTERM, many + "--wav " + dir + "/out/sound.wav", "", "out" + sound + "200000c", "sound.wav"},
        {"video", SIGHUP, many + "--video " + dir + "/out/show.mp4", "", "out -name '.*.wav' -size +100000c", ""},
        {"video and sound", SIGUSR1, many + "--video " + dir + "/out/show.webm --wav " + dir + "/out/sound.wav", "",
         "out" + sound + "100000c", "sound.wav"},
        {"ffmpeg not reading", SIGINT, many + "--video " + dir + "/out/show.mp4", hang, "bin -name started", ""},
        {"joining", SIGQUIT, "--frames 100 --video " + dir + "/out/show.mp4",
         "case \"$*\" in *' copy '*) " + hang + " ;; esac\nexec ffmpeg \"$@\"", "bin -name started", ""},
        {"standard output not read", SIGTERM, many + "--checksums --wav " + dir + "/out/sound.wav", "",
         "out" + sound + "1000c", "sound.wav"},
    };
    for (const Phase& phase : phases) {
        SCOPED_TRACE(phase.name);
        fresh_folder("capture_stop");
        run_command("mkdir " + dir + "/out " + dir + "/bin");
        if (!phase.ffmpeg.empty()) make_ffmpeg(dir, phase.ffmpeg);
        // Standard output into a pipe that nobody reads: it fills, and a write to it blocks.
        int unread[2];
        ASSERT_EQ(pipe(unread), 0);
        const std::string command = "env PATH=" + dir + "/bin:$PATH " + capture_program + " " + phase.arguments + " >&" +
                                    std::to_string(unread[1]) + " 2>" + dir + "/errors";
        Background capture(command);
        close(unread[1]);
        ASSERT_TRUE(eventually([&] {
            return !run_command("find " + dir + "/" + phase.reached).output.empty() ||
                   waitpid(capture.pid(), nullptr, WNOHANG) != 0;
        }, 120));
        if (std::string(phase.name) == "standard output not read") {
            int waiting = 0;
            ASSERT_TRUE(eventually([&] { return ioctl(unread[0], FIONREAD, &waiting) == 0 && waiting >= 60000; }));
        }
        kill(capture.pid(), phase.signal_number);
        const int status = capture.wait(5);  // about 0.1 s; generous for a loaded machine
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + phase.signal_number) << "status " << status;
        const std::string said = read_file(dir + "/errors");
        EXPECT_EQ(said.rfind(std::string("demo_capture: stopped by SIG") + sigabbrev_np(phase.signal_number), 0), 0u)
            << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_EQ(run_command("pgrep -af -- '" + dir + "' | grep -v pgrep").output, "");  // no ffmpeg left
        if (std::string(phase.left) == "frame*.ppm") {  // every one whole: no other size and no other file
            EXPECT_NE(folder_names(dir + "/out"), "");
            EXPECT_EQ(run_command("find " + dir + "/out -type f ! -name 'frame*.ppm' -o ! -size " +
                                  std::to_string(15 + 256 * 256 * 3) + "c -type f").output, "");
        } else {
            EXPECT_EQ(folder_names(dir + "/out"), phase.left);
            if (*phase.left != '\0') expect_valid_wav(read_file(dir + "/out/sound.wav"), "sound.wav");
        }
        close(unread[0]);
    }
}

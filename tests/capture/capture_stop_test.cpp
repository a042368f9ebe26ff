// Stopping a recording with a signal, in every phase: it ends within seconds with 128 + the
// signal and one line, leaves no ffmpeg and no temporary file, and what it wrote is valid.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>

#include "capture/capture_fixtures.h"

namespace {

// Some file in folder named like pattern (a shell pattern) is larger than bytes (-1: is there).
bool has_file(const std::string& folder, const std::string& pattern, int bytes) {
    const std::string size = bytes >= 0 ? " -size +" + std::to_string(bytes) + "c" : "";
    return !run_command("find " + folder + " -maxdepth 1 -name '" + pattern + "'" + size).output.empty();
}

// A stand-in for ffmpeg in DIR/bin: it marks that it started, then hangs without reading,
// for the encoder (hang "frames") or for the join (hang "join"; the rest is the real ffmpeg).
void make_hanging_ffmpeg(const std::string& dir, const std::string& when) {
    const std::string script = dir + "/bin/ffmpeg";
    const std::string hang = "touch " + dir + "/bin/started; while :; do sleep 1; done";
    std::ofstream(script) << "#!/bin/sh\n"
                          << (when == "join" ? "case \"$*\" in *' copy '*) " + hang + " ;; esac\nexec /usr/bin/ffmpeg \"$@\"\n"
                                             : hang + "\n");
    chmod(script.c_str(), 0755);
}

struct Phase {
    const char* name;
    int signal_number;
    std::string arguments;  // DIR stands for the test's folder
    std::string fake;       // "", or when the stand-in ffmpeg hangs
    const char* folder;     // the phase is reached once DIR/folder holds a file named like
    const char* pattern;    // pattern (a shell pattern) of more than bytes (-1: any size)
    int bytes;
    const char* left;       // what DIR/out holds after: "" nothing, "sound.wav" a valid WAV,
                            // "frame*.ppm" whole pictures only
};

}  // namespace

TEST(CaptureStop, EverySignalInEveryPhaseEndsItAtOnceWithWhatItWroteValid) {
    const std::string many = "--frames 400000 ";
    const Phase phases[] = {
        {"pictures", SIGINT, many + "--out DIR/out", "", "out", "frame00003.ppm", 0, "frame*.ppm"},
        {"sound", SIGTERM, many + "--wav DIR/out/sound.wav", "", "out", "sound.wav", 200000, "sound.wav"},
        {"video", SIGHUP, many + "--video DIR/out/show.mp4", "", "out", ".*.wav", 100000, ""},
        {"video and sound", SIGUSR1, many + "--video DIR/out/show.webm --wav DIR/out/sound.wav", "", "out", "sound.wav",
         100000, "sound.wav"},
        {"ffmpeg not reading", SIGINT, many + "--video DIR/out/show.mp4", "frames", "bin", "started", -1, ""},
        {"joining", SIGQUIT, "--frames 100 --video DIR/out/show.mp4", "join", "bin", "started", -1, ""},
        {"standard output not read", SIGTERM, many + "--checksums --wav DIR/out/sound.wav", "", "out", "sound.wav", 1000,
         "sound.wav"},
    };
    for (const Phase& phase : phases) {
        SCOPED_TRACE(phase.name);
        const std::string dir = fresh_folder("capture_stop");
        run_command("mkdir " + dir + "/out " + dir + "/bin");
        if (!phase.fake.empty()) make_hanging_ffmpeg(dir, phase.fake);
        std::string arguments = phase.arguments;
        for (size_t at; (at = arguments.find("DIR")) != std::string::npos;) arguments.replace(at, 3, dir);
        // Standard output into a pipe that nobody reads: it fills, and a write to it blocks.
        int unread[2];
        ASSERT_EQ(pipe(unread), 0);
        const std::string command = "env PATH=" + dir + "/bin:$PATH " + capture_program + " " + arguments + " >&" +
                                    std::to_string(unread[1]) + " 2>" + dir + "/errors";
        Background capture(command);
        close(unread[1]);
        ASSERT_TRUE(eventually([&] {
            return has_file(dir + "/" + phase.folder, phase.pattern, phase.bytes) || waitpid(capture.pid(), nullptr, WNOHANG) != 0;
        }, 120));
        if (std::string(phase.name) == "standard output not read") {
            int waiting = 0;
            ASSERT_TRUE(eventually([&] { return ioctl(unread[0], FIONREAD, &waiting) == 0 && waiting >= 60000; }));
        }
        const auto sent = std::chrono::steady_clock::now();
        kill(capture.pid(), phase.signal_number);
        const int status = capture.wait(60);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + phase.signal_number) << "status " << status;
        EXPECT_LT(seconds, 5.0);  // about 0.1 s; generous for a loaded machine
        const std::string said = read_file(dir + "/errors");
        EXPECT_EQ(said.rfind(std::string("demo_capture: stopped by SIG") + sigabbrev_np(phase.signal_number), 0), 0u)
            << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_EQ(processes_using(dir), "");
        if (std::string(phase.left) == "frame*.ppm") {  // every one whole: no other size and no other file
            EXPECT_TRUE(has_file(dir + "/out", "frame*.ppm", 0));
            EXPECT_EQ(run_command("find " + dir + "/out -type f ! -name 'frame*.ppm' -o ! -size " +
                                  std::to_string(15 + 256 * 256 * 3) + "c -type f").output, "");
        } else {
            EXPECT_EQ(folder_names(dir + "/out"), phase.left);
            if (*phase.left != '\0') expect_valid_wav(read_file(dir + "/out/sound.wav"), "sound.wav");
        }
        close(unread[0]);
    }
}

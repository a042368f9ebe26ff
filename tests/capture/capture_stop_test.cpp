// Stopping a recording with a signal, in every phase: it ends within seconds with 128 + the
// signal and one line, leaves no ffmpeg and no temporary file, and what it wrote is valid.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>

#include "capture/capture_fixtures.h"

namespace {

int64_t file_size(const std::string& path) {
    struct stat info{};
    return stat(path.c_str(), &info) == 0 ? info.st_size : -1;
}

// The size of the first file in folder whose name ends in suffix; -1 when there is none.
int64_t size_ending(const std::string& folder, const std::string& suffix) {
    const std::string names = folder_names(folder) + " ";
    for (size_t start = 0, end; (end = names.find(' ', start)) != std::string::npos; start = end + 1) {
        const std::string name = names.substr(start, end - start);
        if (name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            return file_size(folder + "/" + name);
    }
    return -1;
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
    std::string arguments;              // DIR stands for the test's folder
    std::string fake;                   // "", or when the stand-in ffmpeg hangs
    bool (*reached)(const std::string& dir);  // the recording is in that phase
    void (*check)(const std::string& dir);    // what it left
};

void only_whole_pictures(const std::string& dir) {
    const std::string names = folder_names(dir + "/out");
    EXPECT_NE(names, "");
    for (size_t start = 0, end; start < names.size(); start = end + 1) {
        end = std::min(names.find(' ', start), names.size());
        const std::string name = names.substr(start, end - start);
        EXPECT_EQ(name.rfind("frame", 0), 0u) << name;
        EXPECT_EQ(file_size(dir + "/out/" + name), 15 + 256 * 256 * 3) << name;
    }
}
void valid_sound(const std::string& dir) { expect_valid_wav(read_file(dir + "/out/sound.wav"), "sound.wav"); }
void nothing_left(const std::string& dir) { EXPECT_EQ(folder_names(dir + "/out"), ""); }

}  // namespace

TEST(CaptureStop, EverySignalInEveryPhaseEndsItAtOnceWithWhatItWroteValid) {
    const std::string many = "--frames 400000 ";
    const Phase phases[] = {
        {"pictures", SIGINT, many + "--out DIR/out", "",
         [](const std::string& dir) { return size_ending(dir + "/out", "00003.ppm") > 0; }, only_whole_pictures},
        {"sound", SIGTERM, many + "--wav DIR/out/sound.wav", "",
         [](const std::string& dir) { return file_size(dir + "/out/sound.wav") > 200000; }, valid_sound},
        {"video", SIGHUP, many + "--video DIR/out/show.mp4", "",
         [](const std::string& dir) { return size_ending(dir + "/out", ".wav") > 100000; }, nothing_left},
        {"video and sound", SIGUSR1, many + "--video DIR/out/show.webm --wav DIR/out/sound.wav", "",
         [](const std::string& dir) { return file_size(dir + "/out/sound.wav") > 100000; },
         [](const std::string& dir) {
             EXPECT_EQ(folder_names(dir + "/out"), "sound.wav");
             valid_sound(dir);
         }},
        {"ffmpeg not reading", SIGINT, many + "--video DIR/out/show.mp4", "frames",
         [](const std::string& dir) { return file_size(dir + "/bin/started") >= 0; }, nothing_left},
        {"joining", SIGQUIT, "--frames 100 --video DIR/out/show.mp4", "join",
         [](const std::string& dir) { return file_size(dir + "/bin/started") >= 0; }, nothing_left},
        {"standard output not read", SIGTERM, many + "--checksums --wav DIR/out/sound.wav", "",
         [](const std::string& dir) { return file_size(dir + "/out/sound.wav") > 1000; }, valid_sound},
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
        ASSERT_TRUE(within(120, [&] { return phase.reached(dir) || waitpid(capture.pid(), nullptr, WNOHANG) != 0; }));
        if (std::string(phase.name) == "standard output not read") {
            int waiting = 0;
            ASSERT_TRUE(within(60, [&] { return ioctl(unread[0], FIONREAD, &waiting) == 0 && waiting >= 60000; }));
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
        phase.check(dir);
        // Whatever reached standard output is whole lines.
        std::string printed(1 << 20, '\0');
        fcntl(unread[0], F_SETFL, O_NONBLOCK);
        const ssize_t n = read(unread[0], printed.data(), printed.size());
        printed.resize(n > 0 ? static_cast<size_t>(n) : 0);
        close(unread[0]);
        EXPECT_TRUE(printed.empty() || printed.back() == '\n');
    }
}

#pragma once
// Running programs from a test through the shell (the end-to-end, install and built-in tests
// share these): demo_capture's exit status, what it printed or said, the files it wrote; a
// program started in the background to be signalled; the WAV files it makes.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>

const std::string capture_program = DEMO_BINARY_DIR "/demo_capture";

// A command's exit status (-1 when it did not exit normally) and what it printed on its
// standard output.
struct CaptureRun { int status = -1; std::string output; };

// Runs a shell command, collecting its standard output.
inline CaptureRun run_command(const std::string& command) {
    CaptureRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
    const int status = pclose(pipe);
    if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
    return run;
}

// demo_capture with these arguments, run by the shell after setup ("ulimit -f 100",
// "PATH=..."): its standard output. Arguments may hold redirections.
inline CaptureRun run_capture(const std::string& arguments, const std::string& setup = "") {
    return run_command("(" + setup + "\nexec /usr/bin/timeout -s KILL 600 " + capture_program + " " + arguments + ")");
}

// What demo_capture said on standard error, its standard output thrown away unless the
// arguments redirect it elsewhere (">/dev/full").
inline CaptureRun capture_said(const std::string& arguments, const std::string& setup = "") {
    return run_capture("2>&1 >/dev/null " + arguments, setup);
}

inline std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A folder of its own for one test, empty; the process id keeps other runs of the same
// tests on this machine out of it, and the folders go when the test program ends.
inline std::string fresh_folder(const std::string& name) {
    [[maybe_unused]] static const int registered = std::atexit([] {
        [[maybe_unused]] const int removed =
            std::system(("rm -rf " + testing::TempDir() + "capture_*_" + std::to_string(getpid())).c_str());
    });
    const std::string path = testing::TempDir() + name + "_" + std::to_string(getpid());
    run_command("rm -rf '" + path + "' && mkdir -p '" + path + "'");
    return path;
}

// Polls done() every 0.1 s until it is true (true) or seconds have passed (false): a slow or
// loaded machine only makes a test slower.
template <typename Done>
bool eventually(Done&& done, double seconds = 60) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (; !done(); std::this_thread::sleep_for(std::chrono::milliseconds(100))) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
    }
    return true;
}

// A shell command started in the background (exec'd: its pid is the program's), in a process
// group of its own; killed with its group if it still runs when this goes.
class Background {
public:
    explicit Background(const std::string& command) : pid_(fork()) {
        if (pid_ == 0) {
            setpgid(0, 0);
            execl("/bin/sh", "sh", "-c", ("exec " + command).c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        setpgid(pid_, pid_);
    }
    ~Background() { wait(0); }
    Background(const Background&) = delete;
    Background& operator=(const Background&) = delete;
    pid_t pid() const { return pid_; }
    // The raw wait status once it ended within seconds; -1 (and killed) when it did not.
    int wait(double seconds) {
        int raw = -1;
        if (pid_ > 0 && !eventually([&] { return waitpid(pid_, &raw, WNOHANG) == pid_; }, seconds)) {
            kill(-pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            raw = -1;
        }
        pid_ = -1;
        return raw;
    }

private:
    pid_t pid_;
};

// A stand-in ffmpeg, dir/bin/ffmpeg, that runs this shell script (the real one is on its PATH).
inline void make_ffmpeg(const std::string& dir, const std::string& script) {
    std::ofstream(dir + "/bin/ffmpeg") << "#!/bin/sh\nPATH=/usr/bin:/bin\n" << script << "\n";
    chmod((dir + "/bin/ffmpeg").c_str(), 0755);
}

inline uint32_t le32(const std::string& bytes, size_t at) {
    uint32_t v = 0;
    for (size_t i = 4; i-- > 0;) v = v << 8 | static_cast<uint8_t>(bytes[at + i]);
    return v;
}

// A 16-bit mono 44100 Hz WAV whose header's sizes agree with the file's length.
inline void expect_valid_wav(const std::string& bytes, const std::string& name) {
    ASSERT_GE(bytes.size(), 44u) << name;
    EXPECT_EQ(bytes.substr(0, 4) + bytes.substr(8, 8) + bytes.substr(36, 4), "RIFFWAVEfmt data") << name;
    EXPECT_EQ(le32(bytes, 4), bytes.size() - 8) << name;
    EXPECT_EQ(le32(bytes, 24), 44100u) << name;
    EXPECT_EQ(le32(bytes, 40), bytes.size() - 44) << name;
    EXPECT_EQ(bytes.size() % 2, 0u) << name;
}

// The names in a folder, hidden ones too, sorted and separated by spaces.
inline std::string folder_names(const std::string& folder) {
    std::string names = run_command("ls -A '" + folder + "' | tr '\\n' ' '").output;
    if (!names.empty()) names.pop_back();
    return names;
}

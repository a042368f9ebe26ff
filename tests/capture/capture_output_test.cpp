// Where a recording goes: failed writes reported (one line, status 1) with the sound so far
// still a valid WAV file and no cut picture left; names taken as names, checked before the
// first frame.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "capture/capture_fixtures.h"
#include "capture/capture_wav.h"

namespace {

std::string cannot_write(const std::string& file, int error, const std::string& verb = "write") {
    return "demo_capture: cannot " + verb + " " + file + ": " + std::strerror(error) + "\n";
}

}  // namespace

TEST(CaptureWrites, AFailedWriteEndsTheRecordingWithOneLineAndTheSoundSoFar) {
    // A full device; a file size limit (ulimit -f binds root too: 100 blocks of 512 or 1024
    // bytes, by shell) that falls inside a device buffer of 8192 bytes, or below one frame;
    // a folder below a regular file, which cannot be made or written, even by root.
    const std::string dir = fresh_folder("capture_writes");
    run_command("ln -s /dev/full " + dir + "/frame00100.ppm && touch " + dir + "/plain");
    const std::string limit = "ulimit -f 100";
    const struct { std::string arguments, said, setup = ""; } cases[] = {
        {"--frames 50 --wav /dev/full", cannot_write("/dev/full", ENOSPC)},
        {"--frames 500 --checksums >/dev/full", cannot_write("standard output", ENOSPC)},
        {"--frames 50 --rss 1 >/dev/full", cannot_write("standard output", ENOSPC)},
        {"--help >/dev/full", cannot_write("standard output", ENOSPC)},
        {"--frames 150 --every 50 --out " + dir + " --wav " + dir + "/sound.wav",
         cannot_write(dir + "/frame00100.ppm", ENOSPC)},
        {"--frames 300 --wav " + dir + "/cut.wav", cannot_write(dir + "/cut.wav", EFBIG), limit},
        {"--frames 10 --out " + dir + "/frames --wav " + dir + "/short.wav",
         cannot_write(dir + "/frames/frame00001.ppm", EFBIG), limit},
        {"--frames 5 --out " + dir + "/plain", cannot_write(dir + "/plain", ENOTDIR, "create")},
        {"--frames 5 --out " + dir + "/plain/frames", cannot_write(dir + "/plain/frames", ENOTDIR, "create")},
        {"--frames 5 --wav " + dir + "/plain/sound.wav", cannot_write(dir + "/plain/sound.wav", ENOTDIR)},
        // A WAV header is rewritten as the sound grows: a pipe (standard error here) cannot take one.
        {"--frames 5 --wav /dev/stderr", cannot_write("/dev/stderr", ESPIPE)},
    };
    for (const auto& c : cases) {
        const CaptureRun run = capture_said(c.arguments, c.setup);
        EXPECT_EQ(run.status, 1) << c.arguments;
        EXPECT_EQ(run.output, c.said) << c.arguments;
    }
    // Frame 50 was written; the picture cut by the size limit is gone. The sound up to the
    // failing write is a whole WAV file, the very sound of the show up to there, with the
    // values of a cut write that fitted.
    EXPECT_EQ(read_file(dir + "/frame00050.ppm").size(), 15u + 256 * 256 * 3);
    EXPECT_EQ(folder_names(dir + "/frames"), "");
    ASSERT_EQ(run_capture("--frames 300 --wav " + dir + "/whole.wav").status, 0);
    const std::string whole = read_file(dir + "/whole.wav");
    for (const char* name : {"/sound.wav", "/cut.wav", "/short.wav"}) {
        const std::string part = read_file(dir + name);
        expect_valid_wav(part, name);
        ASSERT_GT(whole.size(), part.size()) << name;
        EXPECT_EQ(part.substr(44), whole.substr(44, part.size() - 44)) << name;
    }
    const std::string cut = read_file(dir + "/cut.wav");
    EXPECT_EQ(cut.size() % 512, 0u);          // filled up to the limit,
    EXPECT_NE((cut.size() - 44) % 8192, 0u);  // a cut write included
    EXPECT_GE(read_file(dir + "/sound.wav").size(), 44u + 8192 * 20);  // 100 frames of sound
}

TEST(CaptureNames, EveryOutputNameIsAFileNameCheckedBeforeTheFirstFrame) {
    // Names ffmpeg would read as a URL or an option, names too long for the system, and names
    // that cannot be written: a FIFO nobody reads, a video in place of a FIFO (no device here:
    // were the check lost, the finished video would replace the device itself), a folder below
    // a plain file (found before a single frame: the WAV is never made).
    const std::string dir = fresh_folder("capture_names");
    run_command("cd " + dir + " && mkfifo fifo.wav fifo.mp4 && touch plain");
    std::string folder = "/";
    while (folder.size() < 4085) folder += std::string(std::min<size_t>(200, 4084 - folder.size()), 'd') + "/";
    const struct { std::string arguments; int status; std::string said, left; } cases[] = {
        {"--video pipe:1.webm", 0, "", "pipe:1.webm"},
        {"--video take:2.mp4 --wav rec:1.wav", 0, "", "rec:1.wav take:2.mp4"},
        {"--video -y.mp4", 0, "", "-y.mp4"},
        {"--out " + folder, 2, "demo_capture: --out: the folder's name is too long for its pictures (4085 characters)\n", ""},
        {"--wav " + folder + std::string(11, 'w'), 2, "demo_capture: --wav: the name is too long (4096 characters, at most 4095)\n", ""},
        {"--video " + folder + "v.mp4", 2, "demo_capture: --video: the name is too long (4090 characters, at most 4063)\n", ""},
        {"--frames 400000 --wav w.wav --video plain/v.mp4", 1, cannot_write("plain/v.mp4", ENOTDIR), ""},
        {"--video fifo.mp4", 1, "demo_capture: cannot write fifo.mp4: not a plain file\n", ""},
        {"--wav fifo.wav", 1, cannot_write("fifo.wav", ENXIO), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.substr(0, 60));
        const CaptureRun run = capture_said("--frames 30 " + c.arguments + " >printed", "cd " + dir);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.output, c.said);
        EXPECT_EQ(read_file(dir + "/printed"), "");
        // What it made, and nothing else: no temporary, no WAV of a recording that never began.
        const std::string made = "for f in " + c.left + "; do test -s \"$f\" && rm -- \"$f\" || echo \"$f\"; done";
        EXPECT_EQ(run_command("cd " + dir + " && " + made).output, "");
        EXPECT_EQ(folder_names(dir), "fifo.mp4 fifo.wav plain printed");
    }
}

TEST(CaptureWav, ItStopsAtTheLimitOfItsSizes) {
    const std::string path = fresh_folder("capture_wav") + "/sound.wav";
    CaptureWav wav;
    ASSERT_TRUE(capture_wav_open(&wav, path.c_str()));
    const uint8_t values[6] = {1, 0, 2, 0, 3, 0};
    ASSERT_TRUE(capture_wav_append(&wav, values, 6));
    expect_valid_wav(read_file(path), "open");  // valid while still being written
    // The 32-bit sizes hold about 13 hours: beyond that nothing is written.
    wav.data_bytes = CAPTURE_WAV_MAX_DATA - 4;
    EXPECT_FALSE(capture_wav_append(&wav, values, 6));
    EXPECT_EQ(errno, EOVERFLOW);
    wav.data_bytes = 6;
    ASSERT_TRUE(capture_wav_close(&wav));
    EXPECT_EQ(wav.fd, -1);
    const std::string bytes = read_file(path);
    expect_valid_wav(bytes, "closed");
    EXPECT_EQ(bytes.substr(44), std::string(reinterpret_cast<const char*>(values), 6));
}

// Where a recording goes: failed writes reported (one line, status 1) with the sound so far
// still a valid WAV file, and the video made through ffmpeg.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "demo/capture_fixtures.h"
#include "demo/capture_output.h"
#include "image/img.h"

namespace {

uint32_t le32(const std::string& bytes, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(bytes[at + static_cast<size_t>(i)]);
    return v;
}

// A 16-bit mono 44100 Hz WAV whose header's sizes agree with the file's length.
void expect_valid_wav(const std::string& bytes, const std::string& name) {
    ASSERT_GE(bytes.size(), 44u) << name;
    EXPECT_EQ(bytes.substr(0, 4), "RIFF") << name;
    EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ") << name;
    EXPECT_EQ(bytes.substr(36, 4), "data") << name;
    EXPECT_EQ(le32(bytes, 4), bytes.size() - 8) << name;
    EXPECT_EQ(le32(bytes, 24), 44100u) << name;
    EXPECT_EQ(le32(bytes, 40), bytes.size() - 44) << name;
    EXPECT_EQ(bytes.size() % 2, 0u) << name;
}

std::string cannot_write(const std::string& file, int error) {
    return "demo_capture: cannot write " + file + ": " + std::strerror(error) + "\n";
}

// What ffprobe says of a video: "format" gives the duration in seconds, "v" the video
// stream's "codec,width,height", "a" the audio stream's codec; empty when there is none.
std::string probe(const std::string& path, const std::string& what) {
    const std::string entries = what == "format" ? "-show_entries format=duration"
                              : what == "v"      ? "-select_streams v:0 -show_entries stream=codec_name,width,height"
                                                 : "-select_streams a:0 -show_entries stream=codec_name";
    std::string output = run_command("ffprobe -v error " + entries + " -of csv=p=0 '" + path + "'").output;
    while (!output.empty() && output.back() == '\n') output.pop_back();
    return output;
}

// Mean difference per colour channel of two same-sized pictures; -1 when they cannot be compared.
double mean_difference(const std::string& a_path, const std::string& b_path) {
    Img* a = img_load_file(a_path.c_str());
    Img* b = img_load_file(b_path.c_str());
    double mean = -1;
    if (a != nullptr && b != nullptr && a->width == b->width && a->height == b->height) {
        int64_t sum = 0;
        const int64_t count = static_cast<int64_t>(a->width) * a->height;
        for (int64_t i = 0; i < count; ++i)
            for (int shift = 0; shift < 24; shift += 8)
                sum += std::abs(static_cast<int>((a->pixels[i] >> shift) & 0xFF) -
                                static_cast<int>((b->pixels[i] >> shift) & 0xFF));
        mean = static_cast<double>(sum) / static_cast<double>(3 * count);
    }
    img_destroy(&a);
    img_destroy(&b);
    return mean;
}

}  // namespace

TEST(CaptureWrites, AFailedWriteEndsTheRecordingWithOneLineAndTheSoundSoFar) {
    // A full device; a file size limit (ulimit -f binds root too: 100 blocks of 512 or 1024
    // bytes, by shell) that falls inside a device buffer of 8192 bytes, or below one frame;
    // a folder below a regular file, which cannot be made or written, even by root.
    const std::string dir = fresh_folder("capture_writes");
    run_command("ln -s /dev/full " + dir + "/frame00100.ppm && touch " + dir + "/plain");
    const std::string limit = "ulimit -f 100", full = ">/dev/full", quiet = ">/dev/null";
    const struct { std::string setup, arguments, redirects, said; } cases[] = {
        {"", "--frames 50 --wav /dev/full", quiet, cannot_write("/dev/full", ENOSPC)},
        {"", "--frames 500 --checksums", full, cannot_write("standard output", ENOSPC)},
        {"", "--frames 50 --rss 1", full, cannot_write("standard output", ENOSPC)},
        {"", "--help", full, cannot_write("standard output", ENOSPC)},
        {"", "--frames 150 --every 50 --out " + dir + " --wav " + dir + "/sound.wav", quiet,
         cannot_write(dir + "/frame00100.ppm", ENOSPC)},
        {limit, "--frames 300 --wav " + dir + "/cut.wav", quiet, cannot_write(dir + "/cut.wav", EFBIG)},
        {limit, "--frames 10 --out " + dir + "/frames --wav " + dir + "/short.wav", quiet,
         cannot_write(dir + "/frames/frame00001.ppm", EFBIG)},
        {"", "--frames 5 --out " + dir + "/plain/frames", quiet,
         "demo_capture: cannot create " + dir + "/plain/frames: " + std::strerror(ENOTDIR) + "\n"},
        {"", "--frames 5 --wav " + dir + "/plain/sound.wav", quiet, cannot_write(dir + "/plain/sound.wav", ENOTDIR)},
    };
    for (const auto& c : cases) {
        const CaptureRun run = run_capture_errors(c.arguments, {c.setup, "", c.redirects});
        EXPECT_EQ(run.status, 1) << c.arguments;
        EXPECT_EQ(run.output, c.said) << c.arguments;
    }
    // A WAV header is rewritten as the sound grows: a pipe cannot take one.
    const CaptureRun piped = run_command("bash -c 'set -o pipefail; " + capture_program +
                                         " --frames 5 --wav /dev/stdout 2>" + dir + "/errors | cat >/dev/null'");
    EXPECT_EQ(piped.status, 1);
    EXPECT_EQ(read_file(dir + "/errors"), cannot_write("/dev/stdout", ESPIPE));

    // Frame 50 was written. The sound up to the failing write is a whole WAV file, the very
    // sound of a recording that stopped there (one that ended at frame 100 only adds its
    // closing fade), with the values of a cut write that fitted.
    EXPECT_EQ(read_file(dir + "/frame00050.ppm").size(), 15u + 256 * 256 * 3);
    ASSERT_EQ(run_capture("--frames 100 --wav " + dir + "/reference.wav").status, 0);
    ASSERT_EQ(run_capture("--frames 300 --wav " + dir + "/whole.wav").status, 0);
    const std::string whole = read_file(dir + "/whole.wav"), cut = read_file(dir + "/cut.wav");
    const std::string stopped = read_file(dir + "/sound.wav"), reference = read_file(dir + "/reference.wav");
    ASSERT_LT(stopped.size(), reference.size());
    EXPECT_EQ(stopped.substr(44), reference.substr(44, stopped.size() - 44));
    for (const char* name : {"/sound.wav", "/cut.wav", "/short.wav"}) expect_valid_wav(read_file(dir + name), name);
    EXPECT_EQ(cut.size() % 512, 0u);          // filled up to the limit,
    EXPECT_NE((cut.size() - 44) % 8192, 0u);  // a cut write included
    ASSERT_GT(whole.size(), cut.size());
    EXPECT_EQ(cut.substr(44), whole.substr(44, cut.size() - 44));
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

TEST(CaptureVideo, FindsOnlyExecutableFilesOnThePath) {
    const std::string dir = fresh_folder("capture_path");
    run_command("cd " + dir + " && printf '#!/bin/sh\\n' > tool && chmod 755 tool && touch plain && mkdir folder");
    const char* saved = std::getenv("PATH");
    const std::string saved_path = saved != nullptr ? saved : "";
    setenv("PATH", ("/nonexistent:" + dir).c_str(), 1);
    char found[4096] = {};
    EXPECT_TRUE(capture_find_program("tool", found, sizeof found));
    EXPECT_EQ(std::string(found), dir + "/tool");
    EXPECT_FALSE(capture_find_program("plain", found, sizeof found));   // not executable
    EXPECT_FALSE(capture_find_program("folder", found, sizeof found));  // not a file
    EXPECT_FALSE(capture_find_program("missing", found, sizeof found));
    setenv("PATH", saved_path.c_str(), 1);
    EXPECT_TRUE(capture_video_known("a.MP4") && capture_video_known("b.webm") && capture_video_is_webm("b.WebM"));
    EXPECT_FALSE(capture_video_known(".mp4") || capture_video_known("c.mkv") || capture_video_is_webm("a.mp4"));
}

TEST(CaptureVideo, HoldsTheFramesAtTwiceTheSizeWithTheSound) {
    const std::string dir = fresh_folder("capture_video");
    const CaptureShell own_temp = {"mkdir " + dir + "/tmp", "TMPDIR=" + dir + "/tmp", ">/dev/null"};
    // An MP4 of 100 frames; a WebM of 60 with a key pressed, its sound pass kept as --wav.
    const CaptureRun mp4 = run_capture_errors("--frames 100 --video " + dir + "/show.mp4", own_temp);
    const CaptureRun webm = run_capture_errors("--frames 60 --keys 30:space --video " + dir + "/show.webm --wav " +
                                               dir + "/kept.wav");
    ASSERT_EQ(mp4.status, 0) << mp4.output;
    ASSERT_EQ(webm.status, 0) << webm.output;
    EXPECT_EQ(mp4.output, "");
    EXPECT_NEAR(std::atof(probe(dir + "/show.mp4", "format").c_str()), 100 / 50.0, 2 / 50.0);
    EXPECT_NEAR(std::atof(probe(dir + "/show.webm", "format").c_str()), 60 / 50.0, 2 / 50.0);
    EXPECT_EQ(probe(dir + "/show.mp4", "v") + " " + probe(dir + "/show.mp4", "a"), "h264,512,512 aac");
    EXPECT_EQ(probe(dir + "/show.webm", "v") + " " + probe(dir + "/show.webm", "a"), "vp9,512,512 opus");
    expect_valid_wav(read_file(dir + "/kept.wav"), "kept.wav");
    // No frame files, and the temporary sound is gone.
    EXPECT_EQ(run_command("cd " + dir + " && ls -A . tmp | tr '\\n' ' '").output,
              ".: kept.wav show.mp4 show.webm tmp  tmp: ");

    // Frame 50 of the video is frame 50 of the show, colours in their places (lossy: close).
    ASSERT_EQ(run_capture("--frames 50 --every 50 --out " + dir + "/frames").status, 0);
    ASSERT_EQ(run_command("ffmpeg -v error -i " + dir + "/show.mp4 -vf 'select=eq(n\\,49),scale=256:256:flags=neighbor' "
                          "-frames:v 1 -y " + dir + "/video50.ppm").status, 0);
    const double near = mean_difference(dir + "/video50.ppm", dir + "/frames/frame00050.ppm");
    EXPECT_GE(near, 0);
    EXPECT_LT(near, 8.0);  // about 3.3 here; the neighbouring frame, or red and blue swapped, give 20 and more
}

TEST(CaptureVideo, WithoutFfmpegOrWhenItFailsOneLineAndStatusOne) {
    const std::string dir = fresh_folder("capture_video_fails");
    CaptureRun run = run_capture_errors("--frames 10 --video " + dir + "/show.mp4", {"", "PATH=/nonexistent", ">/dev/null"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, "demo_capture: --video needs ffmpeg, and there is none on PATH\n");

    // ffmpeg cannot make a file below a regular file: it stops, we say so after its own words.
    run_command("touch " + dir + "/plain && mkdir " + dir + "/tmp");
    run = run_capture_errors("--frames 200 --video " + dir + "/plain/show.mp4",
                             {"", "TMPDIR=" + dir + "/tmp", ">/dev/null"});
    EXPECT_EQ(run.status, 1);
    const size_t last_line = run.output.rfind('\n', run.output.size() - 2);
    const std::string last = run.output.substr(last_line == std::string::npos ? 0 : last_line + 1);
    EXPECT_EQ(last.rfind("demo_capture: ffmpeg failed making " + dir + "/plain/show.mp4 (exit status ", 0), 0u)
        << run.output;
    EXPECT_EQ(run_command("ls -A " + dir + "/tmp").output, "");
}

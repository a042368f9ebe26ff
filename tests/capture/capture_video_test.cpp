// The video made through ffmpeg in one run of the show: twice the size, crisp, in step with
// its sound, loud enough to share; and when ffmpeg is missing or fails, one line, no video.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "capture/capture_fixtures.h"
#include "capture/capture_video.h"

namespace {

// What ffprobe says of a stream of a file ("v" or "a"): "codec,width,height", and its duration.
std::string probe(const std::string& path, const std::string& stream, double* duration = nullptr) {
    std::string out = run_command("ffprobe -v error -select_streams " + stream + ":0 -show_entries " +
                                  "stream=codec_name,width,height,duration -of csv=p=0 '" + path + "'").output;
    if (duration != nullptr) *duration = std::atof(out.substr(out.rfind(',') + 1).c_str());
    return out.substr(0, out.rfind(','));
}

// ffmpeg's EBU R128 meter over a file's sound: integrated loudness (LUFS) and true peak (dBTP).
void loudness(const std::string& path, double* integrated, double* peak) {
    const std::string report = run_command("ffmpeg -nostats -hide_banner -i '" + path +
                                           "' -af ebur128=peak=true:framelog=verbose -f null - 2>&1 | tail -12").output;
    *integrated = std::atof(report.substr(report.rfind("I:") + 2).c_str());
    *peak = std::atof(report.substr(report.rfind("Peak:") + 5).c_str());
}

}  // namespace

TEST(CaptureVideo, ShowsTheScreenAtTwiceTheSizeInStepWithItsSoundAtSixteenLufs) {
    const std::string dir = fresh_folder("capture_video");
    // An MP4 with a scene change, its exact sound kept as --wav; a WebM.
    const std::string keys = "--frames 300 --keys 150:space ";
    const CaptureRun mp4 = capture_said(keys + "--video " + dir + "/show.mp4 --wav " + dir + "/kept.wav");
    const CaptureRun webm = capture_said("--frames 60 --video " + dir + "/show.webm");
    ASSERT_EQ(mp4.status, 0) << mp4.output;
    ASSERT_EQ(webm.status, 0) << webm.output;
    EXPECT_EQ(mp4.output + webm.output, "");
    EXPECT_EQ(folder_names(dir), "kept.wav show.mp4 show.webm");  // no frame files, no temporaries

    // The picture and the sound last as long as the show did: the WAV holds the whole device
    // buffers (4096 values) its clock covered.
    double shown = 0, heard = 0;
    EXPECT_EQ(probe(dir + "/show.mp4", "v", &shown), "h264,512,512");
    EXPECT_EQ(probe(dir + "/show.mp4", "a", &heard), "aac");
    EXPECT_NEAR(heard, shown, 0.03);
    const double played = static_cast<double>(read_file(dir + "/kept.wav").size() - 44) / (2 * 44100);
    EXPECT_GE(shown + 0.001, played);
    EXPECT_LT(shown - played, 4096 / 44100.0 + 0.02);
    EXPECT_EQ(probe(dir + "/show.webm", "v"), "vp9,512,512");
    EXPECT_EQ(probe(dir + "/show.webm", "a").substr(0, 4), "opus");

    // The video's sound is brought to -16 LUFS, true peak at most -1 dBTP (the show plays at
    // about -32); the WAV keeps the show's exact values.
    double integrated = 0, peak = 0;
    loudness(dir + "/show.mp4", &integrated, &peak);
    EXPECT_NEAR(integrated, -16.0, 0.5);
    EXPECT_LE(peak, -1.0);
    ASSERT_EQ(run_capture(keys + "--wav " + dir + "/alone.wav").status, 0);
    EXPECT_EQ(read_file(dir + "/kept.wav"), read_file(dir + "/alone.wav"));

    // The video holds what the screen held, a frame each 20 ms: the 300 scene frames but the
    // two (at each scene start) that a fade step replaced at once, and three fades (the
    // first, Space's, the closing one) of 32 steps.
    EXPECT_NEAR(shown, (300 - 2 + 3 * 32) / 50.0, 0.001);

    // Frame 100 of the show is in the video as it is, colours in their places (lossy: close):
    // one of the video's frames around it matches. ffmpeg's PSNR over RGB says how close: about
    // 25 dB here; the neighbouring frames, or red and blue swapped, give 14 and less.
    ASSERT_EQ(run_capture("--frames 100 --every 100 --out " + dir + "/frames").status, 0);
    const std::string psnr = run_command("ffmpeg -v error -i " + dir + "/show.mp4 -i " + dir + "/frames/frame00100.ppm " +
                                         "-filter_complex '[0:v]select=between(n\\,95\\,140),scale=256:256:flags=neighbor," +
                                         "format=rgb24[a];[1:v]format=rgb24[b];[a][b]psnr=stats_file=-' -f null - | " +
                                         "sed -E 's/.*psnr_avg:([0-9.]+).*/\\1/' | sort -n | tail -1").output;
    EXPECT_GT(std::atof(psnr.c_str()), 20.0) << psnr;
}

TEST(CaptureVideo, WhenFfmpegIsMissingOrFailsOneLineAndTheOldVideoStays) {
    // A stand-in ffmpeg that fails with its own words, at the start or in the join; a video
    // already at the name stays as it was, and nothing else is left.
    const std::string dir = fresh_folder("capture_video_fails");
    run_command("mkdir " + dir + "/bin && echo 'the old video' > " + dir + "/show.mp4");
    const std::string chatter = "echo 'ffmpeg version 0'; echo '[libx264 @ 0x1] [error] the encoder broke'; "
                                "echo '[error] Conversion failed!'";
    const struct { std::string script, path, said; } cases[] = {
        {"", "/nonexistent", "demo_capture: --video needs ffmpeg, and there is none on PATH\n"},
        {"(" + chatter + ") >&2; exit 1", dir + "/bin",
         "demo_capture: ffmpeg failed making " + dir + "/show.mp4: the encoder broke\n"},
        {"case \"$*\" in *' copy '*) echo '[error] the join broke' >&2; kill -9 $$ ;; esac\nexec ffmpeg \"$@\"",
         dir + "/bin:$PATH", "demo_capture: ffmpeg failed making " + dir + "/show.mp4: the join broke\n"},
        {"case \"$*\" in *' copy '*) kill -9 $$ ;; esac\nexec ffmpeg \"$@\"", dir + "/bin:$PATH",
         "demo_capture: ffmpeg failed making " + dir + "/show.mp4: killed by SIGKILL\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        make_ffmpeg(dir, c.script);
        const CaptureRun run = capture_said("--frames 200 --video " + dir + "/show.mp4", "PATH=" + c.path);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.output, c.said);
        EXPECT_EQ(folder_names(dir), "bin show.mp4");
        EXPECT_EQ(read_file(dir + "/show.mp4"), "the old video\n");
    }
}

#include "capture/capture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "capture/capture_options.h"
#include "capture/capture_output.h"
#include "capture/capture_stop.h"
#include "capture/capture_video.h"
#include "capture/capture_wav.h"
#include "common/std_streams.h"
#include "demo/demo.h"
#include "demo/options.h"
#include "platform/backend_headless.h"

namespace {

constexpr uint64_t VIDEO_FRAME_MS = 1000 / CAPTURE_VIDEO_FPS;
constexpr int64_t SCREEN_PIXELS = int64_t{DISPLAY_WIDTH} * DISPLAY_HEIGHT;

struct Recorder {
    CaptureOptions options;
    int32_t frame;                      // frames polled so far
    size_t next_key;                    // first key not yet delivered
    int32_t presents;                   // presents since the last poll (1, or 33 after a fade)
    std::vector<uint32_t> last_pixels;  // what the screen shows; a copy, as the screen goes at exit
    int32_t last_width;
    int32_t last_height;
    CaptureWav wav{-1, 0};              // the sound being recorded, if any
    const char* sound_path;             // its name: --wav, or the video's temporary
    CaptureVideo video;                 // ffmpeg taking the frames, if any
    bool recording_video;
};
Recorder recorder;  // the one recording of this process
const char* program_name = "demo_capture";  // as started: installed, vort7131-capture

// Lets go of everything: the WAV keeps a header for what it holds, every ffmpeg is stopped
// and every temporary file removed.
void abandon() {
    capture_wav_close(&recorder.wav);
    capture_video_abandon(&recorder.video);
}

// A stopping signal came: everything let go, one line, exit 128 + the signal. Standard output
// is not flushed: its reader may be the reason we are stuck (its lines go out whole, one
// write each, so what it got is complete).
[[noreturn]] void stop(int signal_number) {
    abandon();
    char line[256];
    const int n = std::snprintf(line, sizeof line, "%s: stopped by SIG%s after frame %d%s\n", program_name,
                                sigabbrev_np(signal_number), recorder.frame,
                                recorder.recording_video ? "; no video made" : "");
    if (n > 0 && write(STDERR_FILENO, line, static_cast<size_t>(n)) < 0) {
        // nobody to tell
    }
    _exit(128 + signal_number);
}

void stop_if_asked() {
    if (const int signal_number = capture_stop_signal(); signal_number != 0) stop(signal_number);
}

// The first failure ends the program: one line, the files let go, exit 1. A failure that a
// stopping signal caused is that stop. It may run inside the exit handler, so it leaves
// with _exit.
[[noreturn]] __attribute__((format(printf, 1, 2))) void fail(const char* format, ...) {
    stop_if_asked();
    char line[4600];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    abandon();
    std::fprintf(stderr, "%s: %s\n", program_name, line);
    std::fflush(stdout);
    _exit(1);
}

__attribute__((format(printf, 1, 2))) void print_line(const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int n = std::vprintf(format, args);
    va_end(args);
    if (n < 0) fail("cannot write standard output: %s", std::strerror(errno));
}

void send_video_frame() {
    char error[4600];
    if (!capture_video_frame(&recorder.video, recorder.last_pixels.data(), SCREEN_PIXELS, error, sizeof error))
        fail("%s", error);
}

// At exit (after the closing fade): with --checksums, the presents since the last frame and
// the checksum of the last picture shown; then every file finished and checked.
void finish() {
    stop_if_asked();
    if (recorder.options.checksums) {
        const int64_t pixel_count = static_cast<int64_t>(recorder.last_width) * recorder.last_height;
        print_line("end presents %d checksum %016llx\n", recorder.presents,
                   static_cast<unsigned long long>(capture_checksum(recorder.last_pixels.data(), pixel_count)));
    }
    if (std::fflush(stdout) != 0) fail("cannot write standard output: %s", std::strerror(errno));
    if (!capture_wav_close(&recorder.wav)) fail("cannot write %s: %s", recorder.sound_path, std::strerror(errno));
    if (!recorder.recording_video) return;
    if (recorder.video.frames == 0) send_video_frame();  // a show too short for the clock to move
    char error[4600];
    if (!capture_video_finish(&recorder.video, recorder.sound_path, error, sizeof error)) fail("%s", error);
}

void on_present(void*, const uint32_t* pixels, int32_t width, int32_t height) {
    recorder.last_pixels.assign(pixels, pixels + static_cast<int64_t>(width) * height);
    recorder.last_width = width;
    recorder.last_height = height;
    ++recorder.presents;
}

// The clock moved: the video gets the picture on the screen for every 20 ms it covered, so
// a fade step held for a frame period is a frame, and a picture the next one replaced at
// once (the last frame of a scene, under the first fade step) is not, as on a screen.
void on_clock(void*, uint64_t now_ms) {
    stop_if_asked();
    if (!recorder.recording_video) return;
    while (static_cast<uint64_t>(recorder.video.frames + 1) * VIDEO_FRAME_MS <= now_ms) send_video_frame();
}

void on_audio(void*, const uint8_t* bytes, int32_t len) {
    if (!capture_wav_append(&recorder.wav, bytes, len)) {
        fail("cannot write %s: %s", recorder.sound_path,
             errno == EOVERFLOW ? "the sound is longer than a WAV file can hold" : std::strerror(errno));
    }
    char error[4600];
    if (recorder.recording_video && !capture_video_sound(&recorder.video, bytes, len, error, sizeof error))
        fail("%s", error);
}

void write_frame_picture(int32_t frame) {
    char path[CAPTURE_PATH_MAX + 1];
    capture_frame_path(recorder.options.out_dir, frame, path, sizeof path);  // its length was checked
    if (!capture_write_ppm(path, recorder.last_pixels.data(), recorder.last_width, recorder.last_height))
        fail("cannot write %s: %s", path, std::strerror(errno));
}

// Resident memory of this process in kB, from the kernel's page counts. Read without stdio:
// a measurement that allocated would show in what it measures under a checking allocator.
void print_resident(int32_t frame) {
    char text[128] = {};
    const int fd = open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
    const ssize_t n = fd >= 0 ? read(fd, text, sizeof text - 1) : -1;
    const int error = errno;
    if (fd >= 0) close(fd);
    long size = 0, pages = -1;
    if (n <= 0 || std::sscanf(text, "%ld %ld", &size, &pages) != 2) {
        fail("cannot read /proc/self/statm: %s", n < 0 ? std::strerror(error) : "unexpected contents");
    }
    print_line("frame %d resident %ld kB\n", frame, pages * (sysconf(_SC_PAGESIZE) / 1024));
}

// At the start of each keyboard poll: frame n has just been presented.
void on_poll(void*) {
    stop_if_asked();
    const int32_t frame = ++recorder.frame;
    const CaptureOptions& options = recorder.options;
    const int64_t pixel_count = static_cast<int64_t>(recorder.last_width) * recorder.last_height;
    if (options.checksums) {
        print_line("frame %d presents %d checksum %016llx\n", frame, recorder.presents,
                   static_cast<unsigned long long>(capture_checksum(recorder.last_pixels.data(), pixel_count)));
    }
    if (options.rss_every > 0 && frame % options.rss_every == 0) print_resident(frame);
    recorder.presents = 0;
    if (options.out_dir != nullptr && frame % options.every == 0) write_frame_picture(frame);
    if (frame >= options.frames) {
        headless_push_key(KEY_ESC);  // the end; the frame's own keys would lose to it anyway
        return;
    }
    while (recorder.next_key < options.keys.size() && options.keys[recorder.next_key].frame == frame) {
        headless_push_key(options.keys[recorder.next_key++].key);
    }
}

[[noreturn]] void run_show() {
    std::atexit(finish);  // the show ends in demo_shutdown's exit(0)
    const HeadlessHooks hooks = {on_present, on_poll, on_audio, nullptr};
    headless_set_hooks(&hooks);
    headless_set_clock_hook(on_clock, nullptr);
    demo_main(DISPLAY_WINDOWED);
}

// Every output checked and opened before the first frame: the folder for pictures exists
// and can be written, the WAV is open, ffmpeg runs with its temporaries beside the video.
void open_outputs() {
    const CaptureOptions& options = recorder.options;
    if (options.out_dir != nullptr) {
        struct stat info{};
        if (mkdir(options.out_dir, 0777) != 0 && errno != EEXIST)
            fail("cannot create %s: %s", options.out_dir, std::strerror(errno));
        if (stat(options.out_dir, &info) != 0) fail("cannot create %s: %s", options.out_dir, std::strerror(errno));
        if (!S_ISDIR(info.st_mode)) fail("cannot create %s: %s", options.out_dir, std::strerror(ENOTDIR));
        if (access(options.out_dir, W_OK | X_OK) != 0) fail("cannot write %s: %s", options.out_dir, std::strerror(errno));
    }
    char error[4600];
    if (options.video_path != nullptr &&
        !capture_video_prepare(&recorder.video, options.video_path, options.wav_path, error, sizeof error)) {
        fail("%s", error);
    }
    recorder.sound_path = options.wav_path != nullptr ? options.wav_path : recorder.video.sound;
    if ((options.wav_path != nullptr || options.video_path != nullptr) &&
        !capture_wav_open(&recorder.wav, recorder.sound_path)) {
        fail("cannot write %s: %s", recorder.sound_path, std::strerror(errno));
    }
    if (options.video_path != nullptr) {
        if (!capture_video_start(&recorder.video, DISPLAY_WIDTH, DISPLAY_HEIGHT, error, sizeof error)) fail("%s", error);
        recorder.recording_video = true;
    }
}

}  // namespace

uint64_t capture_checksum(const uint32_t* pixels, int64_t count) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (int64_t i = 0; pixels != nullptr && i < count; ++i) {
        for (int shift = 0; shift < 32; shift += 8) {
            hash ^= (pixels[i] >> shift) & 0xFF;
            hash *= 0x100000001b3ull;
        }
    }
    return hash;
}

int capture_main(int argc, char** argv) {
    std_streams_reserve();
    program_name = options_program_name(argc > 0 ? argv[0] : nullptr, program_name);
    bool help = false;
    char error[256] = {};
    CaptureOptions& options = recorder.options;
    if (!capture_parse(argc, argv, &options, &help, error, sizeof error)) {
        std::fprintf(stderr, "%s: %s\n", program_name, error);
        return 2;
    }
    if (help) {
        if (capture_print_usage(stdout, program_name) < 0 || std::fflush(stdout) != 0) {
            std::fprintf(stderr, "%s: cannot write standard output: %s\n", program_name, std::strerror(errno));
            return 1;
        }
        return 0;
    }
    capture_stop_catch();
    // One write a line: a reader that stops or a signal never leaves half a line behind.
    if (options.checksums || options.rss_every > 0) std::setvbuf(stdout, nullptr, _IOLBF, 0);
    recorder.last_pixels.assign(static_cast<size_t>(SCREEN_PIXELS), 0);  // black until the first present
    recorder.last_width = DISPLAY_WIDTH;
    recorder.last_height = DISPLAY_HEIGHT;
    open_outputs();
    run_show();
}

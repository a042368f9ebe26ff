#include "capture/capture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "capture/capture_output.h"
#include "demo/demo.h"
#include "demo/options.h"
#include "image/img.h"
#include "platform/backend_headless.h"

namespace {

struct KeyName {
    const char* name;
    uint8_t key;
};
constexpr KeyName key_names[] = {
    {"space", KEY_SPACE}, {"esc", KEY_ESC}, {"escape", KEY_ESC}, {"enter", 13}, {"return", 13}, {"tab", 9},
};

bool parse_key(const char* text, size_t length, uint8_t* key) {
    if (length == 1) {
        *key = static_cast<uint8_t>(text[0]);
        return true;
    }
    for (const KeyName& entry : key_names) {
        if (std::strlen(entry.name) == length && std::strncmp(entry.name, text, length) == 0) {
            *key = entry.key;
            return true;
        }
    }
    return false;
}

// "F:KEY,F:KEY,..." into options->keys.
bool parse_keys(const char* list, CaptureOptions* options, char* error, int32_t error_size) {
    const char* p = list;
    while (*p != '\0') {
        const char* end = std::strchr(p, ',');
        if (end == nullptr) end = p + std::strlen(p);
        const char* colon = static_cast<const char*>(std::memchr(p, ':', static_cast<size_t>(end - p)));
        char number[16] = {};
        uint8_t key = 0;
        const size_t digits = colon ? static_cast<size_t>(colon - p) : 0;
        int32_t frame = 0;
        if (colon == nullptr || digits == 0 || digits >= sizeof number) {
            std::snprintf(error, static_cast<size_t>(error_size), "--keys: expected FRAME:KEY, got \"%.*s\"",
                          static_cast<int>(end - p), p);
            return false;
        }
        std::memcpy(number, p, digits);
        if (!options_parse_count(number, INT32_MAX, &frame)) {
            std::snprintf(error, static_cast<size_t>(error_size), "--keys: bad frame number \"%s\"", number);
            return false;
        }
        if (!parse_key(colon + 1, static_cast<size_t>(end - colon - 1), &key)) {
            std::snprintf(error, static_cast<size_t>(error_size), "--keys: unknown key \"%.*s\"",
                          static_cast<int>(end - colon - 1), colon + 1);
            return false;
        }
        if (options->key_count >= CAPTURE_MAX_KEYS) {
            std::snprintf(error, static_cast<size_t>(error_size), "--keys: more than %d keys", CAPTURE_MAX_KEYS);
            return false;
        }
        options->keys[options->key_count++] = {frame, key};
        p = *end == ',' ? end + 1 : end;
    }
    return true;
}

// ---- The recording side of the headless backend ----

struct Recorder {
    CaptureOptions options;             // its keys sorted by frame
    int32_t frame;                      // frames polled so far
    int32_t next_key;                   // first key not yet delivered
    int32_t presents;                   // presents since the last poll (1, or 33 after a fade)
    std::vector<uint32_t> last_pixels;  // a copy: the screen surface is gone by exit time
    int32_t last_width;
    int32_t last_height;
    CaptureWav wav{-1, 0};              // the sound being recorded, if any
    CaptureVideo video{-1, 0};          // ffmpeg taking the frames, if any
    char sound_temp[4096];              // a video's temporary sound, removed at exit; "" when none
};
Recorder recorder;  // the one recording of this process

// Lets go of everything quietly after a failure: the WAV keeps a header for what it holds,
// ffmpeg finishes with the frames it has, the temporary sound goes.
void abandon() {
    capture_wav_close(&recorder.wav);
    capture_video_finish(&recorder.video);
    if (recorder.sound_temp[0] != '\0') unlink(recorder.sound_temp);
    recorder.sound_temp[0] = '\0';
}

// The first failure ends the program: one line, the files let go, exit 1. It may run inside
// the exit handler, so it leaves with _exit.
[[noreturn]] __attribute__((format(printf, 1, 2))) void fail(const char* format, ...) {
    char line[4600];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    std::fprintf(stderr, "demo_capture: %s\n", line);
    abandon();
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

// How a child process ended, for a message.
void describe_status(int status, char* text, size_t size) {
    if (WIFEXITED(status)) {
        std::snprintf(text, size, "exit status %d", WEXITSTATUS(status));
    } else if (WIFSIGNALED(status)) {
        std::snprintf(text, size, "killed by signal %d", WTERMSIG(status));
    } else {
        std::snprintf(text, size, "did not run");
    }
}

[[noreturn]] void ffmpeg_failed(int status) {
    char how[64];
    describe_status(status, how, sizeof how);
    fail("ffmpeg failed making %s (%s)", recorder.options.video_path, how);
}

// At exit (after the closing fade): with --checksums, the presents since the last frame and
// the checksum of the last picture shown; then every file finished and checked.
void finish() {
    if (recorder.options.checksums) {
        const int64_t pixel_count = static_cast<int64_t>(recorder.last_width) * recorder.last_height;
        print_line("end presents %d checksum %016llx\n", recorder.presents,
                   static_cast<unsigned long long>(capture_checksum(recorder.last_pixels.data(), pixel_count)));
    }
    if (std::fflush(stdout) != 0) fail("cannot write standard output: %s", std::strerror(errno));
    if (!capture_wav_close(&recorder.wav)) fail("cannot write %s: %s", recorder.options.wav_path, std::strerror(errno));
    if (recorder.video.pid > 0) {
        const int status = capture_video_finish(&recorder.video);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) ffmpeg_failed(status);
    }
    abandon();  // only the temporary sound is left
}

void on_present(void*, const uint32_t* pixels, int32_t width, int32_t height) {
    recorder.last_pixels.assign(pixels, pixels + static_cast<int64_t>(width) * height);
    recorder.last_width = width;
    recorder.last_height = height;
    ++recorder.presents;
}

void on_audio(void*, const uint8_t* bytes, int32_t len) {
    if (!capture_wav_append(&recorder.wav, bytes, len)) {
        fail("cannot write %s: %s", recorder.options.wav_path,
             errno == EOVERFLOW ? "the sound is longer than a WAV file can hold" : std::strerror(errno));
    }
}

void write_frame_picture(int32_t frame) {
    char path[4096];
    std::snprintf(path, sizeof path, "%s/frame%05d.ppm", recorder.options.out_dir, frame);
    // The writer only reads the pixels; the image record merely describes the screen copy.
    Img view = {0, 0, recorder.last_width, recorder.last_height, recorder.last_pixels.data()};
    errno = 0;
    if (!img_write_p6(&view, path)) fail("cannot write %s: %s", path, errno != 0 ? std::strerror(errno) : "write failed");
}

void write_video_frame() {
    const int64_t pixel_count = static_cast<int64_t>(recorder.last_width) * recorder.last_height;
    if (capture_video_frame(&recorder.video, recorder.last_pixels.data(), pixel_count)) return;
    if (errno != EPIPE) fail("cannot write to ffmpeg making %s: %s", recorder.options.video_path, std::strerror(errno));
    ffmpeg_failed(capture_video_finish(&recorder.video));  // it stopped reading: its status says why
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
    const int32_t frame = ++recorder.frame;
    CaptureOptions& options = recorder.options;
    const int64_t pixel_count = static_cast<int64_t>(recorder.last_width) * recorder.last_height;
    if (options.checksums) {
        print_line("frame %d presents %d checksum %016llx\n", frame, recorder.presents,
                   static_cast<unsigned long long>(capture_checksum(recorder.last_pixels.data(), pixel_count)));
    }
    if (options.rss_every > 0 && frame % options.rss_every == 0) print_resident(frame);
    recorder.presents = 0;
    if (options.out_dir != nullptr && frame % options.every == 0) write_frame_picture(frame);
    if (recorder.video.fd >= 0) write_video_frame();
    while (recorder.next_key < options.key_count && options.keys[recorder.next_key].frame == frame) {
        headless_push_key(options.keys[recorder.next_key++].key);
    }
    if (frame >= options.frames) headless_push_key(KEY_ESC);  // the last key of the batch wins
}

[[noreturn]] void run_show() {
    std::atexit(finish);  // the show ends in demo_shutdown's exit(0)
    const HeadlessHooks hooks = {on_present, on_poll, on_audio, nullptr};
    headless_set_hooks(&hooks);
    demo_main(DISPLAY_WINDOWED);
}

// ---- The sound pass of a video ----

volatile sig_atomic_t sound_pass_interrupted;
void on_sound_pass_interrupt(int) { sound_pass_interrupted = 1; }

// While the child records, a Ctrl-C or SIGTERM ends its show (its own handling) and is only
// noted here; a signal the shell told us to ignore stays ignored in both.
struct InterruptNote {
    int signal_number;
    bool caught;
};
void note_interrupts(InterruptNote& note) {
    struct sigaction current{};
    note.caught = sigaction(note.signal_number, nullptr, &current) == 0 && current.sa_handler == SIG_DFL;
    if (!note.caught) return;
    struct sigaction wanted{};
    wanted.sa_handler = on_sound_pass_interrupt;
    sigemptyset(&wanted.sa_mask);
    sigaction(note.signal_number, &wanted, nullptr);
}
void restore_interrupts(const InterruptNote& note) {
    if (note.caught) std::signal(note.signal_number, SIG_DFL);
}

// Records the show's sound alone into path, in a child process (the show ends in exit).
// false after the one line saying why; the child says it when it failed itself.
bool record_sound_pass(const char* path) {
    InterruptNote notes[] = {{SIGINT, false}, {SIGTERM, false}};
    std::fflush(stdout);
    for (InterruptNote& note : notes) note_interrupts(note);
    const pid_t child = fork();
    if (child == 0) {
        for (const InterruptNote& note : notes) restore_interrupts(note);
        CaptureOptions& options = recorder.options;
        options.out_dir = nullptr;
        options.video_path = nullptr;
        options.checksums = false;
        options.rss_every = 0;
        char own_path[sizeof recorder.sound_temp];  // lives as long as the show: run_show never returns
        std::snprintf(own_path, sizeof own_path, "%s", path);
        options.wav_path = own_path;
        recorder.sound_temp[0] = '\0';  // the parent's to remove
        if (!capture_wav_open(&recorder.wav, own_path)) fail("cannot write %s: %s", own_path, std::strerror(errno));
        run_show();
    }
    const int fork_error = errno;
    int status = 0;
    pid_t done = -1;
    if (child > 0) {
        do {
            done = waitpid(child, &status, 0);
        } while (done < 0 && errno == EINTR);
    }
    for (const InterruptNote& note : notes) restore_interrupts(note);
    if (child < 0) {
        std::fprintf(stderr, "demo_capture: cannot start the sound pass: %s\n", std::strerror(fork_error));
        return false;
    }
    if (done < 0 || !WIFEXITED(status)) {
        char how[64];
        describe_status(status, how, sizeof how);
        std::fprintf(stderr, "demo_capture: the sound pass for %s failed (%s)\n", recorder.options.video_path, how);
        return false;
    }
    if (WEXITSTATUS(status) != 0) return false;
    if (sound_pass_interrupted != 0) {
        std::fprintf(stderr, "demo_capture: interrupted while recording the sound; %s not made\n",
                     recorder.options.video_path);
        return false;
    }
    return true;
}

// A video: the sound first (into --wav FILE or a temporary file), then ffmpeg started to
// take the frames of the second run. false after the one line saying why.
bool start_video() {
    const CaptureOptions& options = recorder.options;
    char ffmpeg[4096];
    if (!capture_find_program("ffmpeg", ffmpeg, sizeof ffmpeg)) {
        std::fprintf(stderr, "demo_capture: --video needs ffmpeg, and there is none on PATH\n");
        return false;
    }
    const char* sound = options.wav_path;
    if (sound == nullptr) {
        const char* folder = std::getenv("TMPDIR");
        if (folder == nullptr || *folder == '\0') folder = "/tmp";
        std::snprintf(recorder.sound_temp, sizeof recorder.sound_temp, "%s/demo_capture-XXXXXX.wav", folder);
        const int fd = mkstemps(recorder.sound_temp, 4);
        if (fd < 0) {
            std::fprintf(stderr, "demo_capture: cannot write %s: %s\n", recorder.sound_temp, std::strerror(errno));
            recorder.sound_temp[0] = '\0';
            return false;
        }
        close(fd);
        sound = recorder.sound_temp;
    }
    if (!record_sound_pass(sound)) {
        abandon();
        return false;
    }
    // ffmpeg going away must show as a failed write we report, not as a silent death.
    std::signal(SIGPIPE, SIG_IGN);
    if (!capture_video_start(&recorder.video, ffmpeg, options.video_path, sound, DISPLAY_WIDTH, DISPLAY_HEIGHT)) {
        std::fprintf(stderr, "demo_capture: cannot start %s: %s\n", ffmpeg, std::strerror(errno));
        abandon();
        return false;
    }
    return true;
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

const char* capture_usage() {
    return "usage: demo_capture --frames N [--every K] [--keys F:KEY,...] [--out DIR] [--wav FILE]\n"
           "                    [--video FILE] [--checksums] [--rss K]\n"
           "Runs the demo headless on a virtual 50 frames-per-second clock and records it.\n"
           "  --frames N     frames to run in all (fades are not frames), then Esc ends the show\n"
           "  --every K      with --out, write every K-th frame (default 1)\n"
           "  --keys LIST    key presses: FRAME:KEY pairs separated by commas; KEY is one character\n"
           "                 or a name: space, esc, enter, tab (e.g. 300:space,900:8)\n"
           "  --out DIR      write frames as DIR/frameNNNNN.ppm (DIR is created if missing)\n"
           "  --wav FILE     write everything the sound device played as 16-bit mono 44100 Hz WAV\n"
           "  --video FILE   make a video with the sound through ffmpeg, writing no frame files:\n"
           "                 FILE.mp4 (H.264 and AAC) or FILE.webm (VP9 and Opus), 512 x 512 (each\n"
           "                 pixel doubled), 50 frames a second; the show runs twice, first for the\n"
           "                 sound (kept in --wav FILE if given), then for the frames\n"
           "  --checksums    print \"frame N presents P checksum C\" for every frame\n"
           "  --rss K        print \"frame N resident R kB\" every K-th frame: this process's memory\n"
           "Two runs with the same arguments give identical output. Exit status: 0 when the\n"
           "recording is complete, 1 when a file cannot be written (one line says which and why),\n"
           "2 on bad arguments.\n";
}

bool capture_parse(int argc, char** argv, CaptureOptions* options, bool* help, char* error, int32_t error_size) {
    *options = CaptureOptions{};
    *help = false;
    bool every_given = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                std::snprintf(error, static_cast<size_t>(error_size), "%s needs a value", name);
                return nullptr;
            }
            return argv[++i];
        };
        // A whole number from 1 to limit after the option.
        auto count = [&](const char* name, int32_t limit, int32_t* out) {
            const char* v = value(name);
            if (v == nullptr) return false;
            if (options_parse_count(v, limit, out)) return true;
            std::snprintf(error, static_cast<size_t>(error_size), "%s: expected a number from 1, got \"%s\"", name, v);
            return false;
        };
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            *help = true;
            return true;
        } else if (std::strcmp(arg, "--frames") == 0) {
            if (!count(arg, 100000000, &options->frames)) return false;
        } else if (std::strcmp(arg, "--every") == 0) {
            if (!count(arg, INT32_MAX, &options->every)) return false;
            every_given = true;
        } else if (std::strcmp(arg, "--keys") == 0) {
            const char* v = value(arg);
            if (v == nullptr || !parse_keys(v, options, error, error_size)) return false;
        } else if (std::strcmp(arg, "--out") == 0) {
            if ((options->out_dir = value(arg)) == nullptr) return false;
        } else if (std::strcmp(arg, "--wav") == 0) {
            if ((options->wav_path = value(arg)) == nullptr) return false;
        } else if (std::strcmp(arg, "--video") == 0) {
            if ((options->video_path = value(arg)) == nullptr) return false;
            if (!capture_video_known(options->video_path)) {
                std::snprintf(error, static_cast<size_t>(error_size), "--video: FILE must end in .mp4 or .webm, got \"%s\"",
                              options->video_path);
                return false;
            }
        } else if (std::strcmp(arg, "--checksums") == 0) {
            options->checksums = true;
        } else if (std::strcmp(arg, "--rss") == 0) {
            if (!count(arg, INT32_MAX, &options->rss_every)) return false;
        } else {
            std::snprintf(error, static_cast<size_t>(error_size), "unknown argument \"%s\" (see --help)", arg);
            return false;
        }
    }
    if (options->frames == 0) {
        std::snprintf(error, static_cast<size_t>(error_size), "--frames N is required (see --help)");
        return false;
    }
    if (every_given && options->out_dir == nullptr) {
        std::snprintf(error, static_cast<size_t>(error_size), "--every needs --out DIR");
        return false;
    }
    if (options->out_dir != nullptr && !every_given) options->every = 1;
    return true;
}

int capture_main(int argc, char** argv) {
    bool help = false;
    char error[256] = {};
    CaptureOptions& options = recorder.options;
    if (!capture_parse(argc, argv, &options, &help, error, sizeof error)) {
        std::fprintf(stderr, "demo_capture: %s\n", error);
        return 2;
    }
    if (help) {
        if (std::fputs(capture_usage(), stdout) < 0 || std::fflush(stdout) != 0) {
            std::fprintf(stderr, "demo_capture: cannot write standard output: %s\n", std::strerror(errno));
            return 1;
        }
        return 0;
    }
    // Delivered in frame order; keys of one frame keep their order, so the last one wins.
    std::stable_sort(options.keys, options.keys + options.key_count,
                     [](const CaptureKey& a, const CaptureKey& b) { return a.frame < b.frame; });
    // A file-size limit is a failed write to report, not a signal that kills us unannounced.
    std::signal(SIGXFSZ, SIG_IGN);
    if (options.out_dir != nullptr && mkdir(options.out_dir, 0777) != 0 && errno != EEXIST) {
        std::fprintf(stderr, "demo_capture: cannot create %s: %s\n", options.out_dir, std::strerror(errno));
        return 1;
    }
    if (options.video_path != nullptr) {
        if (!start_video()) return 1;
    } else if (options.wav_path != nullptr && !capture_wav_open(&recorder.wav, options.wav_path)) {
        std::fprintf(stderr, "demo_capture: cannot write %s: %s\n", options.wav_path, std::strerror(errno));
        return 1;
    }
    run_show();
}

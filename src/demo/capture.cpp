#include "demo/capture.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "demo/demo.h"
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

// Parses a whole decimal number in 1..limit; false otherwise.
bool parse_count(const char* text, int32_t limit, int32_t* out) {
    if (text == nullptr || *text == '\0') return false;
    int64_t value = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9') return false;
        value = value * 10 + (*p - '0');
        if (value > limit) return false;
    }
    if (value < 1) return false;
    *out = static_cast<int32_t>(value);
    return true;
}

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
        if (!parse_count(number, INT32_MAX, &frame)) {
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
    CaptureOptions options;
    int32_t frame;             // frames polled so far
    int32_t presents;          // presents since the last poll (1, or 33 after a fade)
    std::vector<uint32_t> last_pixels;  // a copy: the screen surface is gone by exit time
    int32_t last_width;
    int32_t last_height;
    FILE* wav;
    uint32_t wav_bytes;
};
Recorder recorder;  // the one recording of this process

void put_le32(unsigned char* at, uint32_t v) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(v >> (8 * i));
}

// A 44-byte canonical header for 16-bit mono 44100 Hz PCM of data_bytes bytes.
void write_wav_header(FILE* file, uint32_t data_bytes) {
    unsigned char header[44] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                                16, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                2, 0, 16, 0, 'd', 'a', 't', 'a', 0, 0, 0, 0};
    put_le32(header + 4, 36 + data_bytes);
    put_le32(header + 24, 44100);
    put_le32(header + 28, 44100 * 2);
    put_le32(header + 40, data_bytes);
    std::fseek(file, 0, SEEK_SET);
    std::fwrite(header, 1, sizeof header, file);
}

// At exit (after the closing fade): with --checksums, the presents since the last frame and
// the checksum of the last picture shown.
void finish() {
    if (recorder.options.checksums) {
        const int64_t pixel_count = static_cast<int64_t>(recorder.last_width) * recorder.last_height;
        std::printf("end presents %d checksum %016llx\n", recorder.presents,
                    static_cast<unsigned long long>(capture_checksum(recorder.last_pixels.data(), pixel_count)));
        std::fflush(stdout);
    }
    if (recorder.wav == nullptr) return;
    write_wav_header(recorder.wav, recorder.wav_bytes);
    std::fclose(recorder.wav);
    recorder.wav = nullptr;
}

void on_present(void*, const uint32_t* pixels, int32_t width, int32_t height) {
    recorder.last_pixels.assign(pixels, pixels + static_cast<int64_t>(width) * height);
    recorder.last_width = width;
    recorder.last_height = height;
    ++recorder.presents;
}

void on_audio(void*, const uint8_t* bytes, int32_t len) {
    if (recorder.wav == nullptr || len <= 0) return;
    std::fwrite(bytes, 1, static_cast<size_t>(len), recorder.wav);
    recorder.wav_bytes += static_cast<uint32_t>(len);
}

void write_frame_picture(int32_t frame) {
    char path[4096];
    std::snprintf(path, sizeof path, "%s/frame%05d.ppm", recorder.options.out_dir, frame);
    // The writer only reads the pixels; the image record merely describes the screen copy.
    Img view = {0, 0, recorder.last_width, recorder.last_height, recorder.last_pixels.data()};
    if (!img_write_p6(&view, path)) {
        std::fprintf(stderr, "demo_capture: cannot write %s\n", path);
        std::exit(1);
    }
}

// At the start of each keyboard poll: frame n has just been presented.
void on_poll(void*) {
    const int32_t frame = ++recorder.frame;
    const CaptureOptions& options = recorder.options;
    const int64_t pixel_count = static_cast<int64_t>(recorder.last_width) * recorder.last_height;
    if (options.checksums) {
        std::printf("frame %d presents %d checksum %016llx\n", frame, recorder.presents,
                    static_cast<unsigned long long>(capture_checksum(recorder.last_pixels.data(), pixel_count)));
    }
    recorder.presents = 0;
    if (options.out_dir != nullptr && frame % options.every == 0) write_frame_picture(frame);
    for (int32_t i = 0; i < options.key_count; ++i)
        if (options.keys[i].frame == frame) headless_push_key(options.keys[i].key);
    if (frame >= options.frames) headless_push_key(KEY_ESC);  // the last key of the batch wins
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
    return "usage: demo_capture --frames N [--every K] [--keys F:KEY,...] [--out DIR] [--wav FILE] [--checksums]\n"
           "Runs the demo headless on a virtual 50 frames-per-second clock and records it.\n"
           "  --frames N     frames to run in all (fades are not frames), then Esc ends the show\n"
           "  --every K      with --out, write every K-th frame (default 1)\n"
           "  --keys LIST    key presses: FRAME:KEY pairs separated by commas; KEY is one character\n"
           "                 or a name: space, esc, enter, tab (e.g. 300:space,900:8)\n"
           "  --out DIR      write frames as DIR/frameNNNNN.ppm (DIR is created if missing)\n"
           "  --wav FILE     write everything the sound device played as 16-bit mono 44100 Hz WAV\n"
           "  --checksums    print \"frame N presents P checksum C\" for every frame\n"
           "Two runs with the same arguments give identical output.\n";
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
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            *help = true;
            return true;
        } else if (std::strcmp(arg, "--frames") == 0) {
            const char* v = value(arg);
            if (v == nullptr) return false;
            if (!parse_count(v, 100000000, &options->frames)) {
                std::snprintf(error, static_cast<size_t>(error_size), "--frames: expected a number from 1, got \"%s\"", v);
                return false;
            }
        } else if (std::strcmp(arg, "--every") == 0) {
            const char* v = value(arg);
            if (v == nullptr) return false;
            if (!parse_count(v, INT32_MAX, &options->every)) {
                std::snprintf(error, static_cast<size_t>(error_size), "--every: expected a number from 1, got \"%s\"", v);
                return false;
            }
            every_given = true;
        } else if (std::strcmp(arg, "--keys") == 0) {
            const char* v = value(arg);
            if (v == nullptr || !parse_keys(v, options, error, error_size)) return false;
        } else if (std::strcmp(arg, "--out") == 0) {
            if ((options->out_dir = value(arg)) == nullptr) return false;
        } else if (std::strcmp(arg, "--wav") == 0) {
            if ((options->wav_path = value(arg)) == nullptr) return false;
        } else if (std::strcmp(arg, "--checksums") == 0) {
            options->checksums = true;
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
    if (!capture_parse(argc, argv, &recorder.options, &help, error, sizeof error)) {
        std::fprintf(stderr, "demo_capture: %s\n", error);
        return 2;
    }
    if (help) {
        std::fputs(capture_usage(), stdout);
        return 0;
    }
    const CaptureOptions& options = recorder.options;
    if (options.out_dir != nullptr && mkdir(options.out_dir, 0777) != 0 && errno != EEXIST) {
        std::fprintf(stderr, "demo_capture: cannot create %s: %s\n", options.out_dir, std::strerror(errno));
        return 1;
    }
    if (options.wav_path != nullptr) {
        recorder.wav = std::fopen(options.wav_path, "wb");
        if (recorder.wav == nullptr) {
            std::fprintf(stderr, "demo_capture: cannot write %s: %s\n", options.wav_path, std::strerror(errno));
            return 1;
        }
        write_wav_header(recorder.wav, 0);
    }
    std::atexit(finish);  // the show ends in demo_shutdown's exit(0)
    const HeadlessHooks hooks = {on_present, on_poll, on_audio, nullptr};
    headless_set_hooks(&hooks);
    demo_main(DISPLAY_WINDOWED);
}

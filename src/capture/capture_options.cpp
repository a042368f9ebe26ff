#include "capture/capture_options.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "capture/capture_video.h"
#include "demo/options.h"
#include "platform/keyboard.h"

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

// "F:KEY,F:KEY,..." appended to options->keys.
bool parse_keys(const char* list, CaptureOptions* options, char* error, size_t error_size) {
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
            std::snprintf(error, error_size, "--keys: expected FRAME:KEY, got \"%.*s\"", static_cast<int>(end - p), p);
            return false;
        }
        std::memcpy(number, p, digits);
        if (!options_parse_count(number, INT32_MAX, &frame)) {
            std::snprintf(error, error_size, "--keys: bad frame number \"%s\"", number);
            return false;
        }
        if (!parse_key(colon + 1, static_cast<size_t>(end - colon - 1), &key)) {
            std::snprintf(error, error_size, "--keys: unknown key \"%.*s\"", static_cast<int>(end - colon - 1), colon + 1);
            return false;
        }
        options->keys.push_back({frame, key});
        p = *end == ',' ? end + 1 : end;
    }
    return true;
}

// Sorts the keys by frame (a frame's keys keep their order, so the last one wins) and
// refuses a frame with more keys than one poll can take.
bool order_keys(CaptureOptions* options, char* error, size_t error_size) {
    std::vector<CaptureKey>& keys = options->keys;
    std::stable_sort(keys.begin(), keys.end(), [](const CaptureKey& a, const CaptureKey& b) { return a.frame < b.frame; });
    for (size_t first = 0, last = 0; first < keys.size(); first = last) {
        while (last < keys.size() && keys[last].frame == keys[first].frame) ++last;
        if (last - first > static_cast<size_t>(CAPTURE_FRAME_KEYS)) {
            std::snprintf(error, error_size, "--keys: %zu keys for frame %d; a frame takes at most %d", last - first,
                          keys[first].frame, CAPTURE_FRAME_KEYS);
            return false;
        }
    }
    return true;
}

// Every output name fits the system's limit, with what is added to it.
bool check_lengths(const CaptureOptions& options, char* error, size_t error_size) {
    char frame[CAPTURE_PATH_MAX + 1];
    if (options.out_dir != nullptr && !capture_frame_path(options.out_dir, options.frames, frame, sizeof frame)) {
        std::snprintf(error, error_size, "--out: the folder's name is too long for its pictures (%zu characters)",
                      std::strlen(options.out_dir));
        return false;
    }
    if (options.wav_path != nullptr && std::strlen(options.wav_path) > static_cast<size_t>(CAPTURE_PATH_MAX)) {
        std::snprintf(error, error_size, "--wav: the name is too long (%zu characters, at most %d)",
                      std::strlen(options.wav_path), CAPTURE_PATH_MAX);
        return false;
    }
    const int32_t video_most = CAPTURE_PATH_MAX - CAPTURE_VIDEO_NAME_EXTRA;
    if (options.video_path != nullptr && std::strlen(options.video_path) > static_cast<size_t>(video_most)) {
        std::snprintf(error, error_size, "--video: the name is too long (%zu characters, at most %d)",
                      std::strlen(options.video_path), video_most);
        return false;
    }
    return true;
}

}  // namespace

bool capture_frame_path(const char* out_dir, int32_t frame, char* path, int32_t size) {
    const int n = std::snprintf(path, static_cast<size_t>(size), "%s/frame%05d.ppm", out_dir, frame);
    return n > 0 && n < size && n <= CAPTURE_PATH_MAX;
}

int capture_print_usage(FILE* out, const char* program) {
    const int indent = static_cast<int>(std::strlen(program)) + 8;  // under "--frames"
    return std::fprintf(out, "usage: %s --frames N [--every K] [--keys F:KEY,...] [--out DIR] [--wav FILE]\n"
           "%*s[--video FILE] [--checksums] [--rss K]\n"
           "Runs the demo headless on a virtual 50 frames-per-second clock and records it.\n"
           "  --frames N     frames to run in all (fades are not frames), then Esc ends the show\n"
           "  --every K      with --out, write every K-th frame (default 1)\n"
           "  --keys LIST    key presses: FRAME:KEY pairs separated by commas; KEY is one character\n"
           "                 or a name: space, esc, enter, tab (e.g. 300:space,900:8); may be given\n"
           "                 more than once; a frame takes at most 256 keys\n"
           "  --out DIR      write frames as DIR/frameNNNNN.ppm (DIR is created if missing)\n"
           "  --wav FILE     write the sound exactly as the show plays it: 16-bit mono 44100 Hz WAV\n"
           "  --video FILE   make a video through ffmpeg in one run of the show, writing no frame\n"
           "                 files: FILE.mp4 (H.264 and AAC) or FILE.webm (VP9 and Opus), 512 x 512\n"
           "                 (each pixel doubled), 50 frames a second of what the screen shows, the\n"
           "                 fades included; its sound is normalised to -16 LUFS (EBU R128, true\n"
           "                 peak at most -1 dBTP). Temporary files go beside FILE.\n"
           "  --checksums    print \"frame N presents P checksum C\" for every frame\n"
           "  --rss K        print \"frame N resident R kB\" every K-th frame: this process's memory\n"
           "Two runs with the same arguments give identical output.\n"
           "Exit status: 0 when the recording is complete, 1 when a file cannot be written or\n"
           "ffmpeg fails (one line says which and why), 2 on bad arguments, 128 + the signal when\n"
           "a signal stopped it (Ctrl-C 130, SIGTERM 143, SIGHUP 129). What a stopped or failed\n"
           "recording leaves is valid: the WAV holds the sound so far under a correct header, every\n"
           "picture file is whole (a cut one is removed), and a video is made whole or not at all.\n",
                        program, indent, "");
}

bool capture_parse(int argc, char** argv, CaptureOptions* options, bool* help, char* error, int32_t error_size) {
    *options = CaptureOptions{};
    *help = false;
    const size_t size = error_size > 0 ? static_cast<size_t>(error_size) : 0;
    bool every_given = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                std::snprintf(error, size, "%s needs a value", name);
                return nullptr;
            }
            return argv[++i];
        };
        // A whole number from 1 to limit after the option.
        auto count = [&](const char* name, int32_t limit, int32_t* out) {
            const char* v = value(name);
            if (v == nullptr) return false;
            if (options_parse_count(v, limit, out)) return true;
            std::snprintf(error, size, "%s: expected a number from 1, got \"%s\"", name, v);
            return false;
        };
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            *help = true;
            return true;
        } else if (std::strcmp(arg, "--frames") == 0) {
            if (!count(arg, CAPTURE_MAX_FRAMES, &options->frames)) return false;
        } else if (std::strcmp(arg, "--every") == 0) {
            if (!count(arg, INT32_MAX, &options->every)) return false;
            every_given = true;
        } else if (std::strcmp(arg, "--keys") == 0) {
            const char* v = value(arg);
            if (v == nullptr || !parse_keys(v, options, error, size)) return false;
        } else if (std::strcmp(arg, "--out") == 0) {
            if ((options->out_dir = value(arg)) == nullptr) return false;
        } else if (std::strcmp(arg, "--wav") == 0) {
            if ((options->wav_path = value(arg)) == nullptr) return false;
        } else if (std::strcmp(arg, "--video") == 0) {
            if ((options->video_path = value(arg)) == nullptr) return false;
            if (!capture_video_known(options->video_path)) {
                std::snprintf(error, size, "--video: FILE must end in .mp4 or .webm, got \"%s\"", options->video_path);
                return false;
            }
        } else if (std::strcmp(arg, "--checksums") == 0) {
            options->checksums = true;
        } else if (std::strcmp(arg, "--rss") == 0) {
            if (!count(arg, INT32_MAX, &options->rss_every)) return false;
        } else {
            std::snprintf(error, size, "unknown argument \"%s\" (see --help)", arg);
            return false;
        }
    }
    if (options->frames == 0) {
        std::snprintf(error, size, "--frames N is required (see --help)");
        return false;
    }
    if (every_given && options->out_dir == nullptr) {
        std::snprintf(error, size, "--every needs --out DIR");
        return false;
    }
    if (options->out_dir != nullptr && !every_given) options->every = 1;
    return order_keys(options, error, size) && check_lengths(*options, error, size);
}

#include "demo/options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "common/std_streams.h"

#ifndef DEMO_VERSION
#define DEMO_VERSION "0"
#endif

bool options_parse_count(const char* text, int32_t limit, int32_t* out) {
    if (text == nullptr || *text == '\0') return false;
    int64_t value = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9') return false;
        value = value * 10 + (*p - '0');
        if (value > limit) return false;  // checked at every digit: never overflows
    }
    if (value < 1) return false;
    *out = static_cast<int32_t>(value);
    return true;
}

bool options_parse(int argc, const char* const* argv, DemoOptions* options, char* error, int32_t error_size) {
    *options = DemoOptions{};
    const size_t size = error_size > 0 ? static_cast<size_t>(error_size) : 0;
    if (size > 0) error[0] = '\0';
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            options->help = true;
            return true;
        }
        if (std::strcmp(arg, "--version") == 0) {
            options->version = true;
            continue;
        }
        const char* value = nullptr;
        if (std::strcmp(arg, "--scale") == 0) {
            if (i + 1 >= argc) {
                std::snprintf(error, size, "--scale needs a number from 1 to %d", DISPLAY_SCALE_MAX);
                return false;
            }
            value = argv[++i];
        } else if (std::strncmp(arg, "--scale=", 8) == 0) {
            value = arg + 8;
        } else {
            std::snprintf(error, size, "unknown argument \"%s\" (see --help)", arg);
            return false;
        }
        if (!options_parse_count(value, DISPLAY_SCALE_MAX, &options->scale)) {
            std::snprintf(error, size, "--scale: expected a number from 1 to %d, got \"%s\"", DISPLAY_SCALE_MAX,
                          value);
            return false;
        }
    }
    return true;
}

void options_print_usage(FILE* out, const char* program) {
    std::fprintf(out,
                 "usage: %s [--scale N] [--help] [--version]\n"
                 "VORT7131: five scenes in an endless cycle, with music, in a 256 x 256 window (demo)\n"
                 "or full screen (demo_fs).\n"
                 "  --scale N    each pixel as N x N screen pixels, N from 1 to %d: a window N x 256\n"
                 "               pixels square or, full screen, the picture centred on black (full\n"
                 "               screen takes the largest N that fits when none is given)\n"
                 "  -h, --help   print this text and exit\n"
                 "  --version    print the version and exit\n"
                 "Keys: Esc, q or Q quits; Space skips to the next scene; 8 shows the frame counter;\n"
                 "a and s change the scroller's speed. Ctrl-C and SIGTERM quit as Esc does.\n",
                 program, DISPLAY_SCALE_MAX);
}

const char* options_version() { return DEMO_VERSION; }

const char* options_program_name(const char* argv0, const char* fallback) {
    if (argv0 == nullptr) return fallback;
    const char* slash = std::strrchr(argv0, '/');
    const char* name = slash == nullptr ? argv0 : slash + 1;
    return *name == '\0' ? fallback : name;
}

DemoOptions options_take(int argc, char** argv, const char* program) {
    std_streams_reserve();  // before SDL opens anything: the X connection must not become stderr
    program = options_program_name(argc > 0 ? argv[0] : nullptr, program);
    DemoOptions options{};
    char error[256];
    if (!options_parse(argc, argv, &options, error, sizeof error)) {
        std::fprintf(stderr, "%s: %s\n", program, error);
        std::exit(2);
    }
    if (!options.help && !options.version) return options;
    if (options.help) {
        options_print_usage(stdout, program);
    } else {
        std::printf("%s (VORT7131) %s\n", program, options_version());
    }
    // Text that did not arrive (a full disk, a closed stdout) is a failure, not a success.
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        std::fprintf(stderr, "%s: cannot write standard output: %s\n", program, std::strerror(errno));
        std::exit(1);
    }
    std::exit(0);
}

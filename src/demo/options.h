#pragma once
// OPTIONS: the command line of demo and demo_fs. options_parse is pure: the arguments in, a
// plain record or a one-line reason out. options_take is what main does with it, first of
// all: print the help or the version and exit 0 (1 when it cannot be written), or print the
// reason and exit 2, or hand the record back.
#include <cstdint>
#include <cstdio>

#include "platform/display.h"

struct DemoOptions {
    int32_t scale;  // 0 when not given, else 1..DISPLAY_SCALE_MAX (see display_scale)
    bool help;      // --help or -h: print the usage and run nothing
    bool version;   // --version: print the version and run nothing
};

// False with a one-line reason in error (error_size bytes, always terminated) on an unknown
// argument or a bad value. --help ends the parse at once; a repeated --scale keeps the last.
bool options_parse(int argc, const char* const* argv, DemoOptions* options, char* error, int32_t error_size);
void options_print_usage(FILE* out, const char* program);  // the --help text, naming program
const char* options_version();                              // the release, e.g. "1.0"
// A whole decimal number in 1..limit and nothing else around it, into *out; false otherwise.
bool options_parse_count(const char* text, int32_t limit, int32_t* out);
// The name a program was started under (argv0 without its folder), so an installed vort7131
// names itself so; fallback when argv0 is null or ends in '/'.
const char* options_program_name(const char* argv0, const char* fallback);
// Parses argv for the program started as argv[0] (fallback: program, "demo" or "demo_fs");
// returns only to run the show.
DemoOptions options_take(int argc, char** argv, const char* program);

#pragma once
// CAPTURE OPTIONS: demo_capture's command line. capture_parse is pure: the arguments in, a
// plain record or a one-line reason out. Everything that can be judged without touching a
// file is judged here: numbers, key names, keys a frame can take, lengths of output names.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/backend_headless.h"

constexpr int32_t CAPTURE_MAX_FRAMES = 100000000;  // about 23 days of show
// The keys one frame can take: what the event queue holds between two polls. Only the last
// of them acts, but none may be lost, so more are refused.
constexpr int32_t CAPTURE_FRAME_KEYS = HEADLESS_QUEUE_EVENTS;
constexpr int32_t CAPTURE_PATH_MAX = 4095;  // characters of any file name handed to the system

struct CaptureKey {
    int32_t frame;  // 1..N
    uint8_t key;    // key byte delivered in that frame
};

struct CaptureOptions {
    int32_t frames;               // N >= 1: frames in all
    int32_t every;                // write every K-th frame (K >= 1); 0 with no --out
    const char* out_dir;          // folder for frameNNNNN.ppm, or null
    const char* wav_path;         // WAV file of the sound, or null
    const char* video_path;       // video file, .mp4 or .webm, made through ffmpeg; or null
    bool checksums;               // print "frame N presents P checksum C" per frame
    int32_t rss_every;            // print "frame N resident R kB" every K-th frame; 0: never
    std::vector<CaptureKey> keys; // by frame; the keys of one frame in command-line order
};

// Parses the command line; false with a one-line reason in error (error_size bytes) when
// the arguments are bad. --help sets *help and returns true.
bool capture_parse(int argc, char** argv, CaptureOptions* options, bool* help, char* error, int32_t error_size);
int capture_print_usage(FILE* out, const char* program);  // the --help text naming program; fprintf's result
// The name of frame number frame's picture under --out DIR; false when it would not fit size
// bytes or CAPTURE_PATH_MAX characters.
bool capture_frame_path(const char* out_dir, int32_t frame, char* path, int32_t size);

#pragma once
// CAPTURE: records the demo without a window or a sound card. The headless backend runs the
// very same scenes on a virtual clock (one 20 ms period per paced frame); this module
// scripts key presses at chosen frames, writes chosen frames as P6 pictures, everything
// the audio callback played as a 16-bit mono 44100 Hz WAV file, a video through ffmpeg,
// and optionally a checksum line per frame. Frame n is the n-th frame drawn by a scene
// (fades are not frames); a key scripted for frame n acts in frame n. After frame N an Esc
// ends the show: the last fade runs and the program exits 0. Every write is checked: the
// first that fails ends the program with one line naming the file and the reason, exit 1.
// A video takes two runs of the show (it is deterministic): the sound first, into a WAV
// file, then the frames, piped to ffmpeg with that WAV beside them.
#include <cstdint>

constexpr int32_t CAPTURE_MAX_KEYS = 4096;

struct CaptureKey {
    int32_t frame;  // 1..N
    uint8_t key;    // key byte delivered in that frame
};

struct CaptureOptions {
    int32_t frames;          // N >= 1: frames in all
    int32_t every;           // write every K-th frame (K >= 1); 0 with no --out
    const char* out_dir;     // folder for frameNNNNN.ppm, or null
    const char* wav_path;    // WAV file of the sound, or null
    const char* video_path;  // video file, .mp4 or .webm, made through ffmpeg; or null
    bool checksums;          // print "frame N presents P checksum C" per frame
    int32_t rss_every;       // print "frame N resident R kB" every K-th frame; 0: never
    int32_t key_count;
    CaptureKey keys[CAPTURE_MAX_KEYS];  // in command-line order
};

// Parses the command line; false with a one-line reason in error (error_size bytes) when
// the arguments are bad. --help sets *help and returns true.
bool capture_parse(int argc, char** argv, CaptureOptions* options, bool* help, char* error, int32_t error_size);
const char* capture_usage();                 // the --help text
int capture_main(int argc, char** argv);     // the demo_capture program: 0 done, 1 a write failed, 2 bad arguments
uint64_t capture_checksum(const uint32_t* pixels, int64_t count);  // FNV-1a over the pixel bytes

#pragma once
// CAPTURE VIDEO: a video made through ffmpeg while the show runs once. The encoder takes the
// frames through a pipe (the screen's 0x00RRGGBB words, CAPTURE_VIDEO_FPS a second) and
// writes the picture alone into a temporary file, while the recorder writes the sound into a
// WAV beside it and a second ffmpeg measures the sound's loudness as it comes. At the end one
// more joins a stream copy of the picture with the sound, normalised to -16 LUFS integrated
// (EBU R128) with a true peak of at most -1 dBTP, into a temporary file that then takes the
// video's name. So a video is made whole or not at all: after a failure or a stop every ffmpeg is
// killed and every temporary file removed, and a video already at that name stays as it was.
// Every name reaches ffmpeg as a "file:" path, never read as a URL or an option. Each ffmpeg
// runs in a process group of its own (a Ctrl-C meant for the recording reaches the recorder
// alone, which then decides) and dies with the recorder; its messages go to a temporary log,
// of which only the one line that explains a failure is shown.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>

#include "capture/capture_options.h"

constexpr int32_t CAPTURE_VIDEO_FPS = 50;          // frames a second, one every 20 ms of the show's clock
constexpr int32_t CAPTURE_VIDEO_SCALE = 2;         // each pixel a crisp 2 x 2 block
constexpr int32_t CAPTURE_VIDEO_NAME_EXTRA = 32;   // a temporary's name is at most this longer than the video's
constexpr size_t CAPTURE_VIDEO_NAME_SIZE = CAPTURE_PATH_MAX + 1;

struct CaptureVideo {
    int fd = -1;                                 // write end of the encoder's input, -1 when closed
    pid_t pid = 0;                               // the encoder or the joining ffmpeg, 0 when none
    int sound_fd = -1;                           // write end of the loudness meter's input, -1 when closed
    pid_t meter_pid = 0;                         // the ffmpeg measuring the loudness, 0 when none
    bool webm = false;                           // VP9 and Opus in WebM; otherwise H.264 and AAC in MP4
    int64_t frames = 0;                          // frames the encoder took
    int64_t sound_bytes = 0;                     // bytes of sound the meter took
    char ffmpeg[CAPTURE_VIDEO_NAME_SIZE] = {};   // the program found on PATH
    char target[CAPTURE_VIDEO_NAME_SIZE] = {};   // the video's name (the file a link there names)
    char picture[CAPTURE_VIDEO_NAME_SIZE] = {};  // temporary: the picture alone
    char joined[CAPTURE_VIDEO_NAME_SIZE] = {};   // temporary: the finished video before it takes its name
    char log[CAPTURE_VIDEO_NAME_SIZE] = {};      // temporary: what the encoder or the join said
    char meter_log[CAPTURE_VIDEO_NAME_SIZE] = {};  // temporary: what the loudness meter said
    char sound[CAPTURE_VIDEO_NAME_SIZE] = {};    // temporary: the sound when no --wav keeps it; "" otherwise
};

bool capture_find_program(const char* name, char* path, size_t size);  // first executable on PATH
bool capture_video_is_webm(const char* video_path);    // ".webm" (any case); otherwise mp4
bool capture_video_known(const char* video_path);      // ends in ".mp4" or ".webm", any case

// Each false below comes with a one-line reason in error (size bytes); when a stopping signal
// (capture/capture_stop.h) cut a wait short the reason is empty and the caller stops.
// Before the first frame: finds ffmpeg, checks that the video can take its name (an existing
// file there must be a plain one, and not the --wav file) and makes the temporaries beside
// it: the sound's too when no wav_path keeps the sound.
bool capture_video_prepare(CaptureVideo* video, const char* video_path, const char* wav_path, char* error,
                           size_t size);
// The encoder for frames of width x height and the meter for 16-bit mono 44100 Hz sound.
bool capture_video_start(CaptureVideo* video, int32_t width, int32_t height, char* error, size_t size);
bool capture_video_frame(CaptureVideo* video, const uint32_t* pixels, int64_t count, char* error, size_t size);
bool capture_video_sound(CaptureVideo* video, const uint8_t* bytes, int32_t len, char* error, size_t size);
// After the last frame, with the sound complete in sound_path: the picture finished, the
// loudness measured, the two joined, the result given the video's name.
bool capture_video_finish(CaptureVideo* video, const char* sound_path, char* error, size_t size);
void capture_video_abandon(CaptureVideo* video);  // kills any ffmpeg, removes every temporary; idempotent

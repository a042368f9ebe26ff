#pragma once
// CAPTURE OUTPUT: where a recording goes, with every write checked. A write that fails
// returns false with errno saying why, so a full disk or a dead pipe is never reported as
// success. Writes go straight to the file descriptor (no stdio buffer): what a call reports
// as written is in the file.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>

// Writes all count bytes, through partial writes and signals; false with errno on failure.
// *written (may be null) receives the bytes that did reach the file.
bool capture_write_all(int fd, const void* bytes, size_t count, size_t* written);

// A 16-bit mono 44100 Hz WAV file whose header always describes the data written so far,
// so the file stays valid whenever the recording stops.
constexpr uint32_t CAPTURE_WAV_MAX_DATA = 0xFFFFFFDAu;  // the most the 32-bit sizes can hold, even
struct CaptureWav {
    int fd;               // -1 when closed
    uint32_t data_bytes;  // sound bytes in the file after the 44-byte header, even
};
bool capture_wav_open(CaptureWav* wav, const char* path);  // creates or truncates; a seekable file only
bool capture_wav_append(CaptureWav* wav, const uint8_t* bytes, int32_t len);  // data, then the header
bool capture_wav_close(CaptureWav* wav);  // final header, trimmed to it, closed; false with errno

// ffmpeg reading the screen's raw 32-bit frames from a pipe, with a finished WAV as the sound.
struct CaptureVideo {
    int fd;     // write end of ffmpeg's standard input, -1 when closed
    pid_t pid;  // ffmpeg, 0 when none runs
};
bool capture_find_program(const char* name, char* path, size_t size);  // first executable on PATH
bool capture_video_is_webm(const char* video_path);    // ".webm" (any case); otherwise mp4
bool capture_video_known(const char* video_path);      // ends in ".mp4" or ".webm", any case
// Starts ffmpeg making video_path from frames of width x height at 50 a second and the
// sound in wav_path. ffmpeg runs in its own process group, so a Ctrl-C meant for the
// recording does not cut the video short. false with errno when it cannot be started.
bool capture_video_start(CaptureVideo* video, const char* ffmpeg, const char* video_path, const char* wav_path,
                         int32_t width, int32_t height);
bool capture_video_frame(CaptureVideo* video, const uint32_t* pixels, int64_t count);  // one frame of pixels
int capture_video_finish(CaptureVideo* video);  // closes the pipe, waits: ffmpeg's wait status, -1 if none

#pragma once
// CAPTURE WAV: the sound exactly as the show plays it, a 16-bit mono 44100 Hz WAV file whose
// header always describes the data written so far, so the file stays valid whenever the
// recording stops: after a failed write, a signal, or a full disk. Every write is checked
// (capture/capture_output.h).
#include <cstdint>

constexpr uint32_t CAPTURE_WAV_MAX_DATA = 0xFFFFFFDAu;  // the most the 32-bit sizes can hold, even
constexpr int32_t CAPTURE_WAV_HEADER = 44;

struct CaptureWav {
    int fd;               // -1 when closed
    uint32_t data_bytes;  // sound bytes in the file after the 44-byte header, even
};
bool capture_wav_open(CaptureWav* wav, const char* path);  // creates or truncates; a seekable file only
bool capture_wav_append(CaptureWav* wav, const uint8_t* bytes, int32_t len);  // data, then the header
bool capture_wav_close(CaptureWav* wav);  // final header, trimmed to it, closed; false with errno

#pragma once
// AUDIO: the sound device and its play queue. The device pulls 16-bit little-endian mono
// at 44100 Hz from audio_callback on its own thread; the main thread appends borrowed
// samples to the queue under the device lock, and the callback plays them head first,
// one after another with no gap. All device calls go through platform/backend_audio.h.
// No error line: a device that cannot be opened leaves the program silent.
#include <cstddef>
#include <cstdint>

#include "common/module_id.h"
#include "sound/array.h"
#include "sound/sample.h"

struct AudioOut {
    int32_t rate;           // 44100 values per second (descriptive)
    int32_t bits;           // 16 bits per value (descriptive)
    int32_t play_position;  // next value of the head sample to play
    Array* queue;           // owned list of borrowed Sample*, head first; one entry is one playing
    char sign;              // 's' (descriptive)
    char byte_order;        // 'l' (descriptive)
    uint8_t mute;           // 1: the callback writes silence
};
static_assert(offsetof(AudioOut, bits) == 4 && offsetof(AudioOut, play_position) == 8 &&
                  offsetof(AudioOut, queue) >= 12 &&
                  offsetof(AudioOut, sign) == offsetof(AudioOut, queue) + sizeof(Array*) &&
                  offsetof(AudioOut, byte_order) == offsetof(AudioOut, sign) + 1 &&
                  offsetof(AudioOut, mute) == offsetof(AudioOut, sign) + 2,
              "rate, bits, play position, queue, then the three one-byte fields");

constexpr int32_t AUDIO_RATE = 44100;           // values per second
constexpr uint16_t AUDIO_FORMAT_S16LSB = 0x8010;  // signed 16-bit little-endian
constexpr int32_t AUDIO_CHANNELS = 1;
constexpr int32_t AUDIO_BUFFER_VALUES = 4096;   // values per device buffer (8192 bytes, ~93 ms)
constexpr uint32_t AUDIO_INIT_FLAGS = 0xFFFF;   // every platform subsystem: the program's one init
constexpr int32_t AUDIO_QUEUE_LIMIT = 4;        // the frame loop keeps at most this many entries

extern uint8_t audio_debug;  // 0: kept for uniformity (this module has no error line)
extern const ModuleId audio_module_id;

AudioOut* audio_open();                                   // inits the platform, starts the device; null on failure
void audio_close(AudioOut** audio);                       // pause, close under the lock, free; sets *audio = null
void audio_queue_sample(AudioOut* audio, Sample* sample); // appends (borrowed) under the device lock
void audio_callback(void* userdata, uint8_t* stream, int len);  // device thread: fills up to len bytes
int32_t audio_queue_length(AudioOut* audio);              // entries waiting, read under the lock; 0 if none
void audio_feed(AudioOut* audio, Sample* loop);           // the frame rule: queue loop while fewer than 4 wait

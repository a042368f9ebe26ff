#include "sound/audio.h"

#include <cstdlib>
#include <cstring>

#include "common/fixed.h"
#include "platform/backend_audio.h"

uint8_t audio_debug = 0;
const ModuleId audio_module_id = make_module_id("20101106", "AUDIO");

AudioOut* audio_open() {
    if (backend_init(AUDIO_INIT_FLAGS) != 0) return nullptr;
    AudioOut* audio = static_cast<AudioOut*>(std::calloc(1, sizeof(AudioOut)));
    if (audio == nullptr) return nullptr;
    // The record is complete before the device exists: the device's thread may start
    // reading it as soon as the device is opened, paused or not.
    audio->rate = AUDIO_RATE;
    audio->bits = 16;
    audio->sign = 's';
    audio->byte_order = 'l';
    audio->mute = 0;
    audio->queue = array_create();
    if (backend_audio_open(AUDIO_RATE, AUDIO_FORMAT_S16LSB, AUDIO_CHANNELS, AUDIO_BUFFER_VALUES, audio_callback,
                           audio) < 0) {
        array_destroy(&audio->queue);
        std::free(audio);
        return nullptr;
    }
    backend_audio_pause(0);
    return audio;
}

void audio_close(AudioOut** audio) {
    if (audio == nullptr || *audio == nullptr) return;
    backend_audio_pause(1);
    backend_audio_lock();
    backend_audio_close();
    backend_audio_unlock();
    array_destroy(&(*audio)->queue);
    std::free(*audio);
    *audio = nullptr;
}

void audio_queue_sample(AudioOut* audio, Sample* sample) {
    if (audio == nullptr || sample == nullptr) return;
    backend_audio_lock();
    if (audio->queue == nullptr) audio->queue = array_create();
    array_append(audio->queue, sample);
    backend_audio_unlock();
}

int32_t audio_queue_length(AudioOut* audio) {
    if (audio == nullptr) return 0;
    backend_audio_lock();
    int32_t length = audio->queue != nullptr ? audio->queue->count : 0;
    backend_audio_unlock();
    return length;
}

void audio_lock() { backend_audio_lock(); }

void audio_unlock() { backend_audio_unlock(); }

void audio_feed(AudioOut* audio, Sample* loop) {
    if (audio == nullptr) return;
    if (audio_queue_length(audio) < AUDIO_QUEUE_LIMIT) audio_queue_sample(audio, loop);
}

// Runs with the device lock held (or from the headless pump on the main thread). Only
// moves pointers and reads values: nothing is allocated here.
void audio_callback(void* userdata, uint8_t* stream, int len) {
    AudioOut* audio = static_cast<AudioOut*>(userdata);
    if (audio == nullptr || stream == nullptr || len <= 0) return;
    Array* queue = audio->queue;
    if (queue == nullptr || queue->count <= 0 || queue->items == nullptr) return;
    const Sample* head = static_cast<const Sample*>(queue->items[0]);
    if (audio->mute == 1 || head == nullptr) {
        std::memset(stream, 0, static_cast<size_t>(len));
        return;
    }
    const int32_t values = len / 2;
    int32_t done = 0;
    int32_t position = audio->play_position;
    while (done < values) {
        const int32_t count = head->count;
        if (head->buffer != nullptr && position >= 0 && position < count) {
            // A run of the head's own values: straight indexed loads.
            int32_t run = count - position;
            if (run > values - done) run = values - done;
            const int32_t* from = head->buffer + position;
            uint8_t* out = stream + 2 * static_cast<size_t>(done);
            for (int32_t i = 0; i < run; ++i) {
                uint32_t v = static_cast<uint32_t>(from[i]);
                out[2 * i] = static_cast<uint8_t>(v & 0xFFu);
                out[2 * i + 1] = static_cast<uint8_t>((v >> 8) & 0xFFu);
            }
            done += run;
            position += run;
        } else {
            // Outside the head's values (no buffer, or the head shrank under us): silence.
            stream[2 * static_cast<size_t>(done)] = 0;
            stream[2 * static_cast<size_t>(done) + 1] = 0;
            done += 1;
            position = wrap_add(position, 1);
        }
        if (position >= count) {
            array_remove(queue, 0);
            position = 0;
            if (queue->count == 0) break;  // ran dry: the rest of this buffer stays as it was
            head = static_cast<const Sample*>(queue->items[0]);
            if (head == nullptr) {
                // A null entry is silence for the rest of the buffer, as at the start of a call.
                std::memset(stream + 2 * static_cast<size_t>(done), 0, static_cast<size_t>(len) - 2 * static_cast<size_t>(done));
                break;
            }
        }
    }
    audio->play_position = position;
}

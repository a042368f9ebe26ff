#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "sound/audio.h"

// Its own program: the platform picks its audio driver once, at the first init, so the disk
// driver must be chosen before anything else opens the device.

using Bytes = std::vector<uint8_t>;

TEST(AudioDevice, TheDiskDriverReceivesTheQueuedLoop) {
    std::string path = "/tmp/sound_audio_test_" + std::to_string(getpid()) + ".raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "1", 1);
    Sample* loop = sample_create();
    sample_set_length(loop, 6000);
    // Never 0, and below half scale: the platform's conversion to the device format (it may
    // pass through floating point) is exact there, so the bytes must match exactly.
    for (int32_t i = 0; i < 6000; ++i) sample_set(loop, (i * 37) % 16001 + 1, i);
    AudioOut* audio = audio_open();
    ASSERT_NE(audio, nullptr);
    audio_queue_sample(audio, loop);
    audio_queue_sample(audio, loop);
    for (int waited = 0; waited < 500 && audio_queue_length(audio) > 0; ++waited) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(audio_queue_length(audio), 0);
    audio_close(&audio);

    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    Bytes file;
    for (int c = std::fgetc(f); c != EOF; c = std::fgetc(f)) file.push_back(static_cast<uint8_t>(c));
    std::fclose(f);
    if (std::getenv("KEEP_DISK_FILE") == nullptr) std::remove(path.c_str());

    // Whatever the device wrote before the queue filled, the loop must follow twice, unbroken.
    // The platform may widen mono to stereo on the way (no obtained spec is asked for), in
    // which case every value arrives once per channel.
    size_t start = 0;
    const uint8_t lo = 1, hi = 0;  // the loop's first value
    while (start + 1 < file.size() && !(file[start] == lo && file[start + 1] == hi)) start += 2;
    ASSERT_GE(file.size(), start + 4);
    const int channels = file[start + 2] == lo && file[start + 3] == hi ? 2 : 1;
    Bytes want;
    for (int round = 0; round < 2; ++round) {
        for (int32_t i = 0; i < 6000; ++i) {
            uint32_t v = static_cast<uint32_t>(sample_get(loop, i));
            for (int c = 0; c < channels; ++c) {
                want.push_back(static_cast<uint8_t>(v & 0xFF));
                want.push_back(static_cast<uint8_t>(v >> 8));
            }
        }
    }
    ASSERT_GE(file.size(), start + want.size());
    EXPECT_TRUE(std::equal(want.begin(), want.end(), file.begin() + static_cast<long>(start)));
    sample_destroy(&loop);
}

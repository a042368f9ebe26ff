#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "sound/audio.h"
#include "sound_fixtures.h"

// Its own program: the platform picks its audio driver once, at the first init, so the disk
// driver must be chosen before anything else opens the device.

TEST(AudioDevice, TheDiskDriverReceivesTheQueuedLoop) {
    std::string path = "/tmp/sound_audio_test_" + std::to_string(getpid()) + ".raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "1", 1);
    // Never 0, and below half scale: the platform's conversion to the device format (it may
    // pass through floating point) is exact there, so the bytes must match exactly.
    sound_test::Owned own;
    Sample* loop = own(sound_test::block_of(6000, [](int32_t i) { return (i * 37) % 16001 + 1; }));
    AudioOut* audio = audio_open();
    ASSERT_NE(audio, nullptr);
    audio_queue_sample(audio, loop);
    audio_queue_sample(audio, loop);
    for (int waited = 0; waited < 500 && audio_queue_length(audio) > 0; ++waited) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(audio_queue_length(audio), 0);
    audio_close(&audio);

    const sound_test::Bytes file = sound_test::drain(std::fopen(path.c_str(), "rb"));
    if (std::getenv("KEEP_DISK_FILE") == nullptr) std::remove(path.c_str());

    // Whatever the device wrote before the queue filled, the loop must follow twice, unbroken.
    // The platform may widen mono to stereo on the way (no obtained format is asked for), in
    // which case every value arrives once per channel.
    size_t start = 0;  // the loop's first value is 1
    while (start + 1 < file.size() && !(file[start] == 1 && file[start + 1] == 0)) start += 2;
    ASSERT_GE(file.size(), start + 4);
    const size_t channels = file[start + 2] == 1 && file[start + 3] == 0 ? 2 : 1;
    const size_t values = 2 * 6000 * channels;
    ASSERT_GE(file.size(), start + 2 * values);
    for (size_t k = 0; k < values; ++k) {
        const int32_t want = sample_get(loop, static_cast<int32_t>(k / channels % 6000));
        ASSERT_EQ(file[start + 2 * k] | file[start + 2 * k + 1] << 8, want) << "value " << k;
    }
}

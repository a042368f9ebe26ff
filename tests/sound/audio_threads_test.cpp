#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "sound/audio.h"
#include "sound/music.h"
#include "sound_fixtures.h"

// The real device thread, on SDL's disk driver (chosen before anything opens the device):
// first the values it writes must be exactly the queued ones; then the main thread mixes
// into the loop and tops up the queue while the device plays it, every shared change going
// through the device lock, so no race may be seen here.
TEST(AudioThreads, TheDeviceWritesTheQueuedValuesAndPlaysOnWhileTheLoopIsMixed) {
    const std::string path = "/tmp/sound_audio_test_" + std::to_string(getpid()) + ".raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "1", 1);
    // Never 0, and below half scale: the platform's conversion to the device format (it may
    // pass through floating point) is exact there, so the bytes must match exactly.
    sound_test::Owned own;
    Sample* loop = own(sound_test::block_of(6000, [](int32_t i) { return (i * 37) % 16001 + 1; }));
    AudioOut* audio = audio_open();
    ASSERT_NE(audio, nullptr);
    audio_lock();  // both queued before the device can play the first, however late this thread runs
    audio_queue_sample(audio, loop);
    audio_queue_sample(audio, loop);
    audio_unlock();
    for (int waited = 0; waited < 500 && audio_queue_length(audio) > 0; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(audio_queue_length(audio), 0);

    Music* music = music_create();
    sample_set_length(music->loop, AUDIO_BUFFER_VALUES);  // one device buffer a loop: used up quickly
    music_add_block(music, own(sound_test::block_of(2048, [](int32_t q) { return (q % 200 - 100) * (64 - q / 32); })));
    int32_t queued = 0, played = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (int frame = 0; std::chrono::steady_clock::now() < deadline; ++frame) {
        music->countdown = 0;  // a mix every frame, far more often than the show needs
        music_tick(music);
        const int32_t before = audio_queue_length(audio);
        audio_feed(audio, music->loop);
        queued += audio_queue_length(audio) > before;
        EXPECT_LE(audio_queue_length(audio), AUDIO_QUEUE_LIMIT);
        played = queued - audio_queue_length(audio);
        if (frame >= 200 && played >= 8) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_GE(played, 8) << "the device thread never took the queued loops";
    audio_close(&audio);
    EXPECT_EQ(audio, nullptr);
    audio_close(&audio);  // closing again does nothing
    music_destroy(&music);

    const sound_test::Bytes file = sound_test::drain(std::fopen(path.c_str(), "rb"));
    std::remove(path.c_str());
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

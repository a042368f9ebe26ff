#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "common/rng.h"
#include "sound/audio.h"
#include "sound/music.h"
#include "sound_fixtures.h"

// The main thread mixes into the loop and tops up the queue while the device thread plays
// it: every shared change goes through the device lock, so no race may be seen here.
TEST(AudioThreads, MixingAndQueueingWhileTheDevicePlays) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);  // no sound card needed, unless a driver was chosen
    AudioOut* audio = audio_open();
    ASSERT_NE(audio, nullptr);
    Music* music = music_create();
    ASSERT_NE(music, nullptr);
    // One device buffer per loop, so entries are used up quickly.
    sample_set_length(music->loop, AUDIO_BUFFER_VALUES);
    std::vector<Sample*> blocks;
    for (int32_t i = 0; i < 16; ++i) {
        blocks.push_back(
            sound_test::block_of(2048, [i](int32_t q) { return ((q * (i + 3)) % 200 - 100) * (64 - q / 32); }));
        music_add_block(music, blocks.back());
    }
    rng_srand(0xFACE5718u);
    int32_t queued = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int32_t played = 0;
    for (int frame = 0; std::chrono::steady_clock::now() < deadline; ++frame) {
        music->countdown = 0;  // a mix every frame, far more often than the show needs
        music_tick(music);
        int32_t before = audio_queue_length(audio);
        audio_feed(audio, music->loop);
        if (audio_queue_length(audio) > before) ++queued;
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
    for (Sample*& block : blocks) sample_destroy(&block);
}

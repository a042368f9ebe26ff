#include <gtest/gtest.h>

#include <cstdlib>
#include <initializer_list>
#include <vector>

#include "sound/audio.h"

namespace {

using Bytes = std::vector<uint8_t>;

Sample* make(std::initializer_list<int32_t> values) {
    Sample* s = sample_create();
    sample_set_length(s, static_cast<int32_t>(values.size()));
    int32_t i = 0;
    for (int32_t v : values) sample_set(s, v, i++);
    return s;
}

// An output record with a queue but no device: the callback is driven by hand.
struct Bench {
    AudioOut audio{};
    Bench() { audio.queue = array_create(); }
    ~Bench() { array_destroy(&audio.queue); }
    Bytes pull(int len, uint8_t fill = 0xAA) {
        Bytes out(static_cast<size_t>(len) + 1, fill);  // one guard byte past len
        audio_callback(&audio, out.data(), len);
        return out;
    }
};

}  // namespace

TEST(AudioCallback, EmptyQueueLeavesTheBufferUntouched) {
    Bench b;
    EXPECT_EQ(b.pull(8), Bytes(9, 0xAA));
    audio_callback(nullptr, nullptr, 8);
    Bytes buffer(4, 0xAA);
    audio_callback(&b.audio, buffer.data(), 0);
    audio_callback(&b.audio, buffer.data(), -4);
    EXPECT_EQ(buffer, Bytes(4, 0xAA));
}

TEST(AudioCallback, PlaysEntriesBackToBackAndStopsWhenDry) {
    Bench b;
    Sample* first = make({1, -1, 256});
    Sample* second = make({2});
    audio_queue_sample(&b.audio, first);
    audio_queue_sample(&b.audio, second);
    Bytes got = b.pull(16);
    EXPECT_EQ(got, (Bytes{0x01, 0x00, 0xFF, 0xFF, 0x00, 0x01, 0x02, 0x00, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA,
                          0xAA, 0xAA, 0xAA}));
    EXPECT_EQ(b.audio.queue->count, 0);
    EXPECT_EQ(b.audio.play_position, 0);

    // Once dry, the next queued sample starts at its first value.
    audio_queue_sample(&b.audio, first);
    EXPECT_EQ(b.pull(4), (Bytes{0x01, 0x00, 0xFF, 0xFF, 0xAA}));
    EXPECT_EQ(b.audio.play_position, 2);
    EXPECT_EQ(b.pull(4), (Bytes{0x00, 0x01, 0xAA, 0xAA, 0xAA}));
    EXPECT_EQ(b.audio.queue->count, 0);
    sample_destroy(&first);
    sample_destroy(&second);
}

TEST(AudioCallback, LowSixteenBitsOddLengthsMuteAndNullHead) {
    Bench b;
    Sample* s = make({40000, -40000, 0x12345678});
    audio_queue_sample(&b.audio, s);
    EXPECT_EQ(b.pull(1), Bytes(2, 0xAA));  // one byte: no whole value
    EXPECT_EQ(b.audio.play_position, 0);
    EXPECT_EQ(b.pull(5), (Bytes{0x40, 0x9C, 0xC0, 0x63, 0xAA, 0xAA}));
    EXPECT_EQ(b.pull(2), (Bytes{0x78, 0x56, 0xAA}));

    audio_queue_sample(&b.audio, s);
    b.audio.mute = 1;
    EXPECT_EQ(b.pull(5), (Bytes{0, 0, 0, 0, 0, 0xAA}));
    EXPECT_EQ(b.audio.play_position, 0);
    b.audio.mute = 0;

    Bench n;
    array_append(n.audio.queue, nullptr);
    EXPECT_EQ(n.pull(4), (Bytes{0, 0, 0, 0, 0xAA}));
    // A null entry reached mid-buffer silences the rest of it.
    Bench m;
    Sample* one = make({0x0101});
    audio_queue_sample(&m.audio, one);
    array_append(m.audio.queue, nullptr);
    EXPECT_EQ(m.pull(6), (Bytes{1, 1, 0, 0, 0, 0, 0xAA}));
    sample_destroy(&s);
    sample_destroy(&one);
}

TEST(AudioCallback, ShrunkenHeadPlaysSilenceThenMovesOn) {
    Bench b;
    Sample* s = make({5, 6, 7, 8});
    Sample* t = make({9});
    audio_queue_sample(&b.audio, s);
    audio_queue_sample(&b.audio, t);
    b.pull(4);
    sample_set_length(s, 1);  // the position (2) is now past the end
    EXPECT_EQ(b.pull(6), (Bytes{0, 0, 9, 0, 0xAA, 0xAA, 0xAA}));
    sample_destroy(&s);
    sample_destroy(&t);
}

TEST(AudioFeed, NeverMoreThanFourEntries) {
    Bench b;
    Sample* loop = make({1, 2, 3});
    for (int frame = 0; frame < 10; ++frame) {
        audio_feed(&b.audio, loop);
        EXPECT_LE(audio_queue_length(&b.audio), AUDIO_QUEUE_LIMIT);
    }
    EXPECT_EQ(audio_queue_length(&b.audio), 4);
    b.pull(6);  // one whole loop played
    EXPECT_EQ(audio_queue_length(&b.audio), 3);
    audio_feed(&b.audio, loop);
    EXPECT_EQ(audio_queue_length(&b.audio), 4);
    audio_feed(nullptr, loop);
    EXPECT_EQ(audio_queue_length(nullptr), 0);

    AudioOut bare{};  // no queue yet: the first sample queued makes one
    audio_queue_sample(&bare, loop);
    ASSERT_NE(bare.queue, nullptr);
    EXPECT_EQ(bare.queue->count, 1);
    audio_queue_sample(&bare, nullptr);
    EXPECT_EQ(bare.queue->count, 1);
    array_destroy(&bare.queue);
    sample_destroy(&loop);
}

TEST(AudioDevice, OpensStartsAndClosesWithTheDummyDriver) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);  // no sound card needed, unless a driver was chosen
    AudioOut* audio = audio_open();
    ASSERT_NE(audio, nullptr);
    ASSERT_NE(audio->queue, nullptr);
    audio_close(&audio);
    EXPECT_EQ(audio, nullptr);
    audio_close(&audio);
    audio_close(nullptr);
}

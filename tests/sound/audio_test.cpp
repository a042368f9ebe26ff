#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "sound/audio.h"
#include "sound_fixtures.h"

namespace {

using sound_test::Bytes;

// An output record with a queue but no device: the callback is driven by hand.
struct Bench {
    AudioOut audio{};
    sound_test::Owned own;
    Bench() { audio.queue = array_create(); }
    ~Bench() { array_destroy(&audio.queue); }
    Sample* queue(std::initializer_list<int32_t> values) {
        Sample* s = own(sound_test::make(values));
        audio_queue_sample(&audio, s);
        return s;
    }
    Bytes pull(int len) {
        Bytes out(static_cast<size_t>(len) + 1, 0xAA);  // one guard byte past len
        audio_callback(&audio, out.data(), len);
        return out;
    }
};

}  // namespace

TEST(AudioCallback, PlaysEntriesBackToBackLowSixteenBitsAndStopsWhenDry) {
    Bench b;
    EXPECT_EQ(b.pull(8), Bytes(9, 0xAA));  // empty queue: buffer untouched
    b.queue({1, -1, 256});
    b.queue({2});
    EXPECT_EQ(b.pull(12), (Bytes{1, 0, 0xFF, 0xFF, 0, 1, 2, 0, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}));
    EXPECT_EQ(b.audio.queue->count, 0);
    EXPECT_EQ(b.audio.play_position, 0);  // the next queued sample starts at its first value
    b.queue({40000, -40000, 0x12345678});  // the low 16 bits of each, whole values only
    EXPECT_EQ(b.pull(1), Bytes(2, 0xAA));  // one byte: no whole value
    EXPECT_EQ(b.audio.play_position, 0);
    EXPECT_EQ(b.pull(5), (Bytes{0x40, 0x9C, 0xC0, 0x63, 0xAA, 0xAA}));
    EXPECT_EQ(b.pull(2), (Bytes{0x78, 0x56, 0xAA}));
    Bytes spare(4, 0xAA);
    audio_callback(&b.audio, spare.data(), -4);  // a negative length writes nothing
    EXPECT_EQ(spare, Bytes(4, 0xAA));
}

TEST(AudioCallback, NullEntriesAndAShrunkenHeadPlaySilence) {
    Bench m;  // a null entry reached mid-buffer silences the rest of it
    m.queue({0x0101});
    array_append(m.audio.queue, nullptr);
    EXPECT_EQ(m.pull(6), (Bytes{1, 1, 0, 0, 0, 0, 0xAA}));
    Bench b;
    Sample* s = b.queue({5, 6, 7, 8});
    b.queue({9});
    b.pull(4);
    sample_set_length(s, 1);  // the position (2) is now past the end: silence, then the next entry
    EXPECT_EQ(b.pull(6), (Bytes{0, 0, 9, 0, 0xAA, 0xAA, 0xAA}));
}

// The headless backend under the display, keyboard and pacing code the demo runs on SDL.
#include <gtest/gtest.h>

#include <vector>

#include "platform/backend.h"
#include "platform/backend_audio.h"
#include "platform/backend_headless.h"
#include "platform/display.h"
#include "platform/fps.h"
#include "platform/keyboard.h"

namespace {

std::vector<std::vector<uint8_t>> pumped;  // every device buffer the clock pumped out
void on_audio(void*, const uint8_t* bytes, int32_t len) { pumped.emplace_back(bytes, bytes + len); }

class Headless : public ::testing::Test {
protected:
    void SetUp() override {
        const HeadlessHooks hooks{nullptr, nullptr, on_audio, nullptr};
        headless_set_hooks(&hooks);
        pumped.clear();
        display_create();
        ASSERT_NE(display_screen, nullptr) << display_last_error();
        keyboard = keyboard_create();
        ASSERT_NE(keyboard, nullptr);
    }
    void TearDown() override { headless_set_hooks(nullptr); }
    Keyboard* keyboard = nullptr;
};

TEST_F(Headless, AFullQueueKeepsItsOldestEvents) {
    for (int i = 0; i < HEADLESS_QUEUE_EVENTS + 10; ++i) headless_push_key(static_cast<uint32_t>(0x100 + i));
    EXPECT_EQ(headless_pending_events(), HEADLESS_QUEUE_EVENTS);
    keyboard_poll(keyboard);
    EXPECT_EQ(keyboard->buffer[0], HEADLESS_QUEUE_EVENTS - 1) << "the last kept event, its low byte";
}

TEST_F(Headless, PacedFramesTakeOnePeriodAndCountFifty) {
    fps.target_fps = 50;
    for (int i = 0; i < 121; ++i) {
        const uint32_t before = backend_ticks_ms();
        fps_tick();
        fps_pace();
        ASSERT_EQ(headless_now_ms() - before, 20u) << "frame " << i;
    }
    EXPECT_EQ(fps.measured_fps, 50);
}

int callback_calls;
void mark_first_byte(void* userdata, uint8_t* stream, int len) {
    ++callback_calls;
    EXPECT_EQ(userdata, &callback_calls);
    for (int i = 0; i < len; ++i) ASSERT_EQ(stream[i], 0) << "zero-filled before the callback";
    stream[0] = 0x7F;
}

TEST_F(Headless, AudioIsPumpedByTheClockOneDeviceBufferAtATime) {
    EXPECT_LT(backend_audio_open(44100, 0x8010, 1, 4096, nullptr, nullptr), 0);
    ASSERT_EQ(backend_init(0xFFFF), 0);
    ASSERT_EQ(backend_audio_open(44100, 0x8010, 1, 4096, mark_first_byte, &callback_calls), 0);
    EXPECT_LT(backend_audio_open(44100, 0x8010, 1, 4096, mark_first_byte, nullptr), 0) << "one device";

    backend_delay_ms(1000);  // opened paused: silence, no callback
    EXPECT_EQ(callback_calls, 0);
    ASSERT_EQ(pumped.size(), 10u) << "44100 values cover 10 whole buffers of 4096";
    EXPECT_EQ(pumped[0], std::vector<uint8_t>(8192, 0));

    backend_audio_pause(0);
    for (int i = 0; i < 50; ++i) backend_delay_ms(20);
    EXPECT_EQ(callback_calls, 11) << "88200 values due since the opening: 21 buffers";
    ASSERT_EQ(pumped.size(), 21u);
    EXPECT_EQ(pumped.back()[0], 0x7F);
    EXPECT_EQ(pumped.back()[1], 0);

    backend_audio_pause(1);
    backend_delay_ms(200);
    EXPECT_EQ(callback_calls, 11);
    EXPECT_EQ(pumped.size(), 23u);
    backend_audio_close();
    backend_delay_ms(1000);
    EXPECT_EQ(pumped.size(), 23u) << "a closed device pumps nothing";
}

}  // namespace

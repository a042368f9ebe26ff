// The headless backend under the display and keyboard code the demo runs on SDL: its event
// queue and its audio device, pumped by the virtual clock (the pacing on that clock shows in
// the capture tests: the counter reads 32, fifty frames a second).
#include <gtest/gtest.h>

#include <vector>

#include "platform/backend.h"
#include "platform/backend_audio.h"
#include "platform/backend_headless.h"
#include "platform/display.h"
#include "platform/keyboard.h"

namespace {

std::vector<std::vector<uint8_t>> pumped;  // every device buffer the clock pumped out
void on_audio(void*, const uint8_t* bytes, int32_t len) { pumped.emplace_back(bytes, bytes + len); }

TEST(Headless, AFullQueueKeepsItsOldestEvents) {
    display_create();
    ASSERT_NE(display_screen, nullptr) << display_last_error();
    Keyboard* keyboard = keyboard_create();
    ASSERT_NE(keyboard, nullptr);
    for (int i = 0; i < HEADLESS_QUEUE_EVENTS + 10; ++i) headless_push_key(static_cast<uint32_t>(0x100 + i));
    EXPECT_EQ(headless_pending_events(), HEADLESS_QUEUE_EVENTS);
    keyboard_poll(keyboard);
    EXPECT_EQ(keyboard->buffer[0], HEADLESS_QUEUE_EVENTS - 1) << "the last kept event, its low byte";
}

int callback_calls;
void mark_first_byte(void* userdata, uint8_t* stream, int len) {
    ++callback_calls;
    EXPECT_EQ(userdata, &callback_calls);
    for (int i = 0; i < len; ++i) ASSERT_EQ(stream[i], 0) << "zero-filled before the callback";
    stream[0] = 0x7F;
}

TEST(Headless, AudioIsPumpedByTheClockOneDeviceBufferAtATime) {
    const HeadlessHooks hooks{nullptr, nullptr, on_audio, nullptr};
    headless_set_hooks(&hooks);
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

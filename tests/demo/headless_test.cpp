// The headless backend under the display, keyboard and pacing code the demo runs on SDL.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <vector>

#include "platform/backend_audio.h"
#include "platform/backend_headless.h"
#include "platform/fps.h"
#include "platform/keyboard.h"
#include "platform/platform_fixtures.h"

namespace {

struct Recorder {
    int presents = 0;
    const uint32_t* last_pixels = nullptr;
    std::vector<uint32_t> last_frame;
    int pending_at_poll = -1;
    uint32_t push_on_poll = 0;
    std::vector<std::vector<uint8_t>> audio;
};

void on_present(void* ctx, const uint32_t* pixels, int32_t width, int32_t height) {
    auto* r = static_cast<Recorder*>(ctx);
    ++r->presents;
    r->last_pixels = pixels;
    r->last_frame.assign(pixels, pixels + width * height);
}
void on_poll(void* ctx) {
    auto* r = static_cast<Recorder*>(ctx);
    r->pending_at_poll = headless_pending_events();
    if (r->push_on_poll != 0) headless_push_key(r->push_on_poll);
}
void on_audio(void* ctx, const uint8_t* bytes, int32_t len) {
    static_cast<Recorder*>(ctx)->audio.emplace_back(bytes, bytes + len);
}

class Headless : public ::testing::Test {
protected:
    void SetUp() override {
        const HeadlessHooks hooks{on_present, on_poll, on_audio, &recorder};
        headless_set_hooks(&hooks);
        display = display_create();
        ASSERT_NE(display_screen, nullptr) << display_last_error();
        keyboard = keyboard_create();
        ASSERT_NE(keyboard, nullptr);
        keyboard->buffer[0] = 0;
    }
    void TearDown() override { headless_set_hooks(nullptr); }
    Recorder recorder;
    Display* display = nullptr;
    Keyboard* keyboard = nullptr;
};

TEST_F(Headless, PresentsReachTheHookFromA32BitScreen) {
    EXPECT_EQ(display->bits_per_pixel, 32);
    EXPECT_EQ(backend_surface_info(display_screen).pitch, 256 * 4);
    EXPECT_EQ(display_flip_mode, 0);
    TestFrame frame(256, 256, 3);
    display_present(display, &frame.img);
    ASSERT_EQ(recorder.presents, 1);
    EXPECT_EQ(std::memcmp(recorder.last_frame.data(), frame.img.pixels, 256 * 256 * 4), 0);
    EXPECT_NE(recorder.last_pixels, frame.img.pixels) << "copied into the screen";

    const void* own = backend_surface_info(display_screen).pixels;
    display_present_swap(display, &frame.img);
    EXPECT_EQ(recorder.last_pixels, frame.img.pixels) << "lent for the one present";
    EXPECT_EQ(backend_surface_info(display_screen).pixels, own);

    TestFrame small(20, 10, 12);  // the blit shows the overlap and leaves the rest
    small.img.pixels[0] |= 0xFF000000u;  // alpha is dropped on the way to the screen
    display_present_blit(display, &small.img);
    ASSERT_EQ(recorder.presents, 3);
    EXPECT_EQ(recorder.last_frame[0], small.at(0, 0) & 0x00FFFFFFu);
    EXPECT_EQ(recorder.last_frame[9 * 256 + 19], small.at(19, 9));
    EXPECT_EQ(recorder.last_frame[9 * 256 + 20], frame.at(20, 9));
    EXPECT_EQ(recorder.last_frame[10 * 256], frame.at(0, 10));
}

TEST_F(Headless, PollHookRunsFirstAndKeysComeFromTheQueue) {
    headless_push_key('a');
    recorder.push_on_poll = ' ';
    keyboard_poll(keyboard);
    EXPECT_EQ(recorder.pending_at_poll, 1);
    EXPECT_EQ(keyboard->buffer[0], ' ') << "a key pushed by the hook counts in the same poll";

    recorder.push_on_poll = 0;
    headless_push_key('q');
    headless_push_key_up('q');
    headless_push_quit();
    keyboard_poll(keyboard);
    EXPECT_EQ(keyboard->buffer[0], 0) << "the key-up clears it, the window close is let go";

    for (int i = 0; i < HEADLESS_QUEUE_EVENTS + 10; ++i) headless_push_key(static_cast<uint32_t>(0x100 + i));
    EXPECT_EQ(headless_pending_events(), HEADLESS_QUEUE_EVENTS);
    keyboard_poll(keyboard);
    EXPECT_EQ(keyboard->buffer[0], HEADLESS_QUEUE_EVENTS - 1) << "the last kept event, its low byte";

    std::raise(SIGINT);
    headless_push_key('a');
    keyboard_poll(keyboard);
    EXPECT_EQ(keyboard->buffer[0], 27);
}

TEST_F(Headless, PacedFramesTakeOnePeriodAndCountFifty) {
    target_fps = 50;
    for (int i = 0; i < 121; ++i) {
        const uint32_t before = backend_ticks_ms();
        fps_tick();
        fps_pace();
        ASSERT_EQ(headless_now_ms() - before, 20u) << "frame " << i;
    }
    EXPECT_EQ(measured_fps, 50);
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
    ASSERT_EQ(recorder.audio.size(), 10u) << "44100 values cover 10 whole buffers of 4096";
    EXPECT_EQ(recorder.audio[0], std::vector<uint8_t>(8192, 0));

    backend_audio_pause(0);
    for (int i = 0; i < 50; ++i) backend_delay_ms(20);
    EXPECT_EQ(callback_calls, 11) << "88200 values due since the opening: 21 buffers";
    ASSERT_EQ(recorder.audio.size(), 21u);
    EXPECT_EQ(recorder.audio.back()[0], 0x7F);
    EXPECT_EQ(recorder.audio.back()[1], 0);

    backend_audio_pause(1);
    backend_delay_ms(200);
    EXPECT_EQ(callback_calls, 11);
    EXPECT_EQ(recorder.audio.size(), 23u);
    backend_audio_close();
    backend_delay_ms(1000);
    EXPECT_EQ(recorder.audio.size(), 23u) << "a closed device pumps nothing";
}

}  // namespace

// The display and the keyboard reader on SDL's dummy video driver; the display is one per process.
#include <SDL.h>
#include <gtest/gtest.h>

#include <csignal>
#include <utility>
#include <vector>

#include "platform/keyboard.h"
#include "platform/platform_fixtures.h"

namespace {

class OnDummy : public ::testing::Test {
protected:
    void SetUp() override {
        display = display_create();
        ASSERT_NE(display_screen, nullptr) << display_last_error();
        keyboard = keyboard_create();
        ASSERT_NE(keyboard, nullptr);
        keyboard_poll(keyboard);  // whatever the video driver queued at start
        keyboard->buffer[0] = 0;
    }
    Display* display = nullptr;
    Keyboard* keyboard = nullptr;
};

TEST_F(OnDummy, PresentTakesOnlyAFrameOfTheDisplaySizeBlitAnySize) {
    const std::vector<uint32_t> before = screen_pixels();
    TestFrame narrow(255, 256, 1), low(256, 255, 2), right(256, 256, 3);
    Img no_pixels{0, 0, 256, 256, nullptr};
    display_present(display, &narrow.img);
    display_present_swap(display, &low.img);
    display_present(display, nullptr);
    display_present_blit(display, &no_pixels);
    EXPECT_EQ(screen_pixels(), before);

    display_present(display, &right.img);
    EXPECT_EQ(screen_pixels(), right.pixels);

    TestFrame wide(300, 260, 11);  // read with the display's row length, never past its end
    display_present_blit(display, &wide.img);
    EXPECT_EQ(screen_pixels()[255 * 256 + 255], wide.img.pixels[255 * 256 + 255]);
}

TEST_F(OnDummy, OneDisplaySetModeRefusesANegativeHeightAndAnOversizedModeAndChangesOtherwise) {
    BackendSurface* screen = display_screen;
    EXPECT_EQ(display_create(), display);
    EXPECT_EQ(keyboard_create(), keyboard);
    EXPECT_EQ(display_screen, screen) << "a second create sets no new mode";
    display_set_mode(display, 256, -1);
    display_set_mode(display, 1 << 14, 1 << 14);  // beyond the pixel limit
    EXPECT_EQ(display_screen, screen);
    EXPECT_EQ(display->height, 256);
    display_set_mode(display, 128, 64);
    EXPECT_EQ(screen_pixels().size(), 128u * 64u);
    EXPECT_EQ(display->width, 128);
    display_set_mode(display, 256, 256);
}

TEST_F(OnDummy, PollKeepsTheLastKeyOfTheBatchAnInterruptReadsAsEsc) {
    // An interrupt (caught since the display was created) reads as Esc after the queue, once.
    // Closing the window does nothing; a key pressed and released between polls is not seen;
    // SDLK_KP1 (257) reads as its low byte.
    const struct { bool interrupt; std::vector<std::pair<Uint8, int>> events; int key; } polls[] = {
        {false, {{SDL_KEYDOWN, 'a'}, {SDL_KEYDOWN, 'q'}, {SDL_QUIT, 0}}, 'q'},
        {false, {{SDL_KEYDOWN, ' '}, {SDL_KEYUP, ' '}}, 0},
        {false, {{SDL_KEYDOWN, SDLK_KP1}}, 1},
        {true, {{SDL_KEYDOWN, 'a'}}, 27},
        {false, {{SDL_KEYDOWN, 'a'}}, 'a'},
    };
    for (const auto& poll : polls) {
        if (poll.interrupt) std::raise(SIGINT);
        for (const auto& [type, sym] : poll.events) {
            SDL_Event event{};
            event.type = type;
            event.key.keysym.sym = static_cast<SDLKey>(sym);
            ASSERT_EQ(SDL_PushEvent(&event), 0);
        }
        keyboard_poll(keyboard);
        EXPECT_EQ(keyboard->buffer[0], poll.key) << "poll " << &poll - polls;
    }
}

}  // namespace

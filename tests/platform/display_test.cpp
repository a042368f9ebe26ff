// The display and the keyboard reader on SDL's dummy video driver; the display is one per process.
#include <SDL.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <vector>

#include "platform/keyboard.h"
#include "platform/platform_fixtures.h"

namespace {

void push(Uint8 type, int sym = 0) {
    SDL_Event event{};
    event.type = type;
    event.key.keysym.sym = static_cast<SDLKey>(sym);
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}

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
    EXPECT_EQ(std::memcmp(screen_pixels().data(), right.img.pixels, 256 * 256 * 4), 0);

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
    push(SDL_KEYDOWN, 'a');
    push(SDL_KEYDOWN, 'q');
    push(SDL_QUIT);  // closing the window does nothing
    keyboard_poll(keyboard);
    EXPECT_EQ(keyboard->buffer[0], 'q');

    push(SDL_KEYDOWN, ' ');
    push(SDL_KEYUP, ' ');
    keyboard_poll(keyboard);
    EXPECT_EQ(keyboard->buffer[0], 0) << "pressed and released between polls: not seen";

    push(SDL_KEYDOWN, SDLK_KP1);  // 257: its low byte
    keyboard_poll(keyboard);
    EXPECT_EQ(keyboard->buffer[0], 1);

    std::raise(SIGINT);  // caught since the display was created; Esc after the queue, once
    push(SDL_KEYDOWN, 'a');
    keyboard_poll(keyboard);
    EXPECT_EQ(keyboard->buffer[0], 27);
    push(SDL_KEYDOWN, 'a');
    keyboard_poll(keyboard);
    EXPECT_EQ(keyboard->buffer[0], 'a');
}

}  // namespace

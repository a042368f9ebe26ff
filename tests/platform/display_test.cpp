// The display and the keyboard reader on SDL's dummy video driver. The display is one per
// process: only the last test destroys it.
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
    // The screen shows exactly the frame's pixels.
    static void expect_shown(const TestFrame& frame) {
        const std::vector<uint32_t> shown = screen_pixels();
        ASSERT_EQ(shown.size(), static_cast<size_t>(frame.img.width * frame.img.height));
        EXPECT_EQ(std::memcmp(shown.data(), frame.img.pixels, shown.size() * 4), 0);
    }
    Display* display = nullptr;
    Keyboard* keyboard = nullptr;
};

TEST_F(OnDummy, CreateSetsTheFrameModeOnceAndRecordsIt) {
    EXPECT_EQ(display->width, 256);
    EXPECT_EQ(display->height, 256);
    const BackendSurfaceInfo info = backend_surface_info(display_screen);
    EXPECT_EQ(display->bits_per_pixel, info.bits_per_pixel);
    EXPECT_EQ(display_flip_mode, (info.flags & BACKEND_DOUBLEBUF) != 0 ? 1 : 0);
    char* title = nullptr;
    char* icon = nullptr;
    SDL_WM_GetCaption(&title, &icon);
    EXPECT_STREQ(title, "VORT7131");
    EXPECT_STREQ(icon, "VORT7131");
    EXPECT_EQ(std::memcmp(&display_module_id, "CODE    LINUXSDLQUILLSEN20101015SDLDPY  ", 40), 0);

    BackendSurface* screen = display_screen;
    display_o_flag = 1;
    EXPECT_EQ(display_create(), display);
    EXPECT_EQ(display_screen, screen);
    EXPECT_EQ(display_o_flag, 1) << "a second create changes nothing";
    display_o_flag = 0;
    EXPECT_EQ(keyboard_create(), keyboard);
    Display copy = *display;
    EXPECT_EQ(display_is_valid(display), display);
    EXPECT_EQ(display_is_valid(&copy), nullptr);
}

TEST_F(OnDummy, PresentTakesOnlyAFrameOfTheDisplaySizeBlitAnySize) {
    const std::vector<uint32_t> before = screen_pixels(0x00ABCDEFu);
    TestFrame narrow(255, 256, 1), low(256, 255, 2), right(256, 256, 3);
    Img no_pixels{0, 0, 256, 256, nullptr};
    Display foreign = *display;
    display_present(display, &narrow.img);
    display_present(display, &low.img);
    display_present_swap(display, &narrow.img);
    display_present(&foreign, &right.img);
    display_present(display, nullptr);
    display_present(display, &no_pixels);
    display_present_blit(display, &no_pixels);
    EXPECT_EQ(screen_pixels(), before);

    display_present(display, &right.img);
    expect_shown(right);

    TestFrame wide(300, 260, 11);  // read with the display's row length, never past its end
    display_present_blit(display, &wide.img);
    const std::vector<uint32_t> blitted = screen_pixels();
    EXPECT_EQ(blitted[1 * 256], wide.img.pixels[256]);
    EXPECT_EQ(blitted[255 * 256 + 255], wide.img.pixels[255 * 256 + 255]);
}

TEST_F(OnDummy, SetModeRefusesNegativeSizesAndChangesOtherwise) {
    BackendSurface* screen = display_screen;
    Display foreign{};
    display_set_mode(display, 256, -1);
    display_set_mode(display, -1, 256);
    display_set_mode(display, 1 << 14, 1 << 14);  // beyond the pixel limit
    display_set_mode(&foreign, 128, 128);
    EXPECT_EQ(display_screen, screen);
    EXPECT_EQ(display->height, 256);
    EXPECT_EQ(foreign.width, 0);

    display_set_mode(display, 128, 64);
    EXPECT_EQ(display->width, 128);
    TestFrame frame(128, 64, 3);
    display_present(display, &frame.img);
    expect_shown(frame);
    display_set_mode(display, 256, 256);
}

TEST_F(OnDummy, PollKeepsTheLastKeyOfTheBatch) {
    push(SDL_KEYDOWN, 'a');
    push(SDL_KEYDOWN, 'q');
    push(SDL_QUIT);  // closing the window does nothing
    keyboard_poll(keyboard);
    EXPECT_EQ(keyboard->buffer[0], 'q');
    SDL_Event left{};
    EXPECT_EQ(SDL_PollEvent(&left), 0) << "the poll drains the queue";

    push(SDL_KEYDOWN, ' ');
    push(SDL_KEYUP, ' ');
    keyboard_poll(keyboard);
    EXPECT_EQ(keyboard->buffer[0], 0) << "pressed and released between polls: not seen";

    push(SDL_KEYDOWN, SDLK_KP1);  // 257: its low byte
    keyboard_poll(keyboard);
    keyboard_poll(keyboard);
    EXPECT_EQ(keyboard->buffer[0], 1) << "clearing is the frame loop's job";
}

TEST_F(OnDummy, InterruptReadsAsEscAfterTheQueueOncePerSignal) {
    std::raise(SIGINT);  // caught since the display was created: the process lives on
    push(SDL_KEYDOWN, 'a');
    keyboard_poll(keyboard);
    EXPECT_EQ(keyboard->buffer[0], 27);
    keyboard->buffer[0] = 0;
    keyboard_poll(keyboard);
    EXPECT_EQ(keyboard->buffer[0], 0);
    std::raise(SIGTERM);
    keyboard_poll(keyboard);
    EXPECT_EQ(keyboard->buffer[0], 27);
}

// Last: nothing may use the display after this.
TEST_F(OnDummy, ZDestroyFreesOnlyTheOneReaderAndDisplay) {
    keyboard_poll(nullptr);
    keyboard_destroy(nullptr);
    Keyboard other_reader{};
    Keyboard* other = &other_reader;
    Display copy = *display;
    Display* foreign = &copy;
    keyboard_destroy(&other);
    display_destroy(&foreign);
    EXPECT_EQ(other, &other_reader);
    EXPECT_EQ(foreign, &copy);

    keyboard_destroy(&keyboard);
    display_destroy(&display);
    EXPECT_EQ(keyboard, nullptr);
    EXPECT_EQ(display, nullptr);
    EXPECT_EQ(display_screen, nullptr);
    EXPECT_EQ(keyboard_create(), nullptr) << "no reader without a display";
}

}  // namespace

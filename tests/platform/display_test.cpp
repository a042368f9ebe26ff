// The display and the keyboard reader on SDL's dummy video driver. The display is one per
// process: only the last test destroys it.
#include <SDL.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <vector>

#include "platform/backend.h"
#include "platform/display.h"
#include "platform/keyboard.h"
#include "platform/test_frames.h"

namespace {

// The screen's pixels, row by row; with colour != 0 paints them first.
std::vector<uint32_t> screen_pixels(uint32_t paint = 0) {
    const BackendSurfaceInfo info = backend_surface_info(display_screen);
    std::vector<uint32_t> out;
    if (backend_lock_surface(display_screen) != 0) return out;
    for (int32_t y = 0; y < info.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(info.pixels) + y * info.pitch);
        if (paint != 0) std::fill(row, row + info.width, paint);
        out.insert(out.end(), row, row + info.width);
    }
    backend_unlock_surface(display_screen);
    return out;
}

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
        ASSERT_NE(display, nullptr);
        ASSERT_NE(display_screen, nullptr) << display_last_error();
        keyboard = keyboard_create();
        ASSERT_NE(keyboard, nullptr);
        keyboard_poll(keyboard);  // whatever the video driver queued at start
        keyboard->buffer[0] = 0;
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

TEST_F(OnDummy, PresentCopiesOnlyAFrameOfTheDisplaySizeBlitAnySize) {
    const std::vector<uint32_t> before = screen_pixels(0x00ABCDEFu);
    TestFrame narrow(255, 256);
    TestFrame low(256, 255);
    TestFrame right(256, 256);
    narrow.fill_pattern(1);
    low.fill_pattern(2);
    right.fill_pattern(3);
    display_present(display, &narrow.img);
    display_present(display, &low.img);
    display_present_swap(display, &narrow.img);
    Display foreign = *display;
    display_present(&foreign, &right.img);
    display_present(display, nullptr);
    Img no_pixels{0, 0, 256, 256, nullptr};
    display_present(display, &no_pixels);
    display_present_blit(display, &no_pixels);
    EXPECT_EQ(screen_pixels(), before);

    display_present(display, &right.img);
    const std::vector<uint32_t> shown = screen_pixels();
    ASSERT_EQ(shown.size(), 256u * 256u);
    EXPECT_EQ(std::memcmp(shown.data(), right.img.pixels, shown.size() * 4), 0);

    const void* own = backend_surface_info(display_screen).pixels;
    display_present_swap(display, &right.img);
    EXPECT_EQ(backend_surface_info(display_screen).pixels, own) << "the lent pixels are given back";

    TestFrame small(100, 40);  // the blit takes any size: the overlap is shown
    small.fill_pattern(9);
    screen_pixels(0x00111111u);
    display_present_blit(display, &small.img);
    std::vector<uint32_t> blitted = screen_pixels();
    EXPECT_EQ(blitted[39 * 256 + 99], small.at(99, 39));
    EXPECT_EQ(blitted[39 * 256 + 100], 0x00111111u);
    EXPECT_EQ(blitted[40 * 256], 0x00111111u);
    TestFrame wide(300, 260);  // read with the display's row length, never past its end
    wide.fill_pattern(11);
    display_present_blit(display, &wide.img);
    blitted = screen_pixels();
    EXPECT_EQ(blitted[1 * 256], wide.img.pixels[256]);
    EXPECT_EQ(blitted[255 * 256 + 255], wide.img.pixels[255 * 256 + 255]);
}

TEST_F(OnDummy, SetModeRefusesNegativeSizesAndChangesOtherwise) {
    BackendSurface* screen = display_screen;
    display_set_mode(display, 256, -1);
    display_set_mode(display, -1, 256);
    display_set_mode(display, 1 << 14, 1 << 14);  // beyond the pixel limit
    Display foreign{};
    display_set_mode(&foreign, 128, 128);
    EXPECT_EQ(display_screen, screen);
    EXPECT_EQ(display->height, 256);
    EXPECT_EQ(foreign.width, 0);

    display_set_mode(display, 128, 64);
    EXPECT_EQ(display->width, 128);
    EXPECT_EQ(backend_surface_info(display_screen).height, 64);
    TestFrame frame(128, 64);
    frame.fill_pattern(3);
    display_present(display, &frame.img);
    const std::vector<uint32_t> shown = screen_pixels();
    ASSERT_EQ(shown.size(), 128u * 64u);
    EXPECT_EQ(std::memcmp(shown.data(), frame.img.pixels, shown.size() * 4), 0);
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
    EXPECT_EQ(keyboard->buffer[0], 1);
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
    keyboard_destroy(&other);
    Display copy = *display;
    Display* foreign = &copy;
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

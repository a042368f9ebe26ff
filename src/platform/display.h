#pragma once
// SDLDPY: the one window (or full screen) and the presentation of finished 32-bit frames.
// A singleton: a second display_create returns the first display. Failures do nothing more
// and print "SDLDPY error" only when display_debug is set.
#include <cstdint>

#include "common/module_id.h"
#include "image/img.h"

struct BackendSurface;

struct Display {
    int32_t width;           // pixels of the video mode; 0 after a failed mode set
    int32_t height;          // rows of the video mode
    int32_t bits_per_pixel;  // of the screen surface, as the machine reports it
};
static_assert(sizeof(Display) == 12, "width, height, bits per pixel");

// Video flags of the two programs: hardware surface, asynchronous blit, any format; full
// screen adds SDL's full-screen bit. Nothing else differs between demo and demo_fs.
constexpr uint32_t DISPLAY_WINDOWED = 0x10000005u;
constexpr uint32_t DISPLAY_FULLSCREEN = 0x90000005u;
constexpr int32_t DISPLAY_SCALE_MAX = 16;  // the largest display_scale: 16 x 256 = 4096 pixels

// Module state (zero at start, but for the requested flags).
extern uint32_t display_video_flags;    // what display_create asks for; DISPLAY_WINDOWED unless set before
extern int32_t display_scale;           // pixels per frame pixel on the screen, set before display_create; 0: default
extern BackendSurface* display_screen;  // the screen surface, owned; null before a mode is set
extern Display* display_the_display;    // the one display, owned; null when none exists
extern uint32_t display_flags;          // video flags in use, copied by display_create
extern uint8_t display_flip_mode;       // 1 when the screen is double-buffered: present flips
extern uint8_t display_o_flag;          // toggled by the demo's `o` key; nothing reads it
extern uint8_t display_debug;           // 0: silent (nothing in the program sets it)
extern const ModuleId display_module_id;

constexpr int32_t DISPLAY_WIDTH = 256;   // the mode display_create asks for
constexpr int32_t DISPLAY_HEIGHT = 256;
constexpr const char* DISPLAY_CAPTION = "VORT7131";
constexpr const char* DISPLAY_WINDOW_CLASS = "vort7131";  // what desktops match the window by

// The window's icon: side x side pixels 0xAARRGGBB, straight alpha. Borrowed; set before
// display_create, which hands it on (argb null: no icon).
struct DisplayIcon {
    const uint32_t* argb;
    int32_t side;  // 1..DISPLAY_ICON_MAX
};
constexpr int32_t DISPLAY_ICON_MAX = 128;
extern DisplayIcon display_icon;

Display* display_create();                                              // mode 256 x 256; the existing one if any
void display_set_mode(Display* display, int32_t width, int32_t height);  // negative sizes: refused
void display_present(Display* display, const Img* image);       // copy; image must be the display's size
void display_present_blit(Display* display, const Img* image);  // convert and blit; any size, any depth
void display_present_swap(Display* display, const Img* image);  // lend the image's pixels to the screen
void display_destroy(Display** display);                        // frees the one display, *display = null
Display* display_is_valid(const Display* display);              // display when it is the one display, else null
void display_report();                                          // "SDLDPY error" when display_debug is set
const char* display_last_error();  // the machine's reason for the last failed mode set; never null

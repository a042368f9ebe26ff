#pragma once
// Start-up's one failure path. Start-up builds every object once; anything it cannot build
// ends the program here with one line on standard error, "VORT7131: cannot start: WHAT:
// WHY", and exit status 1, instead of playing on with a missing object. The makers below
// build through it, so they never return null. Only a sound device that will not open is
// tolerated (the show runs silent).
#include <cstdint>

#include "image/font.h"
#include "image/img.h"

[[noreturn]] void demo_fail(const char* what, const char* why);  // the one line, then exit 1

// A create's result, or the end of start-up when it is null (out of memory).
template <typename T>
T* demo_made(T* object, const char* what) {
    if (object == nullptr) demo_fail(what, "out of memory");
    return object;
}
void demo_check(bool done, const char* what);  // a step that reports by its result: false ends start-up

Img* demo_picture(const unsigned char* block, int32_t size, const char* name);  // a built-in PNM block, decoded
Img* demo_image(int32_t width, int32_t height);                                 // a new all-0 image of exactly that size
Img* demo_fitted_picture(const unsigned char* block, int32_t size, const char* name, int32_t width,
                         int32_t height);                                       // decoded, scaled to width x height
Font* demo_font(Img* sheet, int32_t cell_width, int32_t cell_height);           // a font owning sheet

#include "demo/failure.h"

#include <cstdio>
#include <cstdlib>

void demo_fail(const char* what, const char* why) {
    std::fprintf(stderr, "VORT7131: cannot start: %s: %s\n", what, why);
    std::exit(1);
}

void demo_check(bool done, const char* what) {
    if (!done) demo_fail(what, "out of memory");
}

Img* demo_picture(const unsigned char* block, int32_t size, const char* name) {
    Img* img = img_load_pnm_sized(block, static_cast<size_t>(size));
    if (img == nullptr) demo_fail(name, "the built-in picture does not decode");
    return img;
}

Img* demo_image(int32_t width, int32_t height) {
    Img* img = demo_made(img_create(), "image");
    img_resize(img, width, height);
    // A refused size keeps the 16 x 16 the image was created with: not what was asked for.
    if (img->width != width || img->height != height) {
        char what[64];
        std::snprintf(what, sizeof what, "image of %d x %d", width, height);
        demo_fail(what, "out of memory or too large");
    }
    return img;
}

Img* demo_fitted_picture(const unsigned char* block, int32_t size, const char* name, int32_t width, int32_t height) {
    Img* decoded = demo_picture(block, size, name);
    Img* fitted = demo_image(width, height);
    img_scale(decoded, fitted);
    img_destroy(&decoded);
    return fitted;
}

Font* demo_font(Img* sheet, int32_t cell_width, int32_t cell_height) {
    Font* font = demo_made(font_create(), "font");
    font->sheet = sheet;
    font->cell_width = cell_width;
    font->cell_height = cell_height;
    return font;
}

// Builds a small image from the input (width and height 0..16, then four bytes a pixel) and
// sends it out and back: through a P6 file (img_write_p6, img_load_file) and through the
// "IMG{" text (img_to_text, img_from_text). Both forms carry 8 bits a channel, so "the same
// values" means the same width and height and every pixel's low 24 bits (pixel & 0xFFFFFF):
// bits 24..31 are not written, and the readers give them as 0. An empty image cannot be
// written as P6 (the writer fails) and its text is "IMG{}", which the reader refuses.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz_support.h"
#include "image/img.h"

namespace {

constexpr uint8_t SIDE_CHOICES = 17;  // sides 0..16
constexpr uint32_t RGB = 0x00FFFFFFu;

void expect_same(const Img* back, const Img* img, const char* form) {
    if (back == nullptr || back->width != img->width || back->height != img->height) fuzz_fail(form);
    const size_t count = static_cast<size_t>(img->width) * static_cast<size_t>(img->height);
    for (size_t i = 0; i < count; ++i) {
        if (back->pixels[i] != (img->pixels[i] & RGB)) fuzz_fail(form);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzBytes in{data, size, 0};
    const int32_t width = in.byte() % SIDE_CHOICES;
    const int32_t height = in.byte() % SIDE_CHOICES;
    Img* img = img_create();
    if (img == nullptr) return 0;
    img_resize(img, width, height);
    fuzz_check(img->width == width && img->height == height, "img_resize to a small size");
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < count; ++i) img->pixels[i] = in.word();

    const char* path = fuzz_scratch_path();
    if (path != nullptr) {
        const int written = img_write_p6(img, path);
        if (count == 0) {
            fuzz_check(written == 0, "an empty image written as P6");
        } else {
            fuzz_check(written == 1, "img_write_p6 failed");
            Img* back = img_load_file(path);
            expect_same(back, img, "image -> P6 file -> image");
            img_destroy(&back);
        }
    }

    char* text = img_to_text(img);
    fuzz_check(text != nullptr, "img_to_text failed");
    Img* back = img_from_text(text);
    if (count == 0) {
        fuzz_check(std::strcmp(text, "IMG{}") == 0, "the text of an empty image");
        fuzz_check(back == nullptr, "an image read back from \"IMG{}\"");
    } else {
        expect_same(back, img, "image -> text -> image");
    }
    img_destroy(&back);
    std::free(text);
    img_destroy(&img);
    return 0;
}

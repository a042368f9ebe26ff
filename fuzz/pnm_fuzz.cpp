// Feeds arbitrary bytes to the PNM block decoder (with its length) and, as a NUL-terminated
// string, to the "IMG{" text reader. Any image that comes back must be whole and consistent.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "common/limits.h"
#include "image/img.h"

namespace {

volatile uint32_t pixel_sum;  // where the touched pixels go, so the reads are kept

void check(Img* img) {
    if (img == nullptr) return;
    if (!size_ok(img->width, img->height) || img->pixels == nullptr) std::abort();
    // Touch both ends so a short buffer shows up under the address checker (the text form
    // makes pictures of millions of pixels from a few bytes: walking them all costs seconds).
    const size_t count = static_cast<size_t>(img->width) * static_cast<size_t>(img->height);
    if (count != 0) pixel_sum = img->pixels[0] + img->pixels[count - 1];
    img_destroy(&img);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    check(img_load_pnm_sized(data, size));
    char* text = static_cast<char*>(std::calloc(size + 1, 1));
    if (text == nullptr) return 0;
    if (size != 0) std::memcpy(text, data, size);
    check(img_from_text(text));
    std::free(text);
    return 0;
}

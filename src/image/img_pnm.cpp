// IMG: PNM readers and writers and the bracketed "IMG{" text form, shared with the byte map
// (family.h over the decoder of pnm.h); this file adds the checks' error line.
#include <cstdint>

#include "image/family.h"
#include "image/img.h"
#include "image/img_internal.h"

namespace {

constexpr size_t FILE_LIMIT = size_t{1} << 31;  // larger files cannot hold a picture we accept

Img* reported(Img* img) {
    if (img == nullptr) img_report();
    return img;
}

}  // namespace

Img* img_load_pnm_sized(const unsigned char* data, size_t size) { return reported(record_load_pnm<Img>(data, size)); }

Img* img_load_pnm(const unsigned char* block) {
    // A built-in block carries no length: its header is trusted to match its data.
    return img_load_pnm_sized(block, static_cast<size_t>(PTRDIFF_MAX));
}

Img* img_load_file(const char* path) { return reported(record_load_file<Img>(path, FILE_LIMIT)); }

int img_write_p6(const Img* img, const char* path) {
    if (record_write_binary(img, path)) return 1;
    img_report();
    return 0;
}

char* img_to_text(const Img* img) {
    char* text = record_to_text(img);
    if (text == nullptr) img_report();
    return text;
}

Img* img_from_text(const char* text) { return reported(record_from_text<Img>(text)); }

// Feeds arbitrary bytes to the byte map's PNM block reader (with its length) and, as a
// NUL-terminated string, to its "BYTEMAP{" text reader. Each must succeed exactly when the
// decoder does, at its size, holding the one-byte reduction of the decoded samples; the
// block reader must also agree with the image's block reader on success and size.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "image/bytemap.h"
#include "image/img.h"

namespace {

// The map against what the decoder reported; a picture too large to record is only checked
// for being whole.
void compare(const Bytemap* map, bool decoded, const PnmRecord& record, const char* reader) {
    if (record.too_big) {
        if (map != nullptr && (map->cells == nullptr || int64_t{map->width} * map->height <= record.limit))
            fuzz_fail(reader);
        return;
    }
    if ((map != nullptr) != decoded) fuzz_fail(reader);
    if (map == nullptr) return;
    if (map->width != record.width || map->height != record.height) fuzz_fail(reader);
    const size_t count = static_cast<size_t>(map->width) * static_cast<size_t>(map->height);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t want = fuzz_bytemap_cell(record.type, record.rgb[3 * i], record.rgb[3 * i + 1], record.rgb[3 * i + 2]);
        if (map->cells[i] != want) fuzz_fail(reader);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Bytemap* map = bytemap_load_pnm_sized(data, size);
    PnmRecord block;
    block.limit = static_cast<int64_t>(size) * 8 + 8;  // a block holds at least a bit a pixel
    compare(map, pnm_decode(data, size, PnmRules::block, block.sink()), block, "byte map block reader");
    Img* img = img_load_pnm_sized(data, size);
    fuzz_check((img != nullptr) == (map != nullptr), "byte map and image block readers disagree on success");
    if (img != nullptr) fuzz_check(img->width == map->width && img->height == map->height, "block sizes differ");
    img_destroy(&img);
    bytemap_destroy(&map);

    const FuzzText text(data, size);
    if (text.get() == nullptr) return 0;
    map = bytemap_from_text(text.get());
    PnmRecord parsed;
    compare(map, pnm_decode_text(text.get(), "BYTEMAP", parsed.sink()), parsed, "byte map text reader");
    bytemap_destroy(&map);
    return 0;
}

// Feeds arbitrary bytes as a file to both PNM file readers (the file rules: widths not
// rounded, P4 rows padded to whole bytes, P1 whole numbers). Both must accept exactly what
// the decoder accepts under those rules, at its size, and hold the values it decoded: the
// image r << 16 | g << 8 | b, the byte map its one-byte reduction of them.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "image/bytemap.h"
#include "image/img.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* path = fuzz_scratch_write(data, size);
    if (path == nullptr) return 0;
    Img* img = img_load_file(path);
    Bytemap* map = bytemap_load_file(path);

    PnmRecord record;
    record.limit = static_cast<int64_t>(size) * 8 + 8;  // a file holds at least a bit a pixel
    const bool decoded = pnm_decode(data, size, PnmRules::file, record.sink());
    fuzz_check(!record.too_big, "a file picture larger than its bytes allow");
    fuzz_check((img != nullptr) == decoded, "the image file reader and the decoder disagree on success");
    fuzz_check((map != nullptr) == decoded, "the byte map file reader and the decoder disagree on success");
    if (decoded) {
        fuzz_check(img->width == record.width && img->height == record.height, "image size");
        fuzz_check(map->width == record.width && map->height == record.height, "byte map size");
        const size_t count = static_cast<size_t>(record.width) * static_cast<size_t>(record.height);
        for (size_t i = 0; i < count; ++i) {
            const uint32_t r = record.rgb[3 * i], g = record.rgb[3 * i + 1], b = record.rgb[3 * i + 2];
            fuzz_check(img->pixels[i] == ((r << 16) | (g << 8) | b), "image pixel");
            fuzz_check(map->cells[i] == fuzz_bytemap_cell(record.type, r, g, b), "byte map cell");
        }
    }
    img_destroy(&img);
    bytemap_destroy(&map);
    return 0;
}

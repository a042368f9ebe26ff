// Feeds arbitrary bytes as a file to both PNM file readers (the file rules: widths not
// rounded, P4 rows padded to whole bytes, P1 whole numbers). Both must accept exactly what
// the decoder accepts under those rules, at its size, and hold the values it decoded: the
// image r << 16 | g << 8 | b, the byte map its one-byte reduction of them.
// When the input starts with its magic (so the header ends on a number and both rules start
// the data at the same byte), the file image also answers to the block reader: the same
// picture for P2, P3, P5 and P6; for P4 the block's picture, whose width is rounded up to
// whole bytes and whose bits run on, holds the file's padded rows in its first columns.
#include <cstddef>
#include <cstdint>

#include "common/limits.h"
#include "fuzz_support.h"
#include "image/bytemap.h"
#include "image/img.h"

namespace {

void compare_with_block(const Img* file, const uint8_t* data, size_t size) {
    if (size < 2 || data[0] != 'P' || data[1] < '2' || data[1] > '6') return;  // P1 digits differ
    Img* block = img_load_pnm_sized(data, size);
    if (data[1] != '4') {
        fuzz_check((block == nullptr) == (file == nullptr) && (block == nullptr || img_equal(block, file) == 1),
                   "file and block readers differ on a P2/P3/P5/P6 input");
    } else if (file == nullptr) {
        fuzz_check(block == nullptr, "the block reader takes a P4 input the file reader refuses");
    } else {
        const int32_t rounded = (file->width + 7) & ~7;
        if (int64_t{rounded} * file->height <= MAX_PIXELS) {
            fuzz_check(block != nullptr && block->width == rounded && block->height == file->height,
                       "P4: the block reader's rounded size");
            for (int32_t y = 0; y < file->height; ++y)
                for (int32_t x = 0; x < file->width; ++x)
                    fuzz_check(img_get_pixel(file, x, y) == img_get_pixel(block, x, y), "P4: padded file rows");
        }
    }
    img_destroy(&block);
}

}  // namespace

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
    compare_with_block(img, data, size);
    img_destroy(&img);
    bytemap_destroy(&map);
    return 0;
}

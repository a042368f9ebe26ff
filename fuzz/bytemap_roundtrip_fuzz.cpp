// Builds a small byte map from the input (width and height 0..16, then one byte a cell) and
// sends it out and back:
// - through a P5 file (bytemap_write_p5, bytemap_load_file): lossless, the same width,
//   height and every cell;
// - through the "BYTEMAP{" text (bytemap_to_text, bytemap_from_text): the writer puts a cell
//   v as the colour 0 0 v and the reader averages colour samples, so what comes back is the
//   same width and height with every cell v / 3 (integer division), not v.
// An empty map cannot be written as P5 (the writer fails) and its text is "BYTEMAP{}",
// which the reader refuses.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz_support.h"
#include "image/bytemap.h"

namespace {

constexpr uint8_t SIDE_CHOICES = 17;  // sides 0..16
constexpr uint8_t TEXT_DIVISOR = 3;   // (0 + 0 + v) / 3

void expect_cells(const Bytemap* back, const Bytemap* map, uint8_t divisor, const char* form) {
    if (back == nullptr || back->width != map->width || back->height != map->height) fuzz_fail(form);
    const size_t count = static_cast<size_t>(map->width) * static_cast<size_t>(map->height);
    for (size_t i = 0; i < count; ++i) {
        if (back->cells[i] != map->cells[i] / divisor) fuzz_fail(form);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzBytes in{data, size, 0};
    const int32_t width = in.byte() % SIDE_CHOICES;
    const int32_t height = in.byte() % SIDE_CHOICES;
    Bytemap* map = bytemap_create();
    if (map == nullptr) return 0;
    bytemap_resize(map, width, height);
    fuzz_check(map->width == width && map->height == height, "bytemap_resize to a small size");
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < count; ++i) map->cells[i] = in.byte();

    const char* path = fuzz_scratch_path();
    if (path != nullptr) {
        const int written = bytemap_write_p5(map, path);
        if (count == 0) {
            fuzz_check(written == 0, "an empty byte map written as P5");
        } else {
            fuzz_check(written == 1, "bytemap_write_p5 failed");
            Bytemap* back = bytemap_load_file(path);
            expect_cells(back, map, 1, "byte map -> P5 file -> byte map");
            bytemap_destroy(&back);
        }
    }

    char* text = bytemap_to_text(map);
    fuzz_check(text != nullptr, "bytemap_to_text failed");
    Bytemap* back = bytemap_from_text(text);
    if (count == 0) {
        fuzz_check(std::strcmp(text, "BYTEMAP{}") == 0, "the text of an empty byte map");
        fuzz_check(back == nullptr, "a byte map read back from \"BYTEMAP{}\"");
    } else {
        expect_cells(back, map, TEXT_DIVISOR, "byte map -> text -> byte map");
    }
    bytemap_destroy(&back);
    std::free(text);
    bytemap_destroy(&map);
    return 0;
}

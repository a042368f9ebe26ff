// BYTEMAP: what only the byte map has: its first buffer, the constant add, rendering through
// a palette and line points. What it shares with IMG is checked in grid_test and pnm_test.
#include "image/bytemap.h"

#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "image/image_fixtures.h"
#include "sound/sample.h"

TEST(Bytemap, FirstBufferAddRenderThroughAPaletteAndLinePoints) {
    Bytemap* map = bytemap_create();
    std::memset(map->cells, 7, 1024);  // a new map's 256 cells sit on 1024 bytes, an image's
    bytemap_resize(map, 2, 2);
    const uint8_t cells[] = {250, 246, 245, 118};
    std::memcpy(map->cells, cells, 4);
    bytemap_add(map, 10);  // modulo 256: 4, 0, 255, 128
    Sample palette{256, 256, static_cast<int32_t*>(std::calloc(256, sizeof(int32_t)))};
    for (int i = 0; i < 256; ++i) palette.buffer[i] = i * 0x010203;
    uint32_t pixels[6] = {9, 9, 9, 9, 9, 9};
    Img image{0, 0, 2, 3, pixels}, short_image{0, 0, 2, 1, pixels}, other_width{0, 0, 3, 2, pixels};
    bytemap_render(map, &image, &palette);
    EXPECT_EQ(std::vector<uint32_t>(pixels, pixels + 6),
              (std::vector<uint32_t>{4 * 0x010203, 0, 255 * 0x010203, 128 * 0x010203, 9, 9}));
    Sample short_palette{255, 256, palette.buffer};
    for (auto [to, with] : {std::pair{&short_image, &palette}, {&other_width, &palette}, {&image, &short_palette}})
        EXPECT_EQ(printed([&] { bytemap_render(map, to, with); }, bytemap_debug), "BYTEMAP error\n");
    std::free(palette.buffer);
    bytemap_destroy(&map);

    int32_t* steep = bytemap_line_points(0, 0, 1, 4);  // the tie at y = 2 stays on the starting column
    EXPECT_EQ((std::vector<int32_t>(steep, steep + 11)), (std::vector<int32_t>{10, 0, 0, 0, 1, 0, 2, 1, 3, 1, 4}));
    std::free(steep);
    int32_t* back = bytemap_line_points(5, 2, -1, 2);  // reversed: walks from the first point
    EXPECT_EQ((std::vector<int32_t>{back[0], back[1], back[13]}), (std::vector<int32_t>{14, 5, -1}));
    std::free(back);
    EXPECT_EQ(printed([] { EXPECT_EQ(bytemap_line_points(INT32_MIN, 0, INT32_MAX, 0), nullptr); }, bytemap_debug),
              "BYTEMAP error\n");
}

// PNM decoding shared by IMG and BYTEMAP: what the decoder hands its sink.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "image/bytemap.h"
#include "image/img.h"
#include "image/pnm.h"

namespace {

struct Calls {
    int32_t width = -1;
    int32_t height = -1;
    std::vector<uint32_t> pixels;  // r, g, b of each call, in call order
    std::vector<int64_t> indices;

    PnmSink sink() { return PnmSink{begin, pixel, this}; }
    static bool begin(void* context, int, int32_t width, int32_t height) {
        static_cast<Calls*>(context)->width = width;
        static_cast<Calls*>(context)->height = height;
        return true;
    }
    static void pixel(void* context, int64_t index, int, uint32_t r, uint32_t g, uint32_t b) {
        auto* self = static_cast<Calls*>(context);
        self->indices.push_back(index);
        self->pixels.insert(self->pixels.end(), {r, g, b});
    }
};

}  // namespace

// A short text that promises a huge picture: the samples it holds are passed, then nothing,
// where it once walked every one of the promised pixels (found by fuzzing the text reader).
TEST(PnmText, StopsAtTheTextsEnd) {
    const char* const text = "IMG{\nP3\n1 100000 3\n  x 7 8 9 1";
    Calls calls;
    ASSERT_TRUE(pnm_decode_text(text, "IMG", calls.sink()));
    EXPECT_EQ(calls.width, 1);
    EXPECT_EQ(calls.height, 100000);
    EXPECT_EQ(calls.indices, (std::vector<int64_t>{0, 1}));
    EXPECT_EQ(calls.pixels, (std::vector<uint32_t>{7, 8, 9, 1, 0, 0}));

    // Trailing non-digits still make one last pixel of zeros, then the end stops it.
    Calls trailing;
    ASSERT_TRUE(pnm_decode_text("BYTEMAP{\nP3\n4 4\n255\n5 6 7 \n}\n", "BYTEMAP", trailing.sink()));
    EXPECT_EQ(trailing.indices, (std::vector<int64_t>{0, 1}));
}

// The readers still give the whole promised size, the pixels past the text all 0.
TEST(PnmText, PixelsPastTheEndAreZero) {
    Img* img = img_from_text("IMG{\nP3\n300 200\n255\n1 2 3 4");
    ASSERT_NE(img, nullptr);
    ASSERT_EQ(img->width * 1000 + img->height, 300 * 1000 + 200);
    EXPECT_EQ(img->pixels[0], 0x010203u);
    EXPECT_EQ(img->pixels[1], 0x040000u);
    int nonzero = 0;
    for (int32_t i = 2; i < 300 * 200; ++i) nonzero += img->pixels[i] != 0;
    EXPECT_EQ(nonzero, 0);
    img_destroy(&img);

    Bytemap* map = bytemap_from_text("BYTEMAP{\nP3\n5 3\n255\n0 0 90");
    ASSERT_NE(map, nullptr);
    ASSERT_EQ(map->width * 1000 + map->height, 5 * 1000 + 3);
    EXPECT_EQ(std::vector<uint8_t>(map->cells, map->cells + 15),
              (std::vector<uint8_t>{30, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    bytemap_destroy(&map);
}

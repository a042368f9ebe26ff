// IMG: the PNM block decoder, the file reader and writer, and the "IMG{" text form.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "image/img.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes bytes(const std::string& header, std::initializer_list<int> data = {}) {
    Bytes b(header.begin(), header.end());
    for (const int v : data) b.push_back(static_cast<unsigned char>(v));
    return b;
}

// Decodes from a heap copy of exactly the given length, so any read past it is caught.
Img* load(const Bytes& b) {
    unsigned char* exact = static_cast<unsigned char*>(std::malloc(b.empty() ? 1 : b.size()));
    if (!b.empty()) std::memcpy(exact, b.data(), b.size());
    Img* img = img_load_pnm_sized(exact, b.size());
    std::free(exact);
    return img;
}

std::string temp_path(const char* name) {
    return std::string("/tmp/img_pnm_test_") + std::to_string(getpid()) + "_" + name;
}

void write_file(const std::string& path, const Bytes& b) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    if (!b.empty()) {
        ASSERT_EQ(std::fwrite(b.data(), 1, b.size(), f), b.size());
    }
    std::fclose(f);
}

const char* const COMMENTS = "# made by us 2010\n# rights\n# mail\n# web\n";

}  // namespace

TEST(ImgPnmBlock, BitmapAndColourTypes) {
    // P4: width 12 rounds up to 16, set bits white.
    Img* img = load(bytes("P4\n# one comment\n12 2\n", {0xF0, 0x0F, 0xAA, 0xAA}));
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->width, 16);
    EXPECT_EQ(img->height, 2);
    for (int x = 0; x < 16; ++x) {
        EXPECT_EQ(img->pixels[x], (x < 4 || x >= 12) ? 0xFFFFFFu : 0u) << x;
        EXPECT_EQ(img->pixels[16 + x], x % 2 == 0 ? 0xFFFFFFu : 0u) << x;
    }
    img_destroy(&img);

    // P6 whose first data byte looks like whitespace.
    img = load(bytes(std::string("P6\n") + COMMENTS + "1 1\n255\n", {0x0A, 0x20, 0x30}));
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->pixels[0], 0x000A2030u);
    img_destroy(&img);

    // The program's layout decodes the same with comments moved between width and height.
    const Bytes plain = bytes("P6\n2 1\n255\n", {1, 2, 3, 0xFF, 0x80, 0});
    const Bytes commented = bytes("P6\n# a\n2\n# b\n# c\n1 # d\n255\n", {1, 2, 3, 0xFF, 0x80, 0});
    Img* a = load(plain);
    Img* b = load(commented);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(img_equal(a, b), 1);
    EXPECT_EQ(a->pixels[1], 0x00FF8000u);
    img_destroy(&a);
    img_destroy(&b);

    img = load(bytes("P5 3 1 255\n", {0, 0x7F, 0xFF}));  // grey
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->pixels[1], 0x7F7F7Fu);
    EXPECT_EQ(img->pixels[2], 0xFFFFFFu);
    img_destroy(&img);
}

TEST(ImgPnmBlock, AsciiTypes) {
    Img* img = load(bytes("P3\n2 1\n255\n1 256 3\n  x 0 0 70000"));  // samples not limited to 8 bits
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->pixels[0], (1u << 16) | (256u << 8) | 3u);
    EXPECT_NE(img->pixels[0] & 0x10000u, 0u);  // green 256 reaches the lowest red bit
    EXPECT_EQ(img->pixels[1], 70000u);
    img_destroy(&img);
    img = load(bytes("P2 2 1 255 5 300"));
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->pixels[0], 0x050505u);
    EXPECT_EQ(img->pixels[1], (300u << 16) | (300u << 8) | 300u);
    img_destroy(&img);
    // P1 block: one digit character a pixel, width rounded to 8 (padding pixels read too).
    img = load(bytes("P1 3 1\n1 0 7 00000"));
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->width, 8);
    EXPECT_EQ(img->pixels[0], 0xFFFFFFu);
    EXPECT_EQ(img->pixels[1], 0u);
    EXPECT_EQ(img->pixels[2], 0xFFFFFFu);
    img_destroy(&img);
    EXPECT_EQ(load(bytes("P3\n1 1\n255\n1 2 99999999999")), nullptr);  // a sample past 32 bits
}

TEST(ImgPnmBlock, BadHeadersFail) {
    const Bytes bad[] = {
        bytes("P7\n1 1\n255\n", {0, 0, 0}),  bytes("P0\n1 1\n255\n", {0, 0, 0}),
        bytes("P6\n0 1\n255\n"),             bytes("P6\n1 0\n255\n"),
        bytes("P4\n0 4\n"),                  bytes("Q6\n1 1\n255\n", {0, 0, 0}),
        bytes("P6\n1 x 1\n255\n", {0, 0, 0}), bytes("P6 P6\n1 1\n255\n", {0, 0, 0}),
        bytes("P6\n100000 100000\n255\n"),   bytes("P6\n99999999999 1\n255\n"),
        bytes("P6\n2147483648 1\n255\n"),    bytes("P4\n2147483647 1\n"),
        bytes("P5\n8193 8192\n255\n"),       bytes(""),
        bytes("P"),                          bytes("# only a comment"),
    };
    img_debug = 1;
    for (const Bytes& b : bad) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(load(b), nullptr) << std::string(b.begin(), b.end());
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "IMG error\n");
    }
    testing::internal::CaptureStdout();
    EXPECT_EQ(img_load_pnm(nullptr), nullptr);
    EXPECT_EQ(img_load_pnm_sized(nullptr, 5), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "IMG error\nIMG error\n");
    img_debug = 0;
}

TEST(ImgPnmBlock, EveryTruncationFailsInsideTheInput) {
    const Bytes full[] = {
        bytes(std::string("P6\n") + COMMENTS + "2 2\n255\n", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}),
        bytes("P4\n12 2\n", {0xF0, 0x0F, 0xAA, 0xAA}),
        bytes("P3\n2 1\n255\n1 2 3 4 5 6"),
        bytes("P1\n8 1\n10101010"),
    };
    for (const Bytes& b : full) {
        Img* whole = load(b);
        ASSERT_NE(whole, nullptr);
        img_destroy(&whole);
        for (size_t n = 0; n < b.size(); ++n) {
            EXPECT_EQ(load(Bytes(b.begin(), b.begin() + static_cast<ptrdiff_t>(n))), nullptr) << n;
        }
    }
    // The trusted entry decodes a well-formed block without being told its length.
    const Bytes block = bytes("P6\n1 1\n255\n", {9, 8, 7});
    Img* img = img_load_pnm(block.data());
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->pixels[0], 0x090807u);
    img_destroy(&img);
}

TEST(ImgPnmFile, WriterAndReaderRoundTrip) {
    Img* img = img_create();
    img_resize(img, 5, 3);
    for (int i = 0; i < 15; ++i) img->pixels[i] = static_cast<uint32_t>(i * 0x0A1B2C) & 0xFFFFFF;
    img->pixels[0] = 0xFF0A0D20;  // top byte is not written; whitespace-like bytes are data
    const std::string path = temp_path("round.ppm");
    ASSERT_EQ(img_write_p6(img, path.c_str()), 1);
    Img* back = img_load_file(path.c_str());
    ASSERT_NE(back, nullptr);
    img->pixels[0] &= 0xFFFFFF;
    EXPECT_EQ(img_equal(img, back), 1);
    img_destroy(&back);

    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    char header[16] = {};
    ASSERT_EQ(std::fread(header, 1, 11, f), 11u);
    std::fclose(f);
    EXPECT_STREQ(header, "P6\n5 3\n255\n");

    // A truncated file fails whole, at every length.
    f = std::fopen(path.c_str(), "rb");
    Bytes content(11 + 45);
    ASSERT_EQ(std::fread(content.data(), 1, content.size(), f), content.size());
    std::fclose(f);
    for (size_t n = 0; n < content.size(); n += 3) {
        write_file(path, Bytes(content.begin(), content.begin() + static_cast<ptrdiff_t>(n)));
        EXPECT_EQ(img_load_file(path.c_str()), nullptr) << n;
    }
    std::remove(path.c_str());

    EXPECT_EQ(img_load_file(path.c_str()), nullptr);  // gone
    EXPECT_EQ(img_load_file(nullptr), nullptr);
    EXPECT_EQ(img_write_p6(img, nullptr), 0);
    EXPECT_EQ(img_write_p6(img, "/nonexistent-dir/x.ppm"), 0);
    EXPECT_EQ(img_write_p6(nullptr, path.c_str()), 0);
    img_resize(img, 0, 3);
    EXPECT_EQ(img_write_p6(img, path.c_str()), 0);
    img_destroy(&img);
}

TEST(ImgPnmFile, BitmapRulesDifferFromBlocks) {
    const std::string path = temp_path("bits.pbm");
    // P4 file: width kept at 10, each row padded to two bytes.
    write_file(path, bytes("P4\n10 2\n", {0xFF, 0xC0, 0x80, 0x40}));
    Img* img = img_load_file(path.c_str());
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->width, 10);
    for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(img->pixels[x], 0xFFFFFFu) << x;
        EXPECT_EQ(img->pixels[10 + x], (x == 0 || x == 9) ? 0xFFFFFFu : 0u) << x;
    }
    img_destroy(&img);
    // P1 file: whole numbers, any non-zero one set.
    write_file(path, bytes("P1\n3 1\n0 12 00\n"));
    img = img_load_file(path.c_str());
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->width, 3);
    EXPECT_EQ(img->pixels[0], 0u);
    EXPECT_EQ(img->pixels[1], 0xFFFFFFu);
    EXPECT_EQ(img->pixels[2], 0u);
    img_destroy(&img);
    write_file(path, bytes("P1\n3 1\n0 12"));  // a pixel short
    EXPECT_EQ(img_load_file(path.c_str()), nullptr);
    std::remove(path.c_str());
}

TEST(ImgPnmText, LayoutAndEmpty) {
    Img* img = img_create();
    img_resize(img, 2, 1);
    img->pixels[0] = 0x00FF8000;
    img->pixels[1] = 0x00000001;
    char* text = img_to_text(img);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "IMG{\nP3\n2 1\n255\n255 128   0   0   0   1\n}\n");
    std::free(text);

    img_resize(img, 7, 1);  // a line break after the sixth pixel
    img->pixels[6] = 0x0A0B0C;
    text = img_to_text(img);
    ASSERT_NE(text, nullptr);
    const std::string zeros6 = "  0   0   0   0   0   0   0   0   0   0   0   0   0   0   0   0   0   0";
    EXPECT_EQ(std::string(text), "IMG{\nP3\n7 1\n255\n" + zeros6 + "\n 10  11  12\n}\n");
    EXPECT_LE(std::strlen(text) + 1, static_cast<size_t>(12 * 7 + 7 / 6 + 29));
    std::free(text);

    img_resize(img, 0, 0);
    text = img_to_text(img);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "IMG{}");
    std::free(text);
    EXPECT_EQ(img_to_text(nullptr), nullptr);
    img_destroy(&img);
}

TEST(ImgPnmText, RoundTripAndReaderEdges) {
    Img* img = img_create();
    img_resize(img, 13, 5);
    for (int i = 0; i < 65; ++i) img->pixels[i] = (static_cast<uint32_t>(i) * 2654435761u) & 0xFFFFFF;
    char* text = img_to_text(img);
    ASSERT_NE(text, nullptr);
    Img* back = img_from_text(text);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(img_equal(img, back), 1);
    img_destroy(&back);
    // Text before the marker is ignored; missing samples at the end read as 0.
    back = img_from_text("junk IMG junk { P3\n2 1\n255\n7 8");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->width, 2);
    EXPECT_EQ(back->pixels[0], 0x070800u);
    EXPECT_EQ(back->pixels[1], 0u);
    img_destroy(&back);
    back = img_from_text("IMG{\nP3\n0 0\n255\n}\n");  // an empty image is still an image
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->width, 0);
    img_destroy(&back);
    img_debug = 1;
    for (const char* bad : {"IMG{}", "IM{\nP3\n1 1\n255\n1 2 3\n}", "IMG\nP3\n1 1\n255\n1 2 3",
                            "IMG{\nP3 1 1\n255\n1 2 3", "IMG{\nP3\n99999 99999\n255\n", "IMG{\nP3\n1 1\n255\n5 99999999999 1"}) {
        testing::internal::CaptureStdout();
        EXPECT_EQ(img_from_text(bad), nullptr) << bad;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "IMG error\n") << bad;
    }
    testing::internal::CaptureStdout();
    EXPECT_EQ(img_from_text(nullptr), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "IMG error\n");
    img_debug = 0;
    std::free(text);
    img_destroy(&img);
}

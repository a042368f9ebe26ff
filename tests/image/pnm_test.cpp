// PNM: the shared decoder through both families' readers, the files they write and the
// bracketed text form. Every load reads from a heap copy of exactly its length.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "image/bytemap.h"
#include "image/image_fixtures.h"

namespace {

std::string bytes(std::string header, std::initializer_list<int> data = {}) {
    for (const int v : data) header.push_back(static_cast<char>(v));
    return header;
}

template <typename Load>
auto load_exact(const std::string& b, Load load) {
    auto* exact = static_cast<unsigned char*>(std::malloc(b.empty() ? 1 : b.size()));
    std::memcpy(exact, b.data(), b.size());
    auto* picture = load(exact, b.size());
    std::free(exact);
    return picture;
}
Img* load(const std::string& b) { return load_exact(b, img_load_pnm_sized); }

std::string temp_path(const char* name) {
    return std::string("/tmp/pnm_test_") + std::to_string(getpid()) + "_" + name;
}

// One pixel a character: '#' white, '.' black.
std::vector<uint32_t> mono(const std::string& pixels) {
    std::vector<uint32_t> out;
    for (const char c : pixels) out.push_back(c == '#' ? 0xFFFFFFu : 0u);
    return out;
}

const char* const COMMENTS = "# made by us 2010\n# rights\n# mail\n# web\n";

}  // namespace

TEST(Pnm, EveryTypeDecodesThroughEveryReader) {
    struct Case {
        char from;  // a block with its length, a file, or a trusted block
        std::string in;
        int32_t w, h;
        std::vector<uint32_t> pixels;
    };
    const Case cases[] = {
        // Block P4: the width rounds up to a multiple of 8, bits run on without row padding.
        {'b', bytes("P4\n# one comment\n12 2\n", {0xF0, 0x0F, 0xAA, 0xAA}), 16, 2,
         mono("####........####" "#.#.#.#.#.#.#.#.")},
        // File P4: the width is kept and each row padded to whole bytes.
        {'f', bytes("P4\n10 2\n", {0xFF, 0xC0, 0x80, 0x40}), 10, 2, mono("##########" "#........#")},
        // Block P1: one digit character a pixel, padding pixels read too; file P1: whole numbers.
        {'b', "P1 3 1\n1 0 7 00000", 8, 1, mono("#.#.....")},
        {'f', "P1\n3 1\n0 12 00\n", 3, 1, mono(".#.")},
        // The first data byte looks like whitespace.
        {'b', bytes(std::string("P6\n") + COMMENTS + "1 1\n255\n", {0x0A, 0x20, 0x30}), 1, 1, {0x000A2030}},
        {'f', bytes("P6\n# a\n2\n# b\n# c\n1 # d\n255\n", {1, 2, 3, 0xFF, 0x80, 0}), 2, 1, {0x010203, 0xFF8000}},
        {'b', bytes("P5 3 1 255\n", {0, 0x7F, 0xFF}), 3, 1, {0, 0x7F7F7F, 0xFFFFFF}},
        // ASCII samples are not limited to 8 bits: green 256 reaches the lowest red bit.
        {'b', "P3\n2 1\n255\n1 256 3\n  x 0 0 70000", 2, 1, {(1u << 16) | (256u << 8) | 3u, 70000}},
        {'f', "P2 2 1 255 5 300", 2, 1, {0x050505, (300u << 16) | (300u << 8) | 300u}},
        // The trusted entries decode a well-formed block without being told its length.
        {'t', bytes("P6\n1 1\n255\n", {9, 8, 7}), 1, 1, {0x090807}},
    };
    const std::string path = temp_path("types.pnm");
    for (const Case& c : cases) {
        if (c.from == 'f') write_file(path, c.in);
        const auto* block = reinterpret_cast<const unsigned char*>(c.in.c_str());
        Img* img = c.from == 'f' ? img_load_file(path.c_str()) : c.from == 't' ? img_load_pnm(block) : load(c.in);
        ASSERT_NE(img, nullptr) << c.in;
        ASSERT_EQ(img->width * 1000 + img->height, c.w * 1000 + c.h) << c.in;
        EXPECT_EQ(std::vector<uint32_t>(img->pixels, img->pixels + c.w * c.h), c.pixels) << c.in;
        img_destroy(&img);
    }
    std::remove(path.c_str());
    // The byte map's trusted reader finds its own reach (its other readers answer to the
    // fuzz targets, which hold them to the image's and the decoder's).
    Bytemap* map = bytemap_load_pnm(reinterpret_cast<const unsigned char*>("P5 2 1 255\n\x07\x08"));
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->cells[0] * 1000 + map->cells[1], 7008);
    bytemap_destroy(&map);
}

TEST(Pnm, BadHeadersAndEveryTruncationFail) {
    const std::string bad[] = {
        "P7\n1 1\n255\n1", "P0 1 1 255 1",  bytes("Q6\n1 1\n255\n", {0, 0, 0}),  // decodable but for the magic
        "P6\n0 1\n255\n",                    "P6\n1 0\n255\n",
        "P4\n0 4\n",                         bytes("P6\n1 x 1\n255\n", {0, 0, 0}),
        "P6\n100000 100000\n255\n",          "P6\n99999999999 1\n255\n",
        "P6\n2147483648 1\n255\n",           "P4\n2147483647 1\n",
        "P5\n8193 8192\n255\n",              "",
        "P3\n1 1\n255\n1 2 99999999999",  // a sample past 32 bits
        "P1 3 1\n1 0 1 0 1",             // bytes enough for the 8 pixels of a block, digits not
    };
    for (const std::string& b : bad) EXPECT_EQ(load(b), nullptr) << b;
    EXPECT_EQ(img_load_pnm_sized(nullptr, 5), nullptr);
    const std::string full[] = {
        bytes(std::string("P6\n") + COMMENTS + "2 2\n255\n", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}),
        bytes("P4\n12 2\n", {0xF0, 0x0F, 0xAA, 0xAA}),
        "P3\n2 1\n255\n1 2 3 4 5 6",
        "P1\n8 1\n10101010",
    };
    for (const std::string& b : full) {
        Img* whole = load(b);
        ASSERT_NE(whole, nullptr);
        img_destroy(&whole);
        for (size_t n = 0; n < b.size(); ++n) EXPECT_EQ(load(b.substr(0, n)), nullptr) << n;
    }
}

// The writers' exact bytes; that each form reads back as written is the round-trip
// fuzz targets' to check.
TEST(PnmFile, WritersLayoutAndATruncatedFile) {
    const std::string path = temp_path("written.pnm");
    const std::string p6 = bytes("P6\n2 1\n255\n", {0x0A, 0x0D, 0x20, 1, 2, 3});
    const std::string p5 = bytes("P5\n3 2\n255\n", {0, 51, 102, 153, 204, 255});
    Img* img = load(p6);
    img->pixels[0] |= 0xFF000000u;  // the top byte is not written; whitespace-like bytes are data
    Bytemap* map = load_exact(p5, bytemap_load_pnm_sized);
    ASSERT_EQ(img_write_p6(img, path.c_str()), 1);
    EXPECT_EQ(read_file(path), p6);
    ASSERT_EQ(bytemap_write_p5(map, path.c_str()), 1);
    EXPECT_EQ(read_file(path), p5);
    write_file(path, p6.substr(0, p6.size() - 1));  // a truncated file fails whole
    EXPECT_EQ(img_load_file(path.c_str()), nullptr);
    std::remove(path.c_str());
    img_destroy(&img);
    bytemap_destroy(&map);
}

TEST(PnmText, LayoutRefusalsAndTheTextsEnd) {
    // A text may end before its samples do: the whole size, 0 after the text's samples.
    Img* img = img_from_text("IMG{\nP3\n7 1\n255\n255 128 0 1");
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(std::vector<uint32_t>(img->pixels, img->pixels + 7),
              (std::vector<uint32_t>{0xFF8000, 1 << 16, 0, 0, 0, 0, 0}));
    img->pixels[6] = 0x0A0B0C;  // a line break after the sixth pixel
    std::string row = "255 128   0   1";
    for (int i = 0; i < 14; ++i) row += "   0";
    char* text = img_to_text(img);
    EXPECT_STREQ(text, ("IMG{\nP3\n7 1\n255\n" + row + "\n 10  11  12\n}\n").c_str());
    std::free(text);
    img_destroy(&img);
    const char* const bad_texts[] = {"IMG{}", "IM{\nP3\n1 1\n255\n1 2 3\n}", "IMG{\nP3 1 1\n255\n1 2 3",
                                     "IMG{\nP3\n99999 99999\n255\n", "IMG{\nP3\n1 1\n255\n5 99999999999 1"};
    for (const char* bad : bad_texts) EXPECT_EQ(img_from_text(bad), nullptr) << bad;
}

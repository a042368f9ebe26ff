#include <gtest/gtest.h>

#include <string>

#include "effects/scrollxl.h"

namespace {

// Big font of 2 x 2 cells where 'A' has its top-left pixel set, 'B' its bottom-right and
// 'C' both (every other code is blank); a brush of 3 x 1 solid cells. So one letter is
// u = 2 x 3 = 6 pixels wide and 2 rows high.
struct Rig {
    Font* big = font_create();
    Font* brush = font_create();
    Img* target = img_create();
    ScrollXL* scroll = scrollxl_create();
    Rig(const char* text, int32_t width) {
        big->sheet = img_create();
        img_resize(big->sheet, 32, 16);
        for (auto [code, dx] : {std::pair{'A', 0}, {'B', 1}, {'C', 0}, {'C', 1}})
            img_put_pixel(big->sheet, (code % 16) * 2 + dx, (code / 16) * 2 + dx, 1);
        big->cell_width = big->cell_height = 2;
        brush->sheet = img_create();
        img_resize(brush->sheet, 3, 1);
        img_fill_rect(brush->sheet, 0, 0, 3, 1, 9);
        brush->cell_width = 3;
        brush->cell_height = 1;
        img_resize(target, width, 2);
        scrollxl_setup(scroll, text, big, brush, target);
    }
    ~Rig() {
        scrollxl_destroy(&scroll);
        font_destroy(&big);
        font_destroy(&brush);
        img_destroy(&target);
    }
    std::string shown() const {  // both rows, '#' where a brush pixel landed
        std::string rows;
        for (int32_t y = 0; y < 2; ++y) {
            for (int32_t x = 0; x < target->width; ++x) rows += img_get_pixel(target, x, y) ? '#' : '.';
            rows += '|';
        }
        return rows;
    }
};

std::string reported(ScrollXL* s, void (*call)(ScrollXL*)) {
    scrollxl_debug = 1;
    testing::internal::CaptureStdout();
    call(s);
    scrollxl_debug = 0;
    return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(ScrollXLUpdate, LettersOf256PixelsMoveTheCursor) {
    Rig rig("ABCDEFGHIJKLMNOPQRSTUVWXY", 256);
    ScrollXL* s = rig.scroll;
    EXPECT_EQ(s->speed, 8);
    EXPECT_EQ(s->height, 2);  // the big cell height
    rig.big->cell_width = rig.brush->cell_width = 16;  // u = 256
    s->speed = 15;
    for (int i = 0; i < 17; ++i) scrollxl_update(s);
    EXPECT_EQ(s->cursor->position, 0);
    scrollxl_update(s);  // offset 270
    EXPECT_EQ(s->cursor->position, 1);
    EXPECT_EQ(s->offset, 14);

    s->offset = 0;
    s->speed = -1;
    scrollxl_update(s);
    EXPECT_EQ(s->cursor->position, 0);
    EXPECT_EQ(s->offset, 255);
    s->offset = 0;
    s->speed = -256;  // exactly one letter back: two back with a whole letter of offset
    scrollxl_update(s);
    EXPECT_EQ(s->cursor->position, 23);
    EXPECT_EQ(s->offset, 256);
}

TEST(ScrollXLDraw, MosaicLettersBlankCellsAndRestoredCursor) {
    Rig rig("AxCB", 30);
    ScrollXL* s = rig.scroll;
    s->width = 12;  // 12 / 6 + 2 = 4 letters
    s->cursor->position = 2;
    s->offset = 1;
    scrollxl_draw(s);
    EXPECT_EQ(rig.shown(),  // C, B, A, then the blank x
              "##.........###................|"
              "..###...###...................|");
    EXPECT_EQ(s->cursor->position, 2);
    EXPECT_EQ(rig.big->pen_x, 23);
    EXPECT_EQ(rig.brush->target, rig.target);
}

TEST(ScrollXLRefusals, EmptyTextNoLetterWidthAndNeverSetUp) {
    ScrollXL* bare = scrollxl_create();
    EXPECT_EQ(bare->cursor->length, 25);
    EXPECT_EQ(reported(bare, scrollxl_draw), "SCROLLXL error\n");
    scrollxl_destroy(&bare);

    Rig rig("ABC", 12);
    static Rig* r = nullptr;
    r = &rig;
    EXPECT_EQ(reported(rig.scroll, [](ScrollXL* s) { scrollxl_setup(s, "", r->big, r->brush, r->target); }),
              "SCROLLXL error\n");
    EXPECT_EQ(rig.scroll->cursor->length, 3);
    rig.scroll->offset = 2;
    for (int32_t w : {0, -3, 65536}) {  // u = 0, negative, and 2^32 with big cells 65536
        rig.brush->cell_width = w;
        rig.big->cell_width = w == 65536 ? 65536 : 2;
        EXPECT_EQ(reported(rig.scroll, scrollxl_update) + reported(rig.scroll, scrollxl_draw),
                  "SCROLLXL error\nSCROLLXL error\n") << w;
    }
    EXPECT_EQ(rig.scroll->offset, 2);
    EXPECT_EQ(rig.shown(), "............|............|");
}

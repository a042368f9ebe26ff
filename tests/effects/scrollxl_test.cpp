#include <string>

#include "effects/scrollxl.h"
#include "image/image_fixtures.h"

namespace {

// Big font of 2 x 2 cells where 'A' has its top-left pixel set, 'B' its bottom-right and
// 'C' both (every other code is blank); a brush of solid 3 x 1 cells drawing its '#'. So one
// letter is u = 2 x 3 = 6 pixels wide and 2 rows high.
struct Rig {
    TestFont big{2, 2, 16, 8}, brush{3, 1, 36, 1};
    TestImg target;
    ScrollXL* scroll = scrollxl_create();
    Rig(const char* text, int32_t width) : target(width, 2) {
        img_clear(big.font->sheet);
        for (auto [code, dx] : {std::pair{'A', 0}, {'B', 1}, {'C', 0}, {'C', 1}})
            img_put_pixel(big.font->sheet, (code % 16) * 2 + dx, (code / 16) * 2 + dx, 1);
        brush.font->character = '#';
        scrollxl_setup(scroll, text, big.font, brush.font, target.img);
    }
    ~Rig() { scrollxl_destroy(&scroll); }
    std::string shown_rows() const { return shown(target.img, 0) + "|" + shown(target.img, 1) + "|"; }
};

}  // namespace

TEST(ScrollXL, MovesByLettersOfBigTimesBrushWidthShowsMosaicLettersRefusesNoTextOrNoWidth) {
    Rig rig("AxCB", 30);
    ScrollXL* s = rig.scroll;
    s->width = 6;  // 6 / 6 + 2 = 3 letters, not a whole number of texts
    s->cursor->position = 1;
    s->offset = 0;
    s->speed = 7;
    scrollxl_update(s);  // u = 2 x 3 = 6: one letter and 1 on
    EXPECT_EQ(s->cursor->position * 100 + s->offset, 201);
    scrollxl_draw(s);
    EXPECT_EQ(rig.shown_rows(),  // C, B, A
              "##.........###................|"
              "..###...###...................|");
    EXPECT_EQ(s->cursor->position, 2);

    img_clear(rig.target.img);
    EXPECT_EQ(printed([&] { scrollxl_setup(s, "", rig.big.font, rig.brush.font, rig.target.img); }, scrollxl_debug),
              "SCROLLXL error\n");
    EXPECT_EQ(s->cursor->length, 4);
    for (int32_t w : {0, -3, 65536}) {  // u = 0, negative, and 2^32 with big cells 65536
        rig.brush.font->cell_width = w;
        rig.big.font->cell_width = w == 65536 ? 65536 : 2;
        EXPECT_EQ(printed([&] { scrollxl_update(s); scrollxl_draw(s); }, scrollxl_debug),
                  "SCROLLXL error\nSCROLLXL error\n") << w;
    }
    EXPECT_EQ(s->offset, 1);
    EXPECT_EQ(count_set(rig.target.img), 0);
}

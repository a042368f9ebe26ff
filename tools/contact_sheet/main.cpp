// tool_contact_sheet OUT.ppm: decodes every built-in picture with the demo's own decoder
// and lays them out at twice their size on a dark background in one P6 file, so the art
// can be checked in any image viewer:
//   build/release/tool_contact_sheet contact_sheet.ppm
#include <cstdio>

#include "demo/builtin.h"
#include "image/img.h"

namespace {

constexpr uint32_t BACKGROUND = 0x202030;
constexpr int32_t SHEET_WIDTH = 1088;
constexpr int32_t SHEET_HEIGHT = 1120;

struct Placement {
    const char* name;
    const unsigned char* block;
    int32_t x;  // top-left corner on the sheet of the doubled picture
    int32_t y;
};

// Sprite sheet across the top; character set, logo and the two strips below it; the
// emblem's colour and mask halves side by side at the bottom.
constexpr Placement PLACEMENTS[] = {
    {"sprites", pnm_sprites, 16, 16},        {"charset", pnm_charset, 16, 544},
    {"logo", pnm_logo, 288, 544},            {"bubbles", pnm_bubbles, 816, 544},
    {"cells", pnm_cells, 816, 592},          {"emblem_colour", pnm_emblem_colour, 16, 848},
    {"emblem_mask", pnm_emblem_mask, 544, 848},
};

// Each source pixel becomes a 2 x 2 square; parts beyond the sheet are cut off.
void put_doubled(const Img* picture, Img* sheet, int32_t x0, int32_t y0) {
    for (int32_t y = 0; y < picture->height * 2; ++y) {
        const int32_t ty = y0 + y;
        if (ty < 0 || ty >= sheet->height) continue;
        const uint32_t* row = picture->pixels + static_cast<int64_t>(y / 2) * picture->width;
        uint32_t* out = sheet->pixels + static_cast<int64_t>(ty) * sheet->width;
        for (int32_t x = 0; x < picture->width * 2; ++x) {
            const int32_t tx = x0 + x;
            if (tx >= 0 && tx < sheet->width) out[tx] = row[x / 2] != 0 ? row[x / 2] : BACKGROUND;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tool_contact_sheet OUT.ppm\n");
        return 2;
    }
    Img* sheet = img_create();
    if (sheet == nullptr) return 1;
    img_resize(sheet, SHEET_WIDTH, SHEET_HEIGHT);
    if (sheet->width != SHEET_WIDTH || sheet->height != SHEET_HEIGHT) {
        img_destroy(&sheet);
        return 1;
    }
    for (int64_t i = 0; i < static_cast<int64_t>(SHEET_WIDTH) * SHEET_HEIGHT; ++i) sheet->pixels[i] = BACKGROUND;
    int status = 0;
    for (const Placement& p : PLACEMENTS) {
        Img* picture = img_load_pnm(p.block);
        if (picture == nullptr) {
            std::fprintf(stderr, "tool_contact_sheet: the %s block does not decode\n", p.name);
            status = 1;
            continue;
        }
        put_doubled(picture, sheet, p.x, p.y);
        img_destroy(&picture);
    }
    if (!img_write_p6(sheet, argv[1])) {
        std::fprintf(stderr, "tool_contact_sheet: cannot write %s\n", argv[1]);
        status = 1;
    }
    img_destroy(&sheet);
    return status;
}

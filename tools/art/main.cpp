// tool_art DIR: paints the demo's seven built-in pictures and writes them into DIR as the
// PNM blocks the demo embeds (data/pictures holds exactly this output):
//   tool_art data/pictures
#include <cstdio>
#include <cstring>

#include "art.h"

namespace {

// The four comment lines every block carries: creator and date, rights, how it was made
// and where it goes.
constexpr const char* BLOCK_COMMENTS =
    "# VORT7131 by the VORT7131 team, 2010-11-08\n"
    "# Free to copy and share together with the demo\n"
    "# Painted from numbers alone by the demo's tools/art\n"
    "# Built into the programs, which read no files\n";

bool write_bytes(FILE* f, const unsigned char* data, size_t count) {
    return std::fwrite(data, 1, count, f) == count;
}

// P6: header, then red, green, blue bytes row by row.
bool write_p6(const Canvas* canvas, const char* path) {
    FILE* f = std::fopen(path, "wb");
    if (f == nullptr) return false;
    bool ok = std::fprintf(f, "P6\n%s%d %d\n255\n", BLOCK_COMMENTS, canvas->width, canvas->height) > 0;
    for (int32_t y = 0; y < canvas->height && ok; ++y)
        for (int32_t x = 0; x < canvas->width && ok; ++x) {
            const uint32_t p = canvas_get(canvas, x, y);
            const unsigned char rgb_bytes[3] = {static_cast<unsigned char>(p >> 16), static_cast<unsigned char>(p >> 8),
                                                static_cast<unsigned char>(p)};
            ok = write_bytes(f, rgb_bytes, 3);
        }
    return std::fclose(f) == 0 && ok;
}

// P4: header, then one bit per pixel, most significant first, set where the pixel is not 0.
bool write_p4(const Canvas* canvas, const char* path) {
    if (canvas->width % 8 != 0) return false;
    FILE* f = std::fopen(path, "wb");
    if (f == nullptr) return false;
    bool ok = std::fprintf(f, "P4\n%s%d %d\n", BLOCK_COMMENTS, canvas->width, canvas->height) > 0;
    for (int32_t y = 0; y < canvas->height && ok; ++y)
        for (int32_t x = 0; x < canvas->width && ok; x += 8) {
            unsigned char bits = 0;
            for (int32_t k = 0; k < 8; ++k)
                if (canvas_get(canvas, x + k, y) != 0) bits = static_cast<unsigned char>(bits | (0x80 >> k));
            ok = write_bytes(f, &bits, 1);
        }
    return std::fclose(f) == 0 && ok;
}

struct Job {
    const char* file;   // name inside the output folder
    int32_t width;
    int32_t height;
    bool bitmap;        // P4 rather than P6
    bool (*paint)(Canvas*);
};

constexpr Job JOBS[] = {
    {"charset.pnm", 128, 144, true, paint_charset},
    {"sprites.pnm", 512, 256, false, paint_sprites},
    {"bubbles.pnm", 128, 16, false, paint_bubbles},
    {"cells.pnm", 128, 16, false, paint_cells},
    {"logo.pnm", 256, 128, false, paint_logo},
};

bool join(char* out, size_t size, const char* folder, const char* file) {
    const int n = std::snprintf(out, size, "%s/%s", folder, file);
    return n > 0 && static_cast<size_t>(n) < size;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tool_art OUTPUT_FOLDER\n");
        return 2;
    }
    char path[4096];
    for (const Job& job : JOBS) {
        Canvas canvas{};
        bool ok = canvas_make(&canvas, job.width, job.height) && job.paint(&canvas) &&
                  join(path, sizeof path, argv[1], job.file) &&
                  (job.bitmap ? write_p4(&canvas, path) : write_p6(&canvas, path));
        canvas_free(&canvas);
        if (!ok) {
            std::fprintf(stderr, "tool_art: cannot make %s/%s\n", argv[1], job.file);
            return 1;
        }
    }
    Canvas colour{}, mask{};
    bool ok = canvas_make(&colour, 256, 128) && canvas_make(&mask, 256, 128) && paint_emblem(&colour, &mask) &&
              join(path, sizeof path, argv[1], "emblem_colour.pnm") && write_p6(&colour, path) &&
              join(path, sizeof path, argv[1], "emblem_mask.pnm") && write_p4(&mask, path);
    canvas_free(&colour);
    canvas_free(&mask);
    if (!ok) {
        std::fprintf(stderr, "tool_art: cannot make the emblem in %s\n", argv[1]);
        return 1;
    }
    return 0;
}

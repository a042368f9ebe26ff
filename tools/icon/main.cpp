// tool_icon DIR: the desktop icon, made from the built-in logo, as DIR/NxN/apps/vort7131.png
// for each hicolor size. The logo's two halves are stacked ("VORT" over "7131", each with
// its rules) on a black plate with rounded corners, 192 x 192 logo pixels; smaller sizes
// average whole areas of it, so small icons stay smooth. Two runs write identical files.
//   build/release/tool_icon build/release/icons/hicolor
#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "demo/builtin.h"
#include "image/img.h"

namespace {

constexpr int32_t MASTER = 192;       // the plate's side, in logo pixels
constexpr int32_t HALF_WIDTH = 128;   // each half of the 256-wide logo
constexpr int32_t FIRST_ROW = 14;     // logo rows 14..109: top rule, letters, bottom rule
constexpr int32_t HALF_ROWS = 96;
constexpr int32_t CORNER = 24;        // radius of the plate's corners
constexpr std::array<int32_t, 8> SIZES = {16, 24, 32, 48, 64, 96, 128, 192};

struct Rgba {
    uint32_t r, g, b, a;  // colour premultiplied by alpha, each 0..255 per master pixel
};

bool inside_plate(int32_t x, int32_t y) {
    const int32_t cx = x < CORNER ? CORNER - x : x >= MASTER - CORNER ? x - (MASTER - CORNER - 1) : 0;
    const int32_t cy = y < CORNER ? CORNER - y : y >= MASTER - CORNER ? y - (MASTER - CORNER - 1) : 0;
    return cx * cx + cy * cy <= CORNER * CORNER;
}

std::vector<Rgba> master_icon(const Img* logo) {
    std::vector<Rgba> out(static_cast<size_t>(MASTER) * MASTER, Rgba{0, 0, 0, 0});
    const int32_t left = (MASTER - HALF_WIDTH) / 2;
    for (int32_t y = 0; y < MASTER; ++y) {
        const int32_t half = y / HALF_ROWS;  // 0: "VORT", 1: "7131"
        const int32_t logo_y = FIRST_ROW + y % HALF_ROWS;
        for (int32_t x = 0; x < MASTER; ++x) {
            if (!inside_plate(x, y)) continue;
            uint32_t rgb = 0;
            if (x >= left && x < left + HALF_WIDTH) rgb = logo->pixels[logo_y * logo->width + half * HALF_WIDTH + x - left];
            out[static_cast<size_t>(y) * MASTER + x] = {rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF, 255};
        }
    }
    return out;
}

// Each icon pixel is the mean of the master area it covers; colour back out of premultiplied.
std::vector<uint8_t> scaled_rgba(const std::vector<Rgba>& master, int32_t size) {
    std::vector<uint8_t> out(static_cast<size_t>(size) * size * 4);
    for (int32_t y = 0; y < size; ++y) {
        for (int32_t x = 0; x < size; ++x) {
            Rgba sum{0, 0, 0, 0};
            uint32_t count = 0;
            for (int32_t my = y * MASTER / size; my < (y + 1) * MASTER / size; ++my)
                for (int32_t mx = x * MASTER / size; mx < (x + 1) * MASTER / size; ++mx) {
                    const Rgba& p = master[static_cast<size_t>(my) * MASTER + mx];
                    sum = {sum.r + p.r * p.a, sum.g + p.g * p.a, sum.b + p.b * p.a, sum.a + p.a};
                    ++count;
                }
            uint8_t* o = &out[(static_cast<size_t>(y) * size + x) * 4];
            o[3] = static_cast<uint8_t>((sum.a + count / 2) / count);
            if (sum.a == 0) continue;
            o[0] = static_cast<uint8_t>((sum.r + sum.a / 2) / sum.a);
            o[1] = static_cast<uint8_t>((sum.g + sum.a / 2) / sum.a);
            o[2] = static_cast<uint8_t>((sum.b + sum.a / 2) / sum.a);
        }
    }
    return out;
}

// ---- A PNG writer: one IDAT holding a zlib stream of stored (uncompressed) blocks ----

uint32_t crc32(const uint8_t* data, size_t length, uint32_t crc = 0) {
    crc = ~crc;
    for (size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

void put_be32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void put_chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    put_be32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    put_be32(out, crc32(&out[start], out.size() - start));
}

std::vector<uint8_t> png(const std::vector<uint8_t>& rgba, int32_t size) {
    std::vector<uint8_t> raw;  // each row: filter type 0, then its pixels
    for (int32_t y = 0; y < size; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), rgba.begin() + y * size * 4, rgba.begin() + (y + 1) * size * 4);
    }
    std::vector<uint8_t> zlib = {0x78, 0x01};
    for (size_t at = 0; at < raw.size(); at += 65535) {
        const size_t n = raw.size() - at < 65535 ? raw.size() - at : 65535;
        zlib.push_back(at + n == raw.size() ? 1 : 0);  // BFINAL on the last block, BTYPE 00
        zlib.push_back(static_cast<uint8_t>(n));
        zlib.push_back(static_cast<uint8_t>(n >> 8));
        zlib.push_back(static_cast<uint8_t>(~n));
        zlib.push_back(static_cast<uint8_t>(~n >> 8));
        zlib.insert(zlib.end(), raw.begin() + static_cast<ptrdiff_t>(at), raw.begin() + static_cast<ptrdiff_t>(at + n));
    }
    uint32_t a = 1, b = 0;  // Adler-32 of the raw bytes
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    put_be32(zlib, b << 16 | a);

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    put_be32(header, static_cast<uint32_t>(size));
    put_be32(header, static_cast<uint32_t>(size));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, filter 0, no interlace
    put_chunk(out, "IHDR", header);
    put_chunk(out, "IDAT", zlib);
    put_chunk(out, "IEND", {});
    return out;
}

bool make_folders(const std::string& path) {
    for (size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) return true;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tool_icon DIR\n");
        return 2;
    }
    Img* logo = img_load_pnm_sized(pnm_logo, static_cast<size_t>(pnm_logo_size));
    if (logo == nullptr || logo->width != 2 * HALF_WIDTH || logo->height < FIRST_ROW + HALF_ROWS) {
        std::fprintf(stderr, "tool_icon: the built-in logo is not 256 pixels wide\n");
        return 1;
    }
    const std::vector<Rgba> master = master_icon(logo);
    img_destroy(&logo);
    for (int32_t size : SIZES) {
        const std::string folder = std::string(argv[1]) + "/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
        const std::string path = folder + "/vort7131.png";
        const std::vector<uint8_t> bytes = png(scaled_rgba(master, size), size);
        FILE* file = make_folders(folder) ? std::fopen(path.c_str(), "wb") : nullptr;
        if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
            std::fclose(file) != 0) {
            std::fprintf(stderr, "tool_icon: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
            return 1;
        }
    }
    return 0;
}

// tool_icon DIR: the desktop icon as DIR/NxN/apps/vort7131.png for each hicolor size. From
// 32 pixels up it is the logo's mark (demo/icon.h: "VORT" over "7131" on a black plate). At
// 16 and 24 pixels, where those letters would be a smear, it is a simplified mark drawn by
// hand below: the logo's V, chrome over gold like its letters, with a dark shadow, between
// its cyan-to-magenta rules, on the same black plate. Two runs write identical files.
//   build/release/tool_icon build/release/icons/hicolor
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "demo/builtin.h"
#include "demo/icon.h"
#include "image/img.h"

namespace {

constexpr std::array<int32_t, 8> SIZES = {16, 24, 32, 48, 64, 96, 128, 192};

// The hand-drawn marks, a character a pixel: '.' outside the plate, ',' its soft corner,
// 'k' the plate, 'R' a rule, 'X' the letter, 'x' its shaded side, 's' its shadow.
constexpr std::array<std::string_view, 16> MARK_16 = {
    ".,kkkkkkkkkkkk,.",
    ",kkkkkkkkkkkkkk,",
    "kRRRRRRRRRRRRRRk",
    "kkkkkkkkkkkkkkkk",
    "kkXxskkkkkkkXxsk",
    "kkXxskkkkkkkXxsk",
    "kkkXxskkkkkXxskk",
    "kkkXxskkkkkXxskk",
    "kkkkXxskkkXxskkk",
    "kkkkXxskkkXxskkk",
    "kkkkkXxskXxskkkk",
    "kkkkkkXXXxskkkkk",
    "kkkkkkkXxskkkkkk",
    "kkkkkkkksskkkkkk",
    ",RRRRRRRRRRRRRR,",
    ".,kkkkkkkkkkkk,.",
};
constexpr std::array<std::string_view, 24> MARK_24 = {
    "..,kkkkkkkkkkkkkkkkkk,..",
    ".,kkkkkkkkkkkkkkkkkkkk,.",
    ",kkkkkkkkkkkkkkkkkkkkkk,",
    "kkRRRRRRRRRRRRRRRRRRRRkk",
    "kkkkkkkkkkkkkkkkkkkkkkkk",
    "kkkXXxskkkkkkkkkkkXXxskk",
    "kkkXXxskkkkkkkkkkkXXxskk",
    "kkkkXXxskkkkkkkkkXXxskkk",
    "kkkkXXxskkkkkkkkkXXxskkk",
    "kkkkkXXxskkkkkkkXXxskkkk",
    "kkkkkXXxskkkkkkkXXxskkkk",
    "kkkkkkXXxskkkkkXXxskkkkk",
    "kkkkkkXXxskkkkkXXxskkkkk",
    "kkkkkkkXXxskkkXXxskkkkkk",
    "kkkkkkkXXxskkkXXxskkkkkk",
    "kkkkkkkkXXxskXXxskkkkkkk",
    "kkkkkkkkXXxskXXxskkkkkkk",
    "kkkkkkkkkXXXXXxskkkkkkkk",
    "kkkkkkkkkkXXXxskkkkkkkkk",
    "kkkkkkkkkkksssskkkkkkkkk",
    "kkRRRRRRRRRRRRRRRRRRRRkk",
    ",kkkkkkkkkkkkkkkkkkkkkk,",
    ".,kkkkkkkkkkkkkkkkkkkk,.",
    "..,kkkkkkkkkkkkkkkkkk,..",
};

template <size_t N>
constexpr bool is_square(const std::array<std::string_view, N>& rows) {
    for (std::string_view row : rows)
        if (row.size() != N) return false;
    return true;
}
static_assert(is_square(MARK_16) && is_square(MARK_24), "each mark is as wide as it is high");

// The logo's own colours: its rules run from cyan to magenta; its letters are chrome, dark
// blue to near white, down to the middle, then gold, dark brown to bright, down to the foot.
constexpr uint32_t RULE_LEFT = 0x4FF7FF, RULE_RIGHT = 0xFF4EFB;
constexpr uint32_t CHROME_TOP = 0x8898D0, CHROME_MIDDLE = 0xE4F0FF;
constexpr uint32_t GOLD_MIDDLE = 0x8A5028, GOLD_FOOT = 0xF2BC74;
constexpr uint32_t SHADOW = 0x140828;

// a + (b - a) * step / steps, channel by channel.
uint32_t blend(uint32_t a, uint32_t b, int32_t step, int32_t steps) {
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int32_t from = static_cast<int32_t>(a >> shift & 0xFF), to = static_cast<int32_t>(b >> shift & 0xFF);
        out |= static_cast<uint32_t>(from + (to - from) * step / (steps > 0 ? steps : 1)) << shift;
    }
    return out;
}

// A hand-drawn mark as 0xAARRGGBB pixels.
template <size_t N>
std::vector<uint32_t> mark_argb(const std::array<std::string_view, N>& rows) {
    const int32_t side = static_cast<int32_t>(N);
    int32_t top = side, bottom = 0, left = side, right = 0;  // the letter's rows, the rules' columns
    for (int32_t y = 0; y < side; ++y)
        for (int32_t x = 0; x < side; ++x) {
            const char c = rows[y][x];
            if (c == 'X' || c == 'x') top = std::min(top, y), bottom = std::max(bottom, y);
            if (c == 'R') left = std::min(left, x), right = std::max(right, x);
        }
    const int32_t middle = (top + bottom + 1) / 2;  // the first gold row
    std::vector<uint32_t> out(N * N, 0);
    for (int32_t y = 0; y < side; ++y)
        for (int32_t x = 0; x < side; ++x) {
            const uint32_t letter = y < middle ? blend(CHROME_TOP, CHROME_MIDDLE, y - top, middle - 1 - top)
                                               : blend(GOLD_MIDDLE, GOLD_FOOT, y - middle, bottom - middle);
            uint32_t& p = out[static_cast<size_t>(y) * N + static_cast<size_t>(x)];
            switch (rows[y][x]) {
            case ',': p = 0x80000000u; break;
            case 'k': p = 0xFF000000u; break;
            case 'R': p = 0xFF000000u | blend(RULE_LEFT, RULE_RIGHT, x - left, right - left); break;
            case 'X': p = 0xFF000000u | letter; break;
            case 'x': p = 0xFF000000u | blend(letter, 0, 1, 4); break;
            case 's': p = 0xFF000000u | SHADOW; break;
            default: break;
            }
        }
    return out;
}

// The icon at one size, 0xAARRGGBB: drawn by hand at 16 and 24, from the logo above.
bool icon_pixels(const Img* logo, int32_t size, std::vector<uint32_t>* argb) {
    if (size == 16) *argb = mark_argb(MARK_16);
    else if (size == 24) *argb = mark_argb(MARK_24);
    else {
        argb->assign(static_cast<size_t>(size) * static_cast<size_t>(size), 0);
        return icon_from_logo(logo, size, *argb);
    }
    return true;
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

std::vector<uint8_t> png(const std::vector<uint32_t>& argb, int32_t size) {
    std::vector<uint8_t> raw;  // each row: filter type 0, then its pixels as R, G, B, A bytes
    for (int32_t y = 0; y < size; ++y) {
        raw.push_back(0);
        for (int32_t x = 0; x < size; ++x) {
            const uint32_t p = argb[static_cast<size_t>(y) * static_cast<size_t>(size) + static_cast<size_t>(x)];
            raw.insert(raw.end(), {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p),
                                   static_cast<uint8_t>(p >> 24)});
        }
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
    std::vector<uint32_t> argb;
    for (int32_t size : SIZES) {
        if (!icon_pixels(logo, size, &argb)) {
            std::fprintf(stderr, "tool_icon: the built-in logo is not a 256-pixel-wide picture\n");
            img_destroy(&logo);
            return 1;
        }
        const std::string folder = std::string(argv[1]) + "/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
        const std::string path = folder + "/vort7131.png";
        const std::vector<uint8_t> bytes = png(argb, size);
        FILE* file = make_folders(folder) ? std::fopen(path.c_str(), "wb") : nullptr;
        if (file == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() ||
            std::fclose(file) != 0) {
            std::fprintf(stderr, "tool_icon: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
            img_destroy(&logo);
            return 1;
        }
    }
    img_destroy(&logo);
    return 0;
}

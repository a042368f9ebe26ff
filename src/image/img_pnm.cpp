// IMG: PNM readers and writers and the bracketed "IMG{" text form. Decoding itself is
// shared with BYTEMAP (pnm.h); this file supplies the sink that makes 32-bit pixels.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "image/img.h"
#include "image/img_internal.h"
#include "image/pnm.h"

namespace {

constexpr size_t FILE_LIMIT = size_t{1} << 31;  // larger files cannot hold a picture we accept
constexpr size_t READ_CHUNK = size_t{1} << 16;

bool sink_begin(void* context, int, int32_t width, int32_t height) {
    Img** out = static_cast<Img**>(context);
    *out = img_make(width, height);
    return *out != nullptr;
}

// Samples are kept whole: a P3 green of 256 reaches bit 16. Shifts are on uint32, so
// anything past bit 31 simply drops off.
void sink_pixel(void* context, int64_t index, int, uint32_t r, uint32_t g, uint32_t b) {
    Img* img = *static_cast<Img**>(context);
    img->pixels[index] = (r << 16) | (g << 8) | b;
}

// Runs one decode into a new image; on failure nothing is left behind and the error is reported.
template <typename Decode>
Img* decode_image(Decode decode) {
    Img* img = nullptr;
    const PnmSink sink{sink_begin, sink_pixel, &img};
    if (!decode(sink)) {
        if (img != nullptr) img_destroy(&img);
        img_report();
        return nullptr;
    }
    return img;
}

// Whole file into a new buffer (caller frees); null on any read error or when too large.
unsigned char* read_whole_file(const char* path, size_t& size) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return nullptr;
    size_t capacity = READ_CHUNK;
    size_t used = 0;
    unsigned char* buffer = static_cast<unsigned char*>(std::calloc(capacity, 1));
    while (buffer != nullptr) {
        if (used == capacity) {
            if (capacity >= FILE_LIMIT) {
                std::free(buffer);
                buffer = nullptr;
                break;
            }
            unsigned char* grown = static_cast<unsigned char*>(std::realloc(buffer, capacity * 2));
            if (grown == nullptr) {
                std::free(buffer);
                buffer = nullptr;
                break;
            }
            buffer = grown;
            capacity *= 2;
        }
        const size_t got = std::fread(buffer + used, 1, capacity - used, file);
        used += got;
        if (got == 0) {
            if (std::ferror(file)) {
                std::free(buffer);
                buffer = nullptr;
            }
            break;
        }
    }
    std::fclose(file);
    size = used;
    return buffer;
}

// "%3d " without the formatter: v is a channel, 0..255.
char* put_field(char* out, uint32_t v) {
    out[0] = v >= 100 ? static_cast<char>('0' + v / 100) : ' ';
    out[1] = v >= 10 ? static_cast<char>('0' + v / 10 % 10) : ' ';
    out[2] = static_cast<char>('0' + v % 10);
    out[3] = ' ';
    return out + 4;
}

}  // namespace

Img* img_load_pnm_sized(const unsigned char* data, size_t size) {
    if (data == nullptr) {
        img_report();
        return nullptr;
    }
    return decode_image([&](const PnmSink& sink) { return pnm_decode(data, size, PnmRules::block, sink); });
}

Img* img_load_pnm(const unsigned char* block) {
    // A built-in block carries no length: its header is trusted to match its data.
    return img_load_pnm_sized(block, static_cast<size_t>(PTRDIFF_MAX));
}

Img* img_load_file(const char* path) {
    if (path == nullptr) {
        img_report();
        return nullptr;
    }
    size_t size = 0;
    unsigned char* data = read_whole_file(path, size);
    if (data == nullptr) {
        img_report();
        return nullptr;
    }
    Img* img = decode_image([&](const PnmSink& sink) { return pnm_decode(data, size, PnmRules::file, sink); });
    std::free(data);
    return img;
}

int img_write_p6(const Img* img, const char* path) {
    if (!img_usable(img) || path == nullptr || img->width == 0 || img->height == 0) {
        img_report();
        return 0;
    }
    std::FILE* file = std::fopen(path, "w");
    if (file == nullptr) {
        img_report();
        return 0;
    }
    const size_t width = static_cast<size_t>(img->width);
    unsigned char* row = static_cast<unsigned char*>(std::calloc(width, 3));
    bool ok = row != nullptr && std::fprintf(file, "P6\n%d %d\n255\n", img->width, img->height) > 0;
    for (int32_t y = 0; ok && y < img->height; ++y) {
        const uint32_t* p = img->pixels + static_cast<size_t>(y) * width;
        for (size_t x = 0; x < width; ++x) {
            row[3 * x] = static_cast<unsigned char>(p[x] >> 16);
            row[3 * x + 1] = static_cast<unsigned char>(p[x] >> 8);
            row[3 * x + 2] = static_cast<unsigned char>(p[x]);
        }
        ok = std::fwrite(row, 3, width, file) == width;
    }
    std::free(row);
    // A write that did not reach the disk is a failure, not a success.
    if (std::fclose(file) != 0) ok = false;
    if (!ok) {
        img_report();
        return 0;
    }
    return 1;
}

char* img_to_text(const Img* img) {
    if (!img_usable(img)) {
        img_report();
        return nullptr;
    }
    const size_t n = img_pixel_count(img);
    if (n == 0) {
        char* empty = static_cast<char*>(std::calloc(6, 1));
        if (empty == nullptr) {
            img_report();
            return nullptr;
        }
        std::memcpy(empty, "IMG{}", 6);
        return empty;
    }
    // 12 characters a pixel, the header and the closing lines fit in the rest: an image
    // of at most MAX_PIXELS pixels has at most 9 digits of width and height together.
    const size_t capacity = 12 * n + n / 6 + 29;
    char* text = static_cast<char*>(std::calloc(capacity, 1));
    if (text == nullptr) {
        img_report();
        return nullptr;
    }
    const int header = std::snprintf(text, capacity, "IMG{\nP3\n%d %d\n255\n", img->width, img->height);
    char* out = text + header;
    for (size_t i = 0; i < n; ++i) {
        const uint32_t p = img->pixels[i];
        out = put_field(out, (p >> 16) & 0xFF);
        out = put_field(out, (p >> 8) & 0xFF);
        out = put_field(out, p & 0xFF);
        if (i % 6 == 5) out[-1] = '\n';  // six pixels a line
    }
    out[-1] = '\n';
    out[0] = '}';
    out[1] = '\n';
    out[2] = '\0';
    return text;
}

Img* img_from_text(const char* text) {
    if (text == nullptr) {
        img_report();
        return nullptr;
    }
    return decode_image([&](const PnmSink& sink) { return pnm_decode_text(text, "IMG", sink); });
}

// PNM reading shared by IMG and BYTEMAP. Every read is bounded by the input's length:
// a truncated header or data fails the load, a stray printable header byte is consumed
// and fails it, and numbers that would not fit are refused before they overflow.
#include "image/pnm.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/limits.h"

namespace {

constexpr uint32_t HEADER_NUMBER_MAX = 0x7FFFFFFFu;  // sizes must fit int32
constexpr uint32_t SAMPLE_MAX = 0xFFFFFFFFu;         // ASCII samples are kept whole in 32 bits
constexpr uint32_t SET_SAMPLE = 255;                 // a set bit of a 1-bit type

constexpr bool is_digit(unsigned c) { return c >= '0' && c <= '9'; }

// Accumulates the digits at data[pos..size) into value, leaving pos on the byte that ended
// them; false (pos undefined) when the value would pass limit.
bool read_digits(const unsigned char* data, size_t size, size_t& pos, uint32_t limit, uint32_t& value) {
    uint32_t v = 0;
    while (pos < size && is_digit(data[pos])) {
        const uint32_t digit = data[pos] - static_cast<uint32_t>('0');
        if (v > (limit - digit) / 10) return false;
        v = v * 10 + digit;
        ++pos;
    }
    value = v;
    return true;
}

// Skips non-digits, then reads one whole number; false at the end of the input or on overflow.
bool next_number(const unsigned char* data, size_t size, size_t& pos, uint32_t& value) {
    while (pos < size && !is_digit(data[pos])) ++pos;
    if (pos >= size) return false;
    return read_digits(data, size, pos, SAMPLE_MAX, value);
}

struct Header {
    int type;        // 1..6
    int64_t width;   // rounded up to a multiple of 8 for 1-bit block types
    int64_t height;
    size_t data;     // offset of the first data byte, at most the input size
};

// The header scan: runs until magic, width, height and maxval are all known (1-bit types
// have no maxval). The byte that ended the last header token is the one separator before
// the data, so data whose first byte looks like whitespace is still read as data.
bool scan_header(const unsigned char* data, size_t size, PnmRules rules, Header& header) {
    bool magic = false;
    bool have_width = false;
    bool have_height = false;
    bool have_maxval = false;
    bool ended_on_magic = false;
    uint32_t width = 0;
    uint32_t height = 0;
    int type = 0;
    size_t pos = 0;
    while (!(magic && have_width && have_height && have_maxval)) {
        if (pos >= size) return false;
        const unsigned c = data[pos];
        if (c < 0x21 || c > 0x7E) {
            ++pos;
        } else if (c == '#') {
            while (pos < size && data[pos] != '\n') ++pos;
            if (pos < size) ++pos;
        } else if (c == 'P' && !magic) {
            if (pos + 1 >= size) return false;
            const unsigned digit = data[pos + 1];
            pos += 2;
            if (digit < '1' || digit > '6') return false;
            type = static_cast<int>(digit - '0');
            magic = true;
            if (type == 1 || type == 4) have_maxval = true;
            ended_on_magic = true;
        } else if (!is_digit(c)) {
            return false;  // stray printable byte (or a second P): consumed, the load fails
        } else {
            uint32_t value = 0;
            if (!read_digits(data, size, pos, HEADER_NUMBER_MAX, value)) return false;
            if (!have_width) {
                width = value;
                have_width = true;
            } else if (!have_height) {
                height = value;
                have_height = true;
            } else {
                have_maxval = true;  // the maxval is read but not used; numbers past it are ignored
            }
            ended_on_magic = false;
        }
    }
    // A block's data starts one byte past where the scan stopped; the file reader takes
    // bytes one by one, so after a number its terminator is already consumed, but after
    // the magic nothing more is.
    size_t start = pos + 1;
    if (rules == PnmRules::file && ended_on_magic) start = pos;
    header.type = type;
    header.width = width;
    header.height = height;
    header.data = start < size ? start : size;
    if (rules == PnmRules::block && (type == 1 || type == 4)) header.width = (header.width + 7) & ~int64_t{7};
    return true;
}

}  // namespace

bool pnm_decode(const unsigned char* data, size_t size, PnmRules rules, const PnmSink& sink) {
    if (data == nullptr || sink.begin == nullptr || sink.pixel == nullptr) return false;
    Header header{};
    if (!scan_header(data, size, rules, header)) return false;
    const int64_t width = header.width;
    const int64_t height = header.height;
    if (width == 0 || height == 0) return false;
    if (width * height > MAX_PIXELS) return false;
    const int64_t count = width * height;
    const int type = header.type;
    const size_t remaining = size - header.data;
    const unsigned char* in = data + header.data;

    // Enough bytes for every pixel? Binary types know exactly; each ASCII sample needs at
    // least one digit, so fewer bytes than samples can never succeed.
    const uint64_t row_bytes = static_cast<uint64_t>((width + 7) / 8);
    uint64_t need = 0;
    switch (type) {
        case 6: need = static_cast<uint64_t>(count) * 3; break;
        case 5: need = static_cast<uint64_t>(count); break;
        case 4: need = rules == PnmRules::block ? static_cast<uint64_t>(count) / 8 : row_bytes * static_cast<uint64_t>(height); break;
        case 3: need = static_cast<uint64_t>(count) * 3; break;
        default: need = static_cast<uint64_t>(count); break;  // P2 and P1: one sample a pixel
    }
    if (remaining < need) return false;

    if (!sink.begin(sink.context, type, static_cast<int32_t>(width), static_cast<int32_t>(height))) return false;

    size_t pos = 0;
    switch (type) {
        case 6:
            for (int64_t i = 0; i < count; ++i, pos += 3) sink.pixel(sink.context, i, type, in[pos], in[pos + 1], in[pos + 2]);
            return true;
        case 5:
            for (int64_t i = 0; i < count; ++i) sink.pixel(sink.context, i, type, in[i], in[i], in[i]);
            return true;
        case 4:
            if (rules == PnmRules::block) {
                // Bits run on continuously; the rounded width makes every row whole bytes.
                for (int64_t i = 0; i < count; ++i) {
                    const uint32_t v = ((in[i >> 3] >> (7 - (i & 7))) & 1u) ? SET_SAMPLE : 0;
                    sink.pixel(sink.context, i, type, v, v, v);
                }
            } else {
                int64_t i = 0;
                for (int64_t y = 0; y < height; ++y) {
                    const unsigned char* row = in + static_cast<size_t>(y) * row_bytes;
                    for (int64_t x = 0; x < width; ++x, ++i) {
                        const uint32_t v = ((row[x >> 3] >> (7 - (x & 7))) & 1u) ? SET_SAMPLE : 0;
                        sink.pixel(sink.context, i, type, v, v, v);
                    }
                }
            }
            return true;
        case 3:
            for (int64_t i = 0; i < count; ++i) {
                uint32_t r = 0;
                uint32_t g = 0;
                uint32_t b = 0;
                if (!next_number(in, remaining, pos, r) || !next_number(in, remaining, pos, g) ||
                    !next_number(in, remaining, pos, b))
                    return false;
                sink.pixel(sink.context, i, type, r, g, b);
            }
            return true;
        case 2:
            for (int64_t i = 0; i < count; ++i) {
                uint32_t v = 0;
                if (!next_number(in, remaining, pos, v)) return false;
                sink.pixel(sink.context, i, type, v, v, v);
            }
            return true;
        default:  // P1
            for (int64_t i = 0; i < count; ++i) {
                uint32_t v = 0;
                if (rules == PnmRules::block) {
                    // One digit character per pixel, so "01" is two pixels.
                    while (pos < remaining && !is_digit(in[pos])) ++pos;
                    if (pos >= remaining) return false;
                    v = in[pos++] - static_cast<uint32_t>('0');
                } else if (!next_number(in, remaining, pos, v)) {
                    return false;
                }
                const uint32_t s = v != 0 ? SET_SAMPLE : 0;
                sink.pixel(sink.context, i, type, s, s, s);
            }
            return true;
    }
}

namespace {

// Digits of a NUL-terminated text: pos stops on the first non-digit (possibly the NUL).
bool text_digits(const char* text, size_t& pos, uint32_t limit, uint32_t& value) {
    uint32_t v = 0;
    while (is_digit(static_cast<unsigned char>(text[pos]))) {
        const uint32_t digit = static_cast<unsigned char>(text[pos]) - static_cast<uint32_t>('0');
        if (v > (limit - digit) / 10) return false;
        v = v * 10 + digit;
        ++pos;
    }
    value = v;
    return true;
}

// One separator byte, unless it is the terminating NUL.
void text_separator(const char* text, size_t& pos) {
    if (text[pos] != '\0') ++pos;
}

}  // namespace

bool pnm_decode_text(const char* text, const char* marker, const PnmSink& sink) {
    if (text == nullptr || marker == nullptr || sink.begin == nullptr || sink.pixel == nullptr) return false;
    const char* at = std::strstr(text, marker);
    if (at == nullptr) return false;
    at = std::strchr(at + std::strlen(marker), '{');
    if (at == nullptr) return false;
    at = std::strstr(at + 1, "P3\n");
    if (at == nullptr) return false;
    at += 3;

    size_t pos = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    if (!text_digits(at, pos, HEADER_NUMBER_MAX, width)) return false;
    text_separator(at, pos);
    if (!text_digits(at, pos, HEADER_NUMBER_MAX, height)) return false;
    text_separator(at, pos);
    while (is_digit(static_cast<unsigned char>(at[pos]))) ++pos;  // maxval, unused
    text_separator(at, pos);

    const int32_t w = static_cast<int32_t>(width);
    const int32_t h = static_cast<int32_t>(height);
    if (!size_ok(w, h)) return false;
    if (!sink.begin(sink.context, 3, w, h)) return false;
    const int64_t count = int64_t{w} * h;
    for (int64_t i = 0; i < count; ++i) {
        // Past the text's end every sample is 0, as begin() made them: a few bytes that
        // promise a huge picture must not cost a walk over all of it.
        if (at[pos] == '\0') break;
        uint32_t rgb[3] = {0, 0, 0};
        for (uint32_t& sample : rgb) {
            while (at[pos] != '\0' && !is_digit(static_cast<unsigned char>(at[pos]))) ++pos;
            if (!text_digits(at, pos, SAMPLE_MAX, sample)) return false;  // at the NUL: 0
        }
        sink.pixel(sink.context, i, 3, rgb[0], rgb[1], rgb[2]);
    }
    return true;
}

unsigned char* pnm_read_file(const char* path, size_t limit, size_t& size) {
    constexpr size_t FIRST_CHUNK = size_t{1} << 16;
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return nullptr;
    size_t capacity = FIRST_CHUNK;
    size_t used = 0;
    auto* buffer = static_cast<unsigned char*>(std::malloc(capacity));
    while (buffer != nullptr) {
        used += std::fread(buffer + used, 1, capacity - used, file);
        if (used < capacity) break;  // the end, or an error (checked below)
        // Full: a file this long may go on, and one of limit bytes is refused.
        auto* grown = capacity >= limit ? nullptr : static_cast<unsigned char*>(std::realloc(buffer, capacity * 2));
        if (grown == nullptr) std::free(buffer);
        buffer = grown;
        capacity *= 2;
    }
    if (buffer != nullptr && (std::ferror(file) || used >= limit)) {
        std::free(buffer);
        buffer = nullptr;
    }
    std::fclose(file);
    size = used;
    return buffer;
}

// Builds a sample from the input (the first byte picks the raw writer's width and byte
// order, the second is a byte-order letter, then four bytes a value, at most 512 values)
// and sends it out and back:
// - through the "SAMPLE{" text: the same count and every value, exactly;
// - through raw data, written in the chosen width (8, 16, 24, 32) and byte order ('b', 'l'
//   or the input's letter, which the writer takes as 'l' unless it is 'b'), read in every
//   form the reader has. The raw forms are lossy by design, so "the same values" means:
//   * 8 and 16 bits, read at the written width: the reader's value plus its bias (32768 for
//     sign 'u', 0 for 's') is the written value clamped to the width, as an unsigned field,
//     placed in the high byte at 8 bits; at 16 bits the reader's order that names the
//     writer's first byte as the high byte ('l' for the writer's 'b', 'b' for the others)
//     gives it as written, the other order gives it with its two bytes swapped;
//   * 24 and 32 bits, which the reader does not take as values: read byte by byte (8 bits,
//     'b', 's'), the bytes reassembled in the writer's order give the value clamped to 24
//     bits, or at 32 bits the value itself (-2147483648 comes back as -2147483647).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz_support.h"
#include "sound/sample.h"

namespace {

constexpr size_t MAX_VALUES = 512;  // 2048 bytes at 32 bits: past the reader's first 1024 values
constexpr uint32_t UNSIGNED_BIAS = 32768;
constexpr int32_t WRITER_WIDTHS[4] = {8, 16, 24, 32};

int32_t clamp(int32_t v, int32_t low, int32_t high) { return v < low ? low : (v > high ? high : v); }

// The raw bytes sample_write_raw gives; empty when it wrote nothing.
struct RawBytes {
    char* data = nullptr;
    size_t size = 0;
    RawBytes() = default;
    RawBytes(const RawBytes&) = delete;
    RawBytes& operator=(const RawBytes&) = delete;
    ~RawBytes() { std::free(data); }
};

bool write_raw(const Sample* sample, int32_t width, char order, RawBytes& out) {
    std::FILE* stream = open_memstream(&out.data, &out.size);
    if (stream == nullptr) return false;
    sample_write_raw(sample, stream, width, order);
    return std::fclose(stream) == 0;
}

// The reader's sample of the bytes, or null when they cannot be streamed.
Sample* read_raw(RawBytes& raw, int32_t width, char order, char sign) {
    static char empty[1];
    std::FILE* stream = fmemopen(raw.size != 0 ? raw.data : empty, raw.size, "r");
    if (stream == nullptr) return nullptr;
    Sample* sample = sample_read_raw(stream, width, order, sign);
    std::fclose(stream);
    return sample;
}

void check_text(const Sample* sample) {
    char* text = sample_to_text(sample);
    fuzz_check(text != nullptr, "sample_to_text failed");
    Sample* back = sample_from_text(text);
    std::free(text);
    fuzz_check(back != nullptr && back->count == sample->count, "sample -> text -> sample: count");
    for (int32_t i = 0; i < sample->count; ++i)
        fuzz_check(back->buffer[i] == sample->buffer[i], "sample -> text -> sample: value");
    sample_destroy(&back);
}

// 8 or 16 bits, read back at the written width in both orders and both signs.
void check_narrow(const Sample* sample, int32_t width, bool written_big, RawBytes& raw) {
    for (const char order : {'b', 'l'}) {
        for (const char sign : {'s', 'u'}) {
            Sample* back = read_raw(raw, width, order, sign);
            if (back == nullptr) continue;  // no stream: nothing to compare
            fuzz_check(back->count == sample->count, "sample -> raw -> sample: count");
            const uint32_t bias = sign == 'u' ? UNSIGNED_BIAS : 0;
            const bool as_written = (order == 'l') == written_big;
            for (int32_t i = 0; i < sample->count; ++i) {
                const uint32_t got = static_cast<uint32_t>(back->buffer[i]) + bias;
                const int32_t v = sample->buffer[i];
                uint32_t want = 0;
                if (width == 8) {
                    want = static_cast<uint32_t>(static_cast<uint8_t>(clamp(v, INT8_MIN, INT8_MAX))) << 8;
                } else {
                    const uint32_t field = static_cast<uint16_t>(clamp(v, INT16_MIN, INT16_MAX));
                    want = as_written ? field : ((field & 0xFFu) << 8) | (field >> 8);
                }
                fuzz_check(got == want, "sample -> raw -> sample: 8/16-bit value");
            }
            sample_destroy(&back);
        }
    }
}

// 24 or 32 bits, read back byte by byte and reassembled in the writer's order.
void check_wide(const Sample* sample, int32_t width, bool written_big, RawBytes& raw) {
    Sample* back = read_raw(raw, 8, 'b', 's');
    if (back == nullptr) return;
    const int32_t bytes = width / 8;
    fuzz_check(back->count == sample->count * bytes, "sample -> raw -> bytes: count");
    for (int32_t i = 0; i < sample->count; ++i) {
        uint32_t field = 0;
        for (int32_t k = 0; k < bytes; ++k) {
            const uint32_t byte = static_cast<uint32_t>(back->buffer[i * bytes + k]) >> 8;
            field |= byte << (8 * (written_big ? bytes - 1 - k : k));
        }
        const int32_t v = sample->buffer[i];
        int32_t got = 0;
        int32_t want = 0;
        if (width == 24) {
            got = static_cast<int32_t>(field << 8) >> 8;  // sign-extend the 24-bit field
            want = clamp(v, -8388608, 8388607);
        } else {
            got = static_cast<int32_t>(field);
            want = v == INT32_MIN ? -INT32_MAX : v;
        }
        fuzz_check(got == want, "sample -> raw -> bytes: 24/32-bit value");
    }
    sample_destroy(&back);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzBytes in{data, size, 0};
    const uint8_t form = in.byte();
    const int32_t width = WRITER_WIDTHS[form & 3];
    const char letter = static_cast<char>(in.byte());
    const char order = (form & 4) != 0 ? letter : (form & 8) != 0 ? 'l' : 'b';
    size_t count = size > 2 ? (size - 2) / 4 : 0;
    if (count > MAX_VALUES) count = MAX_VALUES;
    Sample* sample = sample_create();
    if (sample == nullptr) return 0;
    sample_set_length(sample, static_cast<int32_t>(count));
    fuzz_check(sample->count == static_cast<int32_t>(count), "sample_set_length to a small length");
    for (size_t i = 0; i < count; ++i) sample->buffer[i] = static_cast<int32_t>(in.word());

    check_text(sample);
    RawBytes raw;
    if (write_raw(sample, width, order, raw)) {
        fuzz_check(raw.size == count * static_cast<size_t>(width / 8), "sample_write_raw: byte count");
        if (width <= 16) {
            check_narrow(sample, width, order == 'b', raw);
        } else {
            check_wide(sample, width, order == 'b', raw);
        }
    }
    sample_destroy(&sample);
    return 0;
}

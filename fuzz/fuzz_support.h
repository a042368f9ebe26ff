#pragma once
// What the fuzz targets share: a failure that stops the run with a reason, a NUL-terminated
// copy of the input for the text readers, a cursor that turns input bytes into values, a
// scratch file for the path-taking readers and writers, and a sink that records what the
// PNM decoder hands out, to compare the readers' results against.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "image/pnm.h"

// A broken promise of a reader or writer: says which, then aborts so the fuzzer (or the
// replay under the test build) stops on this input.
[[noreturn]] inline void fuzz_fail(const char* what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

inline void fuzz_check(bool ok, const char* what) {
    if (!ok) fuzz_fail(what);
}

// The input as a NUL-terminated string (it may hold NULs of its own; the readers stop at the first).
class FuzzText {
public:
    FuzzText(const uint8_t* data, size_t size) : text_(static_cast<char*>(std::calloc(size + 1, 1))) {
        if (text_ != nullptr && size != 0) std::memcpy(text_, data, size);
    }
    ~FuzzText() { std::free(text_); }
    FuzzText(const FuzzText&) = delete;
    FuzzText& operator=(const FuzzText&) = delete;
    const char* get() const { return text_; }

private:
    char* text_;
};

// Reads the input front to back; past its end every byte is 0, so any input makes a value.
struct FuzzBytes {
    const uint8_t* data;
    size_t size;
    size_t pos;

    uint8_t byte() { return pos < size ? data[pos++] : 0; }
    uint32_t word() {  // four bytes, least significant first
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(byte()) << (8 * i);
        return v;
    }
};

// One scratch file per process, in memory (never on disk, gone with the process), named by a
// path so the readers and writers that take paths can use it. Null if it cannot be made.
inline const char* fuzz_scratch_path() {
    static char path[64] = "";
    if (path[0] == '\0') {
        const int fd = memfd_create("fuzz_scratch", 0);
        if (fd < 0) return nullptr;
        std::snprintf(path, sizeof(path), "/proc/self/fd/%d", fd);
    }
    return path;
}

// Replaces the scratch file's content with data[0 .. size); its path, or null on failure.
inline const char* fuzz_scratch_write(const uint8_t* data, size_t size) {
    const char* path = fuzz_scratch_path();
    if (path == nullptr) return nullptr;
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) return nullptr;
    const bool ok = std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0 || !ok) return nullptr;
    return path;
}

// Keeps the samples the decoder passes for each pixel, unless the picture is larger than
// `limit` pixels (the text form makes huge pictures from a few bytes): then it refuses the
// picture and sets too_big, and the caller skips its comparison.
struct PnmRecord {
    int type = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool too_big = false;
    std::vector<uint32_t> rgb;  // three samples a pixel
    int64_t limit = int64_t{1} << 20;

    PnmSink sink() { return PnmSink{begin, pixel, this}; }

private:
    static bool begin(void* context, int type, int32_t width, int32_t height) {
        auto* self = static_cast<PnmRecord*>(context);
        const int64_t count = int64_t{width} * height;
        if (count > self->limit) {
            self->too_big = true;
            return false;
        }
        self->type = type;
        self->width = width;
        self->height = height;
        self->rgb.assign(static_cast<size_t>(count) * 3, 0);
        return true;
    }
    static void pixel(void* context, int64_t index, int, uint32_t r, uint32_t g, uint32_t b) {
        auto* self = static_cast<PnmRecord*>(context);
        const size_t at = static_cast<size_t>(index) * 3;
        fuzz_check(at + 2 < self->rgb.size(), "the decoder passed a pixel beyond the size it announced");
        self->rgb[at] = r;
        self->rgb[at + 1] = g;
        self->rgb[at + 2] = b;
    }
};

// The cell a byte map keeps for one decoded pixel: colour types average, grey types keep the
// low 8 bits, 1-bit types give 255 or 0.
inline uint8_t fuzz_bytemap_cell(int type, uint32_t r, uint32_t g, uint32_t b) {
    switch (type) {
        case 3:
        case 6: return static_cast<uint8_t>((uint64_t{r} + g + b) / 3);
        case 1:
        case 4: return r != 0 ? 255 : 0;
        default: return static_cast<uint8_t>(r);
    }
}

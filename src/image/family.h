#pragma once
// The image family's two records, Img and Bytemap, share one shape: placement, width,
// height and an owned buffer of cells. This header writes once what they share besides the
// geometry of grid.h: a view of each record, its life cycle and its PNM files and text form.
// Private to the image library. Nothing here reports: the calling module prints its own
// error line.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "common/limits.h"
#include "image/bytemap.h"
#include "image/grid.h"
#include "image/img.h"
#include "image/pnm.h"

// What sets each record apart: its cell type and buffer, and how its cells meet PNM data.
template <typename Record>
struct Family;
template <>
struct Family<Img> {
    using Cell = uint32_t;
    static constexpr Cell* Img::*cells = &Img::pixels;
    static constexpr const char* TEXT_MARKER = "IMG";
    static constexpr int BINARY_TYPE = 6;  // written as P6: red, green, blue bytes
    static constexpr int BINARY_CHANNELS = 3;
    // Samples are kept whole: a P3 green of 256 reaches bit 16. Shifts are on uint32, so
    // anything past bit 31 simply drops off.
    static Cell from_samples(int, uint32_t r, uint32_t g, uint32_t b) { return (r << 16) | (g << 8) | b; }
    static uint32_t rgb(Cell pixel) { return pixel & 0x00FFFFFFu; }  // 0x00RRGGBB as written
};
template <>
struct Family<Bytemap> {
    using Cell = uint8_t;
    static constexpr Cell* Bytemap::*cells = &Bytemap::cells;
    static constexpr const char* TEXT_MARKER = "BYTEMAP";
    static constexpr int BINARY_TYPE = 5;  // written as P5: one byte a cell
    static constexpr int BINARY_CHANNELS = 1;
    // Colour becomes the plain average of its samples, a bit 255 or 0, grey its low 8 bits.
    static Cell from_samples(int type, uint32_t r, uint32_t g, uint32_t b) {
        if (type == 3 || type == 6) return static_cast<Cell>((uint64_t{r} + g + b) / 3);
        if (type == 1 || type == 4) return r != 0 ? 255 : 0;
        return static_cast<Cell>(r);
    }
    static uint32_t rgb(Cell cell) { return cell; }  // text form: red and green 0, blue the cell
};

// The view of a record: cells of a const record are read-only.
template <typename Record>
using FamilyOf = Family<std::remove_const_t<Record>>;
template <typename Record>
using GridOf = Grid<std::conditional_t<std::is_const_v<Record>, const typename FamilyOf<Record>::Cell,
                                       typename FamilyOf<Record>::Cell>>;

// Record and buffer present, sizes within limits: a view over the cells; otherwise a view
// with no cells, which every grid operation refuses.
template <typename Record>
GridOf<Record> record_grid(Record* record) {
    if (record == nullptr) return {};
    const auto cells = record->*FamilyOf<Record>::cells;
    if (cells == nullptr || !size_ok(record->width, record->height)) return {};
    return {record->width, record->height, cells};
}

// Buffers start on a cache line: the whole-row vector loops then never split a store across
// two lines (on a buffer 16 bytes off, every other 32-byte store does, and a full-frame pass
// takes a third longer).
inline constexpr size_t CELLS_ALIGNMENT = 64;

// Zero-filled buffer for width x height cells, on a cache line, freed with std::free; null
// when the size is refused or memory is short. An empty record still owns a one-cell buffer,
// so "no buffer" always means "unusable" and never "empty".
template <typename Record>
typename Family<Record>::Cell* record_alloc_cells(int32_t width, int32_t height) {
    using Cell = typename Family<Record>::Cell;
    if (!size_ok(width, height)) return nullptr;
    size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (n == 0) n = 1;
    // aligned_alloc wants a whole number of alignments.
    const size_t bytes = (n * sizeof(Cell) + CELLS_ALIGNMENT - 1) / CELLS_ALIGNMENT * CELLS_ALIGNMENT;
    void* cells = std::aligned_alloc(CELLS_ALIGNMENT, bytes);
    if (cells != nullptr) std::memset(cells, 0, bytes);
    return static_cast<Cell*>(cells);
}

// A new all-0 record of width x height in one step; null (nothing leaked) when the size is
// refused or memory is short.
template <typename Record>
Record* record_make(int32_t width, int32_t height) {
    Record* record = static_cast<Record*>(std::calloc(1, sizeof(Record)));
    if (record == nullptr) return nullptr;
    record->*Family<Record>::cells = record_alloc_cells<Record>(width, height);
    if (record->*Family<Record>::cells == nullptr) {
        std::free(record);
        return nullptr;
    }
    record->width = width;
    record->height = height;
    return record;
}

// A new all-0 buffer of the new size; false (the old buffer kept) when refused or short.
template <typename Record>
bool record_resize(Record* record, int32_t width, int32_t height) {
    if (record == nullptr) return false;
    auto* cells = record_alloc_cells<Record>(width, height);
    if (cells == nullptr) return false;
    std::free(record->*Family<Record>::cells);
    record->*Family<Record>::cells = cells;
    record->width = width;
    record->height = height;
    return true;
}

// Frees buffer and record and sets *record to null; false for a null address or record.
template <typename Record>
bool record_destroy(Record** record) {
    if (record == nullptr || *record == nullptr) return false;
    std::free((*record)->*Family<Record>::cells);
    std::free(*record);
    *record = nullptr;
    return true;
}

// A new record with the same size and cells; null when unusable or short of memory.
template <typename Record>
Record* record_clone(const Record* record) {
    const auto source = record_grid(record);
    if (source.cells == nullptr) return nullptr;
    Record* copy = record_make<Record>(source.width, source.height);
    if (copy != nullptr) grid_copy(source, record_grid(copy));
    return copy;
}

// A new record holding the source turned by angle (grid_rotate); null when unusable, too
// large or short of memory.
template <typename Record>
Record* record_rotate(const Record* record, int32_t angle) {
    const auto source = record_grid(record);
    int32_t width = 0;
    int32_t height = 0;
    if (source.cells == nullptr || !grid_rotated_size(source.width, source.height, width, height)) return nullptr;
    Record* rotated = record_make<Record>(width, height);
    if (rotated != nullptr) grid_rotate(source, record_grid(rotated), angle);
    return rotated;
}

// ---------------------------------------------------------------------------------------
// PNM files and the bracketed text form

namespace family_detail {

// Sink of the shared PNM decoder: makes the record, then stores one cell per pixel.
template <typename Record>
bool sink_begin(void* context, int, int32_t width, int32_t height) {
    auto** record = static_cast<Record**>(context);
    if (*record != nullptr) record_destroy(record);
    *record = record_make<Record>(width, height);
    return *record != nullptr;
}

template <typename Record>
void sink_pixel(void* context, int64_t index, int type, uint32_t r, uint32_t g, uint32_t b) {
    Record* record = *static_cast<Record**>(context);
    if (record == nullptr || index < 0 || index >= int64_t{record->width} * record->height) return;
    (record->*Family<Record>::cells)[index] = Family<Record>::from_samples(type, r, g, b);
}

// Runs decode(sink) into a new record; null, with nothing left behind, when it fails.
template <typename Record, typename Decode>
Record* decode(Decode run) {
    Record* record = nullptr;
    const PnmSink sink{sink_begin<Record>, sink_pixel<Record>, &record};
    if (!run(sink) && record != nullptr) record_destroy(&record);
    return record;
}

// "%3d " without the formatter: v is a channel, 0..255.
inline char* put_field(char* out, uint32_t v) {
    out[0] = v >= 100 ? static_cast<char>('0' + v / 100) : ' ';
    out[1] = v >= 10 ? static_cast<char>('0' + v / 10 % 10) : ' ';
    out[2] = static_cast<char>('0' + v % 10);
    out[3] = ' ';
    return out + 4;
}

}  // namespace family_detail

// A new record from PNM data under the block rules; null when data is null or the load fails.
template <typename Record>
Record* record_load_pnm(const unsigned char* data, size_t size) {
    if (data == nullptr) return nullptr;
    return family_detail::decode<Record>(
        [&](const PnmSink& sink) { return pnm_decode(data, size, PnmRules::block, sink); });
}

// A new record from a P1..P6 file of fewer than limit bytes; null on any failure.
template <typename Record>
Record* record_load_file(const char* path, size_t limit) {
    if (path == nullptr) return nullptr;
    size_t size = 0;
    unsigned char* data = pnm_read_file(path, limit, size);
    if (data == nullptr) return nullptr;
    Record* record = family_detail::decode<Record>(
        [&](const PnmSink& sink) { return pnm_decode(data, size, PnmRules::file, sink); });
    std::free(data);
    return record;
}

// A new record from the bracketed text form; null when text is null or the load fails.
template <typename Record>
Record* record_from_text(const char* text) {
    if (text == nullptr) return nullptr;
    return family_detail::decode<Record>(
        [&](const PnmSink& sink) { return pnm_decode_text(text, Family<Record>::TEXT_MARKER, sink); });
}

// The binary file (P6 for the image, P5 for the byte map), opened with mode "w"; false when
// the record is unusable or empty, the path null, or anything fails up to the close.
template <typename Record>
bool record_write_binary(const Record* record, const char* path) {
    const auto g = record_grid(record);
    if (g.cells == nullptr || path == nullptr || g.width == 0 || g.height == 0) return false;
    std::FILE* file = std::fopen(path, "w");
    if (file == nullptr) return false;
    constexpr int channels = Family<Record>::BINARY_CHANNELS;
    const size_t width = static_cast<size_t>(g.width);
    auto* row = static_cast<unsigned char*>(std::calloc(width, channels));
    bool ok = row != nullptr &&
              std::fprintf(file, "P%d\n%d %d\n255\n", Family<Record>::BINARY_TYPE, g.width, g.height) > 0;
    for (int32_t y = 0; ok && y < g.height; ++y) {
        const auto* cells = grid_detail::at(g, 0, y);
        for (size_t x = 0; x < width; ++x) {
            const uint32_t rgb = Family<Record>::rgb(cells[x]);
            for (int k = 0; k < channels; ++k)  // most significant channel first
                row[channels * x + k] = static_cast<unsigned char>(rgb >> (8 * (channels - 1 - k)));
        }
        ok = std::fwrite(row, channels, width, file) == width;
    }
    std::free(row);
    // A write that did not reach the disk is a failure, not a success.
    if (std::fclose(file) != 0) ok = false;
    return ok;
}

// The bracketed text form: "MARKER{", a line feed, a P3 picture with six pixels a line and
// every sample in three columns, "}" and a line feed; "MARKER{}" for an empty record. A new
// string the caller frees with std::free; null when unusable or short of memory.
template <typename Record>
char* record_to_text(const Record* record) {
    const auto g = record_grid(record);
    if (g.cells == nullptr) return nullptr;
    const char* marker = Family<Record>::TEXT_MARKER;
    const size_t n = grid_detail::count(g);
    char header[64];  // the marker and two sizes of at most ten digits
    const int length =
        n == 0 ? std::snprintf(header, sizeof header, "%s{}", marker)
               : std::snprintf(header, sizeof header, "%s{\nP3\n%d %d\n255\n", marker, g.width, g.height);
    // 12 characters a pixel (the last one's closing space becomes a line feed), then "}\n".
    const size_t capacity = static_cast<size_t>(length) + (n == 0 ? 1 : 12 * n + 3);
    auto* text = static_cast<char*>(std::calloc(capacity, 1));
    if (text == nullptr) return nullptr;
    std::memcpy(text, header, static_cast<size_t>(length));
    if (n == 0) return text;
    char* out = text + length;
    for (size_t i = 0; i < n; ++i) {
        const uint32_t rgb = Family<Record>::rgb(g.cells[i]);
        out = family_detail::put_field(out, (rgb >> 16) & 0xFF);
        out = family_detail::put_field(out, (rgb >> 8) & 0xFF);
        out = family_detail::put_field(out, rgb & 0xFF);
        if (i % 6 == 5) out[-1] = '\n';  // six pixels a line
    }
    out[-1] = '\n';
    std::memcpy(out, "}\n", 3);
    return text;
}

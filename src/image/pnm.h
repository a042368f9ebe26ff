#pragma once
// PNM reading shared by IMG and BYTEMAP: the header scan and the per-type pixel decoding,
// bounded by the input's length so no input can make it stall or read past its end.
// Each module supplies a sink that turns decoded samples into its own cells.
#include <cstddef>
#include <cstdint>

// Which reader's rules apply (they differ in P4/P1 details and in where the header is).
enum class PnmRules {
    block,  // built-in block: P1/P4 width rounded up to a multiple of 8, bits continuous
    file,   // file: width not rounded, P4 rows padded to whole bytes, P1 whole numbers
};

struct PnmSink {
    // Called once the header is known (type 1..6, width and height >= 1, size checked
    // against MAX_PIXELS; the text form may pass a width or height of 0, an empty image);
    // makes a zero-filled picture, or returns false when it cannot (the load fails).
    bool (*begin)(void* context, int type, int32_t width, int32_t height);
    // Called once per pixel in row-major order with the raw samples: r = g = b = the value
    // for grey types; for 1-bit types 255 when set (non-zero), 0 when clear. The text form
    // stops calling at the text's end: the pixels after it stay 0.
    void (*pixel)(void* context, int64_t index, int type, uint32_t r, uint32_t g, uint32_t b);
    void* context;
};

// Decodes data[0 .. size) under the given rules; true when the header was complete and
// every pixel was read. On false the caller discards whatever begin() made. Header
// numbers beyond INT32_MAX and ASCII samples beyond 32 bits fail the load.
bool pnm_decode(const unsigned char* data, size_t size, PnmRules rules, const PnmSink& sink);

// The bracketed text form: finds marker ("IMG" or "BYTEMAP"), then "{", then "P3\n",
// reads width, height and maxval as the text reader does and then width * height P3
// triples, stopping at the terminating NUL. True when the markers were found and the
// image could be made (missing samples read as 0, pixels past the end are not passed;
// a sample beyond 32 bits fails).
bool pnm_decode_text(const char* text, const char* marker, const PnmSink& sink);

// Reads a whole file into a new buffer (caller frees with std::free) and stores its length;
// null when the file cannot be read or holds limit bytes or more.
unsigned char* pnm_read_file(const char* path, size_t limit, size_t& size);

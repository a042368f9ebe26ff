#pragma once
// SAMPLE: a growable array of signed 32-bit values (sounds and colour tables).
// Functions do nothing, or return 0, -1 or null, on a null record or buffer; nothing is
// ever printed.
#include <cstdint>
#include <cstdio>

#include "common/module_id.h"

struct Sample {
    int32_t count;     // values in use, 0 <= count <= capacity
    int32_t capacity;  // values the buffer holds
    int32_t* buffer;   // owned, zero-filled when allocated; may be null
};

extern const ModuleId sample_module_id;

// (Storage, arithmetic, text form and raw files: declared below by the SAMPLE module.)

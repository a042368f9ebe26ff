// Feeds arbitrary text to the "SAMPLE{" reader and arbitrary bytes to the raw reader in
// each of its forms. Whatever comes back must hold as many values as it says.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sound/sample.h"

namespace {

volatile int32_t value_sum;  // where the touched values go, so the reads are kept

void check(Sample* sample) {
    if (sample == nullptr) return;
    if (sample->count < 0 || sample->count > sample->capacity) std::abort();
    if (sample->count > 0 && sample->buffer == nullptr) std::abort();
    uint32_t sum = 0;
    for (int32_t i = 0; i < sample->count; ++i) sum += static_cast<uint32_t>(sample->buffer[i]);
    value_sum = static_cast<int32_t>(sum);
    sample_destroy(&sample);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    char* text = static_cast<char*>(std::calloc(size + 1, 1));
    if (text == nullptr) return 0;
    if (size != 0) std::memcpy(text, data, size);
    check(sample_from_text(text));
    std::free(text);

    if (size == 0) return 0;
    const int form = data[0] % 8;  // width 8/16, order b/l, sign s/u
    FILE* stream = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (stream == nullptr) return 0;
    check(sample_read_raw(stream, form & 1 ? 16 : 8, form & 2 ? 'l' : 'b', form & 4 ? 'u' : 's'));
    std::fclose(stream);
    return 0;
}

#pragma once
// Small builders shared by the sound tests.
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <vector>

#include "sound/sample.h"

namespace sound_test {

using V = std::vector<int32_t>;
using Bytes = std::vector<uint8_t>;

// A sample of `n` values, value q = f(q).
template <typename F>
Sample* block_of(int32_t n, F f) {
    Sample* s = sample_create();
    sample_set_length(s, n);
    for (int32_t q = 0; q < n; ++q) sample_set(s, f(q), q);
    return s;
}

inline Sample* make(std::initializer_list<int32_t> values) {
    return block_of(static_cast<int32_t>(values.size()), [&](int32_t q) { return values.begin()[q]; });
}

inline V values_of(const Sample* s) { return V(s->buffer, s->buffer + s->count); }

// Every byte from the stream's position to its end, and the stream closed; none without one.
inline Bytes drain(std::FILE* f) {
    Bytes out;
    for (int c = f != nullptr ? std::fgetc(f) : EOF; c != EOF; c = std::fgetc(f)) out.push_back(uint8_t(c));
    if (f != nullptr) std::fclose(f);
    return out;
}

// Samples destroyed when the holder goes out of scope.
struct Owned {
    std::vector<Sample*> all;
    Sample* operator()(Sample* s) {
        all.push_back(s);
        return s;
    }
    ~Owned() {
        for (Sample*& s : all) sample_destroy(&s);
    }
};

}  // namespace sound_test

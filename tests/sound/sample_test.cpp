#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <tuple>
#include <utility>

#include "sound/palette.h"
#include "sound/sample.h"
#include "sound_fixtures.h"

using sound_test::Bytes;
using sound_test::make;
using sound_test::V;
using sound_test::values_of;

namespace {

// The values of a sample, which is then destroyed; {-999} for no sample.
V taken(Sample* s) {
    sound_test::Owned own;
    return own(s) != nullptr ? values_of(s) : V{-999};
}

V parse(const char* text) { return taken(sample_from_text(text)); }

std::string text_of(std::initializer_list<int32_t> values) {
    sound_test::Owned own;
    char* text = sample_to_text(own(make(values)));
    std::string out = text != nullptr ? text : "(null)";
    std::free(text);
    return out;
}

}  // namespace

TEST(SampleStorage, LengthGrowsExactlyAndKeepsHiddenValuesCopyRangeMovesBothWays) {
    sound_test::Owned own;
    Sample* s = own(make({1, 2, 3}));
    sample_set_length(s, 40);  // past the capacity: exactly 40, old values kept, new ones 0
    EXPECT_EQ(V({s->capacity, sample_get(s, 2), sample_get(s, 39)}), (V{40, 3, 0}));
    sample_set(s, -9, 39);
    sample_set_length(s, 2);
    EXPECT_EQ(sample_get(s, 2), 0);  // outside the count now
    sample_set_length(s, 40);        // lengthening within the capacity brings them back
    EXPECT_EQ(V({sample_get(s, 2), sample_get(s, 39), sample_get(s, -1), sample_get(s, 40)}), (V{3, -9, 0, 0}));
    sample_set_length(s, -1);
    sample_set_length(s, INT32_MAX);  // its byte count passes int32: refused, nothing allocated
    EXPECT_EQ(s->count * 100 + s->capacity, 4040);

    Sample* r = own(make({1, 2, 3, 4, 5}));
    sample_copy_range(r, r, 4, 0, 1);  // up by one: no smearing of the first value
    EXPECT_EQ(values_of(r), (V{1, 1, 2, 3, 4}));
    sample_copy_range(r, r, 4, 1, 0);  // back down
    for (const auto& [n, from, to] : {std::tuple{2, 4, 0}, {2, -1, 0}, {2, 0, 4}}) sample_copy_range(r, r, n, from, to);
    EXPECT_EQ(values_of(r), (V{1, 2, 3, 4, 4}));  // runs that pass a count: refused
    Sample* d = own(make({0, 0, 0}));
    sample_copy_range(r, d, 2, 3, 1);
    EXPECT_EQ(values_of(d), (V{0, 4, 4}));
}

TEST(SampleStorage, InsertRemoveFindExtractCloneEqual) {
    sound_test::Owned own;
    Sample* s = own(make({1, 2, 3}));
    sample_reserve(s, 3);
    sample_insert(s, 9, 1);  // full: the capacity doubles
    EXPECT_EQ(values_of(s), (V{1, 9, 2, 3}));
    EXPECT_EQ(s->capacity, 6);
    sample_remove(s, 0);
    sample_insert_sample(s, s, 1);  // into itself: 9 [9 2 3] 2 3
    EXPECT_EQ(values_of(s), (V{9, 9, 2, 3, 2, 3}));
    EXPECT_EQ(V({sample_find(s, 2, 3), sample_find(s, 7, 0)}), (V{4, -1}));
    EXPECT_EQ(values_of(own(sample_extract(s, -5, 2))), (V{9, 9}));
    EXPECT_EQ(sample_extract(s, 3, 2), nullptr);
    Sample* copy = own(sample_clone(s));
    EXPECT_EQ(copy->capacity, 6);
    EXPECT_EQ(sample_equal(s, copy), 1);
    sample_set(copy, 0, 5);
    EXPECT_EQ(sample_equal(s, copy), 0);
    EXPECT_EQ(values_of(own(palette_create())), V(256, 0));  // the colour table's size, all black
}

TEST(SampleArithmetic, WrapsWithoutClippingRotatesModuloTheCountAndMatches) {
    const struct { V in; void (*op)(Sample*); V want; } cases[] = {
        {{INT32_MAX, -3, 5}, [](Sample* s) { sample_add(s, s); }, {-2, -6, 10}},  // doubles, wrapping
        {{7, -7, -1, -5}, [](Sample* s) { sample_shift_right(s, 2); }, {1, -2, -1, -2}},  // towards minus infinity
        {{1, 2, -1, 0}, [](Sample* s) { sample_shift_left(s, -1); }, {INT32_MIN, 0, INT32_MIN, 0}},  // by k & 31
        {{1, 2, 3}, [](Sample* s) { sample_shift_left(s, 32); sample_shift_right(s, 33); }, {1, 2, 3}},  // 0, refused
        {{1, 2, 3, 4, 5}, [](Sample* s) { sample_rotate_right(s, 3); }, {3, 4, 5, 1, 2}},
        {{1, 2, 3, 4, 5}, [](Sample* s) { sample_rotate_right(s, 8); }, {3, 4, 5, 1, 2}},
        {{1, 2, 3, 4, 5}, [](Sample* s) { sample_rotate_left(s, 7); }, {3, 4, 5, 1, 2}},
        {{1, 2, 3, 4, 5}, [](Sample* s) { sample_rotate_right(s, -2); }, {1, 2, 3, 4, 5}},  // k < 0: unchanged
        {{}, [](Sample* s) { sample_rotate_right(s, 3); }, {}},
        {{4, -2, 7}, [](Sample* s) { sample_reverse(s); }, {7, -2, 4}},
        {{2, 3, 0}, [](Sample* s) { sample_scale(s, 0x40000000); }, {INT32_MIN, -0x40000000, 0}},  // wraps, never traps
    };
    sound_test::Owned own;
    for (const auto& c : cases) {
        Sample* s = own(sound_test::block_of(static_cast<int32_t>(c.in.size()), [&](int32_t q) { return c.in[q]; }));
        c.op(s);
        EXPECT_EQ(values_of(s), c.want) << "case " << &c - cases;
    }
    Sample none{4, 4, nullptr};  // no buffer: nothing happens
    sample_rotate_right(&none, 1);
    sample_shift_left(&none, 1);

    Sample* m = own(make({7, -2, 4}));
    EXPECT_EQ(V({sample_max(m), sample_min(m)}), (V{7, -2}));
    sample_multiply(m, own(make({2, 3})));  // below the smaller count only
    sample_add(m, own(make({1, 1})));
    EXPECT_EQ(values_of(m), (V{15, -5, 4}));
    Sample* hay = own(make({5, 1, 2, 3, 1, 2}));
    Sample* needle = own(make({1, 2}));
    EXPECT_EQ(V({sample_match_count(hay, needle, 4), sample_match_count(hay, needle, 6)}), (V{2, 0}));
    EXPECT_EQ(sample_best_offset(hay, needle), 1);  // the first of the two best
    EXPECT_EQ(sample_best_offset(hay, own(make({8}))), -1);
}

TEST(SampleText, WritesTheBracedDecimalFormAndReadsItBackOrWhatThereIs) {
    EXPECT_EQ(text_of({5, -12, 0}), "SAMPLE{3\n5\n-12\n0\n}\n");
    EXPECT_EQ(text_of({}), "SAMPLE{}\n");
    EXPECT_EQ(parse("noise 12 SAMPLE{2\n7\n-3\n}\n"), (V{7, -3}));
    // Short or broken text is never read past its end.
    EXPECT_EQ(parse("SAMPLE 1 2 3"), (V{-999}));  // no brace: null
    EXPECT_EQ(parse("SAMPLE{} 5 6"), V{});          // the count is looked for inside the braces only
    EXPECT_EQ(parse("SAMPLE{3\n1\n2"), (V{1, 2}));  // fewer values than the count: what was read
    sound_test::Owned own;
    Sample* s = own(sample_from_text("SAMPLE{4000000000\n1"));  // absurd count: room bounded by the text
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(values_of(s), (V{1}));
    EXPECT_LE(s->capacity, 2);
}

// What the round-trip fuzz target's model of the raw forms leaves out (the widths, orders,
// clamps and biases it checks on its own corpus): a width the writer does not know, one the
// reader refuses, and a lone last byte.
TEST(SampleRaw, UnknownWidthsAndALoneLastByte) {
    sound_test::Owned own;
    std::FILE* out = std::tmpfile();
    sample_write_raw(own(make({0x0102})), out, 12, 'x');  // 16 bits, little-endian
    std::rewind(out);
    EXPECT_EQ(sound_test::drain(out), (Bytes{0x02, 0x01}));
    unsigned char bytes[] = {0x12, 0x34, 0x56};
    for (const auto& [width, want] : {std::pair{24, V{-999}}, {16, V{0x1234}}}) {
        std::FILE* in = fmemopen(bytes, sizeof bytes, "rb");
        EXPECT_EQ(taken(sample_read_raw(in, width, 'l', 's')), want) << width;
        std::fclose(in);
    }
}

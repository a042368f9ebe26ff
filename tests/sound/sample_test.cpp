#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "sound/palette.h"
#include "sound/sample.h"

namespace {

Sample* make(std::initializer_list<int32_t> values) {
    Sample* s = sample_create();
    sample_set_length(s, static_cast<int32_t>(values.size()));
    int32_t i = 0;
    for (int32_t v : values) sample_set(s, v, i++);
    return s;
}

std::vector<int32_t> values_of(const Sample* s) { return std::vector<int32_t>(s->buffer, s->buffer + s->count); }

using V = std::vector<int32_t>;

}  // namespace

TEST(SampleStorage, CreateGetAndLengthKeepHiddenValues) {
    Sample* s = sample_create();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->count, 0);
    EXPECT_EQ(s->capacity, 32);
    sample_set_length(s, 40000);
    EXPECT_EQ(s->count, 40000);
    EXPECT_EQ(s->capacity, 40000);
    EXPECT_EQ(sample_max(s), 0);
    EXPECT_EQ(sample_min(s), 0);
    sample_set(s, 7, 100);
    sample_set(s, -9, 39999);
    sample_set_length(s, 100);
    EXPECT_EQ(s->capacity, 40000);
    EXPECT_EQ(sample_get(s, 100), 0);  // outside the count now
    sample_set_length(s, 40000);       // lengthening within the capacity brings them back
    EXPECT_EQ(sample_get(s, 100), 7);
    EXPECT_EQ(sample_get(s, 39999), -9);
    EXPECT_EQ(sample_get(s, -1), 0);
    EXPECT_EQ(sample_get(s, 40000), 0);
    sample_set_length(s, -1);
    EXPECT_EQ(s->count, 40000);
    sample_set_length(s, INT32_MAX);  // its byte count passes int32: refused, nothing allocated
    EXPECT_EQ(s->count, 40000);
    EXPECT_EQ(s->capacity, 40000);
    sample_set_length(s, 0);
    EXPECT_EQ(s->count, 0);
    EXPECT_NE(s->buffer, nullptr);
    sample_destroy(&s);
    EXPECT_EQ(s, nullptr);
    sample_destroy(&s);

    Sample* grown = make({1, 2, 3});
    sample_set_length(grown, 40);  // past the capacity: exactly 40, old values kept, new ones 0
    EXPECT_EQ(grown->capacity, 40);
    EXPECT_EQ(sample_get(grown, 2), 3);
    EXPECT_EQ(sample_get(grown, 39), 0);
    sample_destroy(&grown);
}

TEST(SampleStorage, CopyRangeMovesOverlappingRunsBothWays) {
    Sample* s = make({1, 2, 3, 4, 5});
    sample_copy_range(s, s, 4, 0, 1);  // up by one: no smearing of the first value
    EXPECT_EQ(values_of(s), (V{1, 1, 2, 3, 4}));
    sample_copy_range(s, s, 4, 1, 0);  // back down
    EXPECT_EQ(values_of(s), (V{1, 2, 3, 4, 4}));
    sample_copy_range(s, s, 2, 4, 0);  // source run passes the count: refused
    sample_copy_range(s, s, 2, -1, 0);
    sample_copy_range(s, s, 2, 0, 4);
    EXPECT_EQ(values_of(s), (V{1, 2, 3, 4, 4}));
    Sample* d = make({0, 0, 0});
    sample_copy_range(s, d, 2, 3, 1);
    EXPECT_EQ(values_of(d), (V{0, 4, 4}));
    sample_destroy(&s);
    sample_destroy(&d);
}

TEST(SampleStorage, InsertRemoveFindExtractCloneEqual) {
    Sample* s = make({1, 2, 3});
    sample_reserve(s, 3);
    EXPECT_EQ(s->capacity, 3);
    sample_insert(s, 9, 1);  // full: capacity doubles
    EXPECT_EQ(s->capacity, 6);
    EXPECT_EQ(values_of(s), (V{1, 9, 2, 3}));
    sample_insert(s, 8, 4);
    sample_insert(s, 8, 6);  // past the count: refused
    sample_remove(s, 0);
    EXPECT_EQ(values_of(s), (V{9, 2, 3, 8}));
    EXPECT_EQ(sample_find(s, 3, 0), 2);
    EXPECT_EQ(sample_find(s, 3, 3), -1);
    EXPECT_EQ(sample_find(s, 9, 4), -1);
    sample_insert_sample(s, s, 2);
    EXPECT_EQ(values_of(s), (V{9, 2, 9, 2, 3, 8, 3, 8}));
    EXPECT_EQ(s->capacity, 8);
    Sample* part = sample_extract(s, -3, 3);
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(values_of(part), (V{9, 2, 9}));
    EXPECT_EQ(sample_extract(s, 3, 2), nullptr);
    Sample* tail = sample_extract(s, 6, 100);
    EXPECT_EQ(values_of(tail), (V{3, 8}));
    Sample* copy = sample_clone(s);
    EXPECT_EQ(sample_equal(s, copy), 1);
    sample_set(copy, 0, 7);
    EXPECT_EQ(sample_equal(s, copy), 0);
    sample_reserve(s, 2);
    EXPECT_EQ(values_of(s), (V{9, 2}));
    for (Sample** p : {&s, &part, &tail, &copy}) sample_destroy(p);
}

TEST(SampleArithmetic, AddAndShiftsWrapWithoutClipping) {
    Sample* target = sample_create();
    sample_set_length(target, 40000);
    Sample* source = sample_create();
    sample_set_length(source, 11025);
    for (int32_t i = 0; i < 11025; ++i) sample_set(source, 1, i);
    sample_add(target, source);
    EXPECT_EQ(sample_get(target, 11024), 1);
    EXPECT_EQ(sample_get(target, 11025), 0);
    EXPECT_EQ(target->count, 40000);
    sample_destroy(&target);
    sample_destroy(&source);

    Sample* s = make({INT32_MAX, -3, 5});
    sample_add(s, s);  // doubles, wrapping
    EXPECT_EQ(values_of(s), (V{-2, -6, 10}));
    sample_shift_left(s, 33);
    sample_shift_left(s, 32);
    sample_shift_right(s, 33);
    sample_shift_right(s, 32);
    EXPECT_EQ(values_of(s), (V{-2, -6, 10}));
    sample_shift_left(s, 1);
    EXPECT_EQ(values_of(s), (V{-4, -12, 20}));
    Sample* r = make({7, -7, -1, -5});
    sample_shift_right(r, 2);
    EXPECT_EQ(values_of(r), (V{1, -2, -1, -2}));  // towards minus infinity
    sample_shift_left(r, -1);                        // low five bits: 31
    EXPECT_EQ(values_of(r), (V{INT32_MIN, 0, INT32_MIN, 0}));
    Sample* m = make({INT32_MAX, 3});
    sample_scale(m, INT32_MAX);
    EXPECT_EQ(values_of(m), (V{1, 2147483645}));
    sample_multiply(m, s);
    EXPECT_EQ(values_of(m), (V{-4, 36}));  // -12 * (2^31 - 3) wraps to 36
    for (Sample** p : {&s, &r, &m}) sample_destroy(p);
}

TEST(SampleArithmetic, RotationsAndReverse) {
    struct Case {
        bool right;
        int32_t k;
        V want;
    };
    const Case cases[] = {
        {true, 3, {3, 4, 5, 1, 2}}, {true, 5, {1, 2, 3, 4, 5}}, {true, 0, {1, 2, 3, 4, 5}},
        {true, 8, {3, 4, 5, 1, 2}}, {false, 1, {2, 3, 4, 5, 1}}, {false, 7, {3, 4, 5, 1, 2}},
        {true, -2, {1, 2, 3, 4, 5}}, {false, -2, {1, 2, 3, 4, 5}},
    };
    for (const Case& c : cases) {
        Sample* s = make({1, 2, 3, 4, 5});
        if (c.right) {
            sample_rotate_right(s, c.k);
        } else {
            sample_rotate_left(s, c.k);
        }
        EXPECT_EQ(values_of(s), c.want) << (c.right ? "right " : "left ") << c.k;
        EXPECT_EQ(s->count, 5);
        sample_destroy(&s);
    }
    Sample* empty = sample_create();
    sample_rotate_right(empty, 3);
    EXPECT_EQ(empty->count, 0);
    Sample none{4, 4, nullptr};  // no buffer: nothing happens
    sample_rotate_right(&none, 1);
    sample_shift_left(&none, 1);
    EXPECT_EQ(none.buffer, nullptr);
    sample_destroy(&empty);

    Sample* s = make({1, -2, 3, 4});
    sample_reverse(s);
    EXPECT_EQ(values_of(s), (V{4, 3, -2, 1}));
    EXPECT_EQ(sample_max(s), 4);
    EXPECT_EQ(sample_min(s), -2);
    sample_destroy(&s);
}

TEST(SampleArithmetic, MatchCountAndBestOffset) {
    Sample* s = make({5, 1, 2, 3, 9});
    Sample* o = make({1, 2, 3});
    EXPECT_EQ(sample_match_count(s, o, 1), 3);
    EXPECT_EQ(sample_match_count(s, o, -3), 0);  // below 1 - other count
    EXPECT_EQ(sample_match_count(s, o, 5), 0);
    EXPECT_EQ(sample_match_count(s, o, INT32_MIN), 0);
    EXPECT_EQ(sample_best_offset(s, o), 1);
    Sample* x = make({7, 7});
    EXPECT_EQ(sample_best_offset(s, x), -2);  // nothing matches anywhere
    for (Sample** p : {&s, &o, &x}) sample_destroy(p);
}

TEST(Palette, CreateAndRotate) {
    EXPECT_EQ(palette_element_size, 4);
    Sample* p = palette_create();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->count, 256);
    EXPECT_EQ(p->capacity, 256);
    for (int32_t i = 0; i < 256; ++i) ASSERT_EQ(sample_get(p, i), 0);
    sample_set(p, 0x00FF8800, 10);
    palette_rotate_right(p, 250);
    EXPECT_EQ(sample_get(p, 4), 0x00FF8800);
    palette_rotate_left(p, 4);
    EXPECT_EQ(sample_get(p, 0), 0x00FF8800);
    EXPECT_EQ(p->capacity, 256);
    palette_destroy(&p);
    EXPECT_EQ(p, nullptr);
}

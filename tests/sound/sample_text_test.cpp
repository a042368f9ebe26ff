#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

#include "sound/sample.h"

namespace {

using V = std::vector<int32_t>;
using Bytes = std::vector<int>;

Sample* make(std::initializer_list<int32_t> values) {
    Sample* s = sample_create();
    sample_set_length(s, static_cast<int32_t>(values.size()));
    int32_t i = 0;
    for (int32_t v : values) sample_set(s, v, i++);
    return s;
}

V values_of(const Sample* s) { return V(s->buffer, s->buffer + s->count); }

std::string text_of(const Sample* s) {
    char* text = sample_to_text(s);
    std::string out = text != nullptr ? text : "(null)";
    std::free(text);
    return out;
}

V parse(const char* text) {
    Sample* s = sample_from_text(text);
    if (s == nullptr) return V{-999};
    V out = values_of(s);
    sample_destroy(&s);
    return out;
}

Bytes written(std::initializer_list<int32_t> values, int32_t width, char order) {
    Sample* s = make(values);
    std::FILE* f = std::tmpfile();
    sample_write_raw(s, f, width, order);
    std::rewind(f);
    Bytes out;
    for (int c = std::fgetc(f); c != EOF; c = std::fgetc(f)) out.push_back(c);
    std::fclose(f);
    sample_destroy(&s);
    return out;
}

V read_back(const Bytes& bytes, int32_t width, char order, char sign) {
    std::FILE* f = std::tmpfile();
    for (int b : bytes) std::fputc(b, f);
    std::rewind(f);
    Sample* s = sample_read_raw(f, width, order, sign);
    std::fclose(f);
    if (s == nullptr) return V{-999};
    V out = values_of(s);
    sample_destroy(&s);
    return out;
}

}  // namespace

TEST(SampleText, WritesTheBracedDecimalForm) {
    Sample* s = make({5, -12, 0});
    EXPECT_EQ(text_of(s), "SAMPLE{3\n5\n-12\n0\n}\n");
    sample_set_length(s, 0);
    EXPECT_EQ(text_of(s), "SAMPLE{}\n");
    Sample* one = make({-1});
    EXPECT_EQ(text_of(one), "SAMPLE{1\n-1\n}\n");
    Sample* extremes = make({INT32_MIN, INT32_MAX});
    EXPECT_EQ(text_of(extremes), "SAMPLE{2\n-2147483648\n2147483647\n}\n");
    EXPECT_EQ(sample_to_text(nullptr), nullptr);
    for (Sample** p : {&s, &one, &extremes}) sample_destroy(p);
}

TEST(SampleText, RoundTripAndLenientReading) {
    Sample* s = make({0, 32767, -32768, INT32_MIN, 12345});
    char* text = sample_to_text(s);
    Sample* back = sample_from_text(text);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(sample_equal(s, back), 1);
    std::free(text);
    sample_destroy(&s);
    sample_destroy(&back);

    EXPECT_EQ(parse("noise 12 SAMPLE{2\n7\n-3\n}\n"), (V{7, -3}));
    EXPECT_EQ(parse("SAMPLE{2\n4 - 5\n}\n"), (V{4, 0}));  // a '-' not before digits is 0
    EXPECT_EQ(parse("SAMPLE{1\n4294967297\n}"), (V{1}));  // digits wrap modulo 2^32
    EXPECT_EQ(parse("SAMPLE{1\n-2147483648\n}"), (V{INT32_MIN}));
}

TEST(SampleText, ShortOrBrokenTextNeverReadsPastItsEnd) {
    EXPECT_EQ(sample_from_text(nullptr), nullptr);
    EXPECT_EQ(parse(""), (V{-999}));              // no header: null
    EXPECT_EQ(parse("SAMPL{1\n2\n}"), (V{-999}));
    EXPECT_EQ(parse("SAMPLE 1 2 3"), (V{-999}));  // no brace: null
    EXPECT_EQ(parse("SAMPLE{}"), V{});            // the empty form: an empty sample
    EXPECT_EQ(parse("SAMPLE{"), V{});
    EXPECT_EQ(parse("SAMPLE{} 5 6"), V{});        // the count is looked for inside the braces only
    EXPECT_EQ(parse("SAMPLE{3\n1\n2"), (V{1, 2}));  // fewer values than the count: what was read
    Sample* s = sample_from_text("SAMPLE{4000000000\n1");  // absurd count: room bounded by the text
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(values_of(s), (V{1}));
    EXPECT_LE(s->capacity, 2);
    sample_destroy(&s);
}

TEST(SampleRaw, WidthsAndByteOrdersOfTheWriter) {
    EXPECT_EQ(written({40000, -1}, 16, 'l'), (Bytes{0xFF, 0x7F, 0xFF, 0xFF}));
    EXPECT_EQ(written({-2}, 16, 'b'), (Bytes{0xFF, 0xFE}));
    EXPECT_EQ(written({300, -300, 5}, 8, 'l'), (Bytes{0x7F, 0x80, 0x05}));
    EXPECT_EQ(written({0x123456, -9000000}, 24, 'b'), (Bytes{0x12, 0x34, 0x56, 0x80, 0x00, 0x00}));
    EXPECT_EQ(written({0x01020304, INT32_MIN}, 32, 'l'), (Bytes{4, 3, 2, 1, 0x01, 0, 0, 0x80}));
    EXPECT_EQ(written({0x0102}, 12, 'x'), (Bytes{0x02, 0x01}));  // unknown width: 16, little-endian
    EXPECT_EQ(written({}, 16, 'l'), Bytes{});
    sample_write_raw(nullptr, nullptr, 16, 'l');
}

TEST(SampleRaw, ReaderDecodesPairsAndBytesUntilTheEnd) {
    EXPECT_EQ(read_back({0x80, 0x00}, 16, 'l', 'u'), (V{0}));
    EXPECT_EQ(read_back({0x00, 0x80}, 16, 'b', 'u'), (V{0}));
    EXPECT_EQ(read_back({0x12, 0x34, 0x56}, 16, 'l', 's'), (V{0x1234}));  // odd last byte dropped
    EXPECT_EQ(read_back({0x12, 0x34}, 16, 'b', 's'), (V{0x3412}));
    EXPECT_EQ(read_back({0x01, 0xFF}, 8, 'l', 's'), (V{256, 65280}));
    EXPECT_EQ(read_back({0x00, 0xFF}, 8, 'b', 'u'), (V{-32768, 32512}));
    EXPECT_EQ(read_back({}, 16, 'l', 's'), V{});
    EXPECT_EQ(read_back({1, 2}, 24, 'l', 's'), (V{-999}));
    EXPECT_EQ(read_back({1, 2}, 8, 'x', 's'), (V{-999}));
    EXPECT_EQ(read_back({1, 2}, 8, 'l', 'x'), (V{-999}));
    EXPECT_EQ(sample_read_raw(nullptr, 8, 'l', 's'), nullptr);

    // Past 1024 values the buffer doubles and nothing is lost.
    Bytes many(2 * 3000);
    for (size_t i = 0; i < many.size(); ++i) many[i] = static_cast<int>(i % 251);
    V got = read_back(many, 16, 'l', 's');
    ASSERT_EQ(got.size(), 3000u);
    EXPECT_EQ(got[2999], many[5998] * 256 + many[5999]);
}

#include "sound/sample.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "common/fixed.h"

const ModuleId sample_module_id = make_module_id("20101025", "SAMPLE");
uint8_t sample_debug = 0;

namespace {

// Zero-filled room for n values; null for sizes we refuse or memory we cannot get.
int32_t* allocate_values(int32_t n) {
    if (n <= 0 || n > INT32_MAX / SAMPLE_ELEMENT_SIZE) return nullptr;
    return static_cast<int32_t*>(std::calloc(static_cast<size_t>(n), static_cast<size_t>(SAMPLE_ELEMENT_SIZE)));
}

// Swaps in a fresh buffer of `capacity` values holding the first `keep` old values (copied
// from the top down), then frees the old one. On failure the sample is left as it was.
bool replace_buffer(Sample* sample, int32_t capacity, int32_t keep) {
    int32_t* fresh = allocate_values(capacity);
    if (fresh == nullptr) return false;
    if (keep > capacity) keep = capacity;
    if (sample->buffer != nullptr) {
        for (int32_t i = keep - 1; i >= 0; --i) fresh[i] = sample->buffer[i];
    }
    std::free(sample->buffer);
    sample->buffer = fresh;
    sample->capacity = capacity;
    return true;
}

bool usable(const Sample* sample) { return sample != nullptr && sample->buffer != nullptr; }

// Doubling that would pass int32 gives 0, which every caller treats as a refusal.
int32_t doubled(int32_t capacity) {
    if (capacity <= 0) return SAMPLE_FIRST_CAPACITY;
    return capacity > INT32_MAX / 2 ? 0 : capacity * 2;
}

}  // namespace

// ---- Storage ------------------------------------------------------------------------

Sample* sample_create() {
    Sample* sample = static_cast<Sample*>(std::calloc(1, sizeof(Sample)));
    if (sample == nullptr) return nullptr;
    sample->buffer = allocate_values(SAMPLE_FIRST_CAPACITY);
    sample->capacity = sample->buffer != nullptr ? SAMPLE_FIRST_CAPACITY : 0;
    return sample;
}

void sample_destroy(Sample** sample) {
    if (sample == nullptr || *sample == nullptr) return;
    std::free((*sample)->buffer);
    std::free(*sample);
    *sample = nullptr;
}

void sample_set_length(Sample* sample, int32_t n) {
    if (sample == nullptr || n < 0) return;
    if (n > sample->capacity || (n > 0 && sample->buffer == nullptr)) {
        if (!replace_buffer(sample, n, sample->count)) return;
    }
    sample->count = n;
}

int32_t sample_get(const Sample* sample, int32_t position) {
    if (!usable(sample) || position < 0 || position >= sample->count) return 0;
    return sample->buffer[position];
}

void sample_copy_range(const Sample* source, Sample* destination, int32_t n, int32_t source_start,
                       int32_t destination_start) {
    if (!usable(source) || !usable(destination) || n <= 0) return;
    if (source_start < 0 || destination_start < 0) return;
    if (static_cast<int64_t>(source_start) + n > source->count) return;
    if (static_cast<int64_t>(destination_start) + n > destination->count) return;
    const int32_t* from = source->buffer + source_start;
    int32_t* to = destination->buffer + destination_start;
    // A run moved up within its own buffer is copied top-down so no value is smeared.
    bool upward = source == destination && source_start < destination_start &&
                  destination_start < source_start + n;
    if (upward) {
        for (int32_t i = n - 1; i >= 0; --i) to[i] = from[i];
    } else {
        for (int32_t i = 0; i < n; ++i) to[i] = from[i];
    }
}

void sample_reserve(Sample* sample, int32_t n) {
    if (sample == nullptr || n <= 0) return;
    int32_t keep = sample->count < n ? sample->count : n;
    if (!replace_buffer(sample, n, keep)) return;
    sample->count = keep;
}

void sample_insert(Sample* sample, int32_t value, int32_t position) {
    if (!usable(sample) || position < 0 || position > sample->count) return;
    if (sample->count >= sample->capacity) {
        if (!replace_buffer(sample, doubled(sample->capacity), sample->count)) return;
    }
    int32_t* values = sample->buffer;
    for (int32_t i = sample->count; i > position; --i) values[i] = values[i - 1];
    values[position] = value;
    sample->count += 1;
}

void sample_remove(Sample* sample, int32_t position) {
    if (!usable(sample) || position < 0 || position >= sample->count) return;
    int32_t* values = sample->buffer;
    for (int32_t i = position; i + 1 < sample->count; ++i) values[i] = values[i + 1];
    sample->count -= 1;
}

void sample_set(Sample* sample, int32_t value, int32_t position) {
    if (!usable(sample) || position < 0 || position >= sample->count) return;
    sample->buffer[position] = value;
}

int32_t sample_find(const Sample* sample, int32_t value, int32_t from) {
    if (!usable(sample) || from < 0 || from >= sample->count) return -1;
    for (int32_t i = from; i < sample->count; ++i) {
        if (sample->buffer[i] == value) return i;
    }
    return -1;
}

void sample_insert_sample(Sample* sample, const Sample* other, int32_t position) {
    if (!usable(sample) || !usable(other) || position < 0 || position > sample->count) return;
    int64_t total = static_cast<int64_t>(sample->count) + other->count;
    if (total <= 0 || total > INT32_MAX / SAMPLE_ELEMENT_SIZE) return;
    int32_t* fresh = allocate_values(static_cast<int32_t>(total));
    if (fresh == nullptr) return;
    // Built from the top down out of the old buffers (other may be this very sample).
    const int32_t* old = sample->buffer;
    int32_t moved = other->count;
    for (int32_t i = sample->count - 1; i >= position; --i) fresh[i + moved] = old[i];
    for (int32_t i = moved - 1; i >= 0; --i) fresh[position + i] = other->buffer[i];
    for (int32_t i = position - 1; i >= 0; --i) fresh[i] = old[i];
    std::free(sample->buffer);
    sample->buffer = fresh;
    sample->capacity = static_cast<int32_t>(total);
    sample->count = static_cast<int32_t>(total);
}

Sample* sample_extract(const Sample* sample, int32_t from, int32_t to) {
    if (!usable(sample) || from > to) return nullptr;
    int32_t low = from > 0 ? from : 0;
    int32_t high = to < sample->count ? to : sample->count;
    int32_t n = high > low ? high - low : 0;
    Sample* part = sample_create();
    if (part == nullptr) return nullptr;
    sample_set_length(part, n);
    if (part->count != n) {
        sample_destroy(&part);
        return nullptr;
    }
    sample_copy_range(sample, part, n, low, 0);
    return part;
}

Sample* sample_clone(const Sample* sample) {
    if (!usable(sample)) return nullptr;
    Sample* copy = static_cast<Sample*>(std::calloc(1, sizeof(Sample)));
    if (copy == nullptr) return nullptr;
    if (sample->count > 0) {
        copy->buffer = allocate_values(sample->count);
        if (copy->buffer == nullptr) {
            std::free(copy);
            return nullptr;
        }
        for (int32_t i = sample->count - 1; i >= 0; --i) copy->buffer[i] = sample->buffer[i];
    }
    copy->capacity = sample->count;
    copy->count = sample->count;
    return copy;
}

int sample_equal(const Sample* sample, const Sample* other) {
    if (!usable(sample) || !usable(other) || sample->count != other->count) return 0;
    for (int32_t i = 0; i < sample->count; ++i) {
        if (sample->buffer[i] != other->buffer[i]) return 0;
    }
    return 1;
}

// ---- Arithmetic ---------------------------------------------------------------------

void sample_clear(Sample* sample) {
    if (!usable(sample) || sample->count <= 0) return;
    std::memset(sample->buffer, 0, static_cast<size_t>(sample->count) * sizeof(int32_t));
}

void sample_add(Sample* target, const Sample* source) {
    if (!usable(target) || !usable(source)) return;
    int32_t n = target->count < source->count ? target->count : source->count;
    int32_t* to = target->buffer;
    const int32_t* from = source->buffer;
    for (int32_t i = 0; i < n; ++i) to[i] = wrap_add(to[i], from[i]);
}

void sample_shift_left(Sample* sample, int32_t k) {
    if (!usable(sample) || k > 32) return;
    int bits = k & 31;
    int32_t* values = sample->buffer;
    for (int32_t i = 0; i < sample->count; ++i) values[i] = wrap_shl(values[i], bits);
}

void sample_shift_right(Sample* sample, int32_t k) {
    if (!usable(sample) || k > 32) return;
    int bits = k & 31;
    int32_t* values = sample->buffer;
    for (int32_t i = 0; i < sample->count; ++i) values[i] = values[i] >> bits;
}

namespace {

// Rotation through a temporary sample: `first` values from position 0 go to the end part
// and the rest to the front, never in place. The temporary's buffer becomes the sample's.
void rotate(Sample* sample, int32_t k, bool right) {
    if (!usable(sample) || sample->count <= 0 || k < 0) return;
    int32_t count = sample->count;
    int32_t r = safe_rem(k, count);
    Sample* temporary = sample_create();
    if (temporary == nullptr) return;
    sample_set_length(temporary, count);
    if (temporary->count != count || temporary->buffer == nullptr) {
        sample_destroy(&temporary);
        return;
    }
    if (right) {
        sample_copy_range(sample, temporary, count - r, 0, r);
        sample_copy_range(sample, temporary, r, count - r, 0);
    } else {
        sample_copy_range(sample, temporary, r, 0, count - r);
        sample_copy_range(sample, temporary, count - r, r, 0);
    }
    std::free(sample->buffer);
    sample->buffer = temporary->buffer;
    sample->capacity = temporary->capacity;
    std::free(temporary);
}

}  // namespace

void sample_rotate_right(Sample* sample, int32_t k) { rotate(sample, k, true); }

void sample_rotate_left(Sample* sample, int32_t k) { rotate(sample, k, false); }

void sample_reverse(Sample* sample) {
    if (!usable(sample)) return;
    int32_t* values = sample->buffer;
    for (int32_t i = 0, j = sample->count - 1; i < j; ++i, --j) {
        int32_t t = values[i];
        values[i] = values[j];
        values[j] = t;
    }
}

int32_t sample_max(const Sample* sample) {
    if (!usable(sample) || sample->count <= 0) return 0;
    int32_t best = sample->buffer[0];
    for (int32_t i = 1; i < sample->count; ++i) {
        if (sample->buffer[i] > best) best = sample->buffer[i];
    }
    return best;
}

int32_t sample_min(const Sample* sample) {
    if (!usable(sample) || sample->count <= 0) return 0;
    int32_t best = sample->buffer[0];
    for (int32_t i = 1; i < sample->count; ++i) {
        if (sample->buffer[i] < best) best = sample->buffer[i];
    }
    return best;
}

void sample_multiply(Sample* target, const Sample* source) {
    if (!usable(target) || !usable(source)) return;
    int32_t n = target->count < source->count ? target->count : source->count;
    for (int32_t i = 0; i < n; ++i) target->buffer[i] = wrap_mul(target->buffer[i], source->buffer[i]);
}

void sample_scale(Sample* sample, int32_t factor) {
    if (!usable(sample)) return;
    for (int32_t i = 0; i < sample->count; ++i) sample->buffer[i] = wrap_mul(sample->buffer[i], factor);
}

int32_t sample_match_count(const Sample* sample, const Sample* other, int32_t offset) {
    if (!usable(sample) || !usable(other)) return 0;
    // Overlap of i in [0, count) with i - offset in [0, other count), in 64 bits so any
    // offset is safe.
    int64_t low = offset > 0 ? offset : 0;
    int64_t high = static_cast<int64_t>(other->count) + offset;
    if (high > sample->count) high = sample->count;
    int32_t matches = 0;
    for (int64_t i = low; i < high; ++i) {
        if (sample->buffer[i] == other->buffer[i - offset]) ++matches;
    }
    return matches;
}

int32_t sample_best_offset(const Sample* sample, const Sample* other) {
    if (!usable(sample) || !usable(other)) return 0;
    int32_t best = wrap_neg(other->count);
    int32_t best_matches = 0;
    for (int64_t offset = 1 - static_cast<int64_t>(other->count); offset < sample->count; ++offset) {
        int32_t matches = sample_match_count(sample, other, static_cast<int32_t>(offset));
        if (matches > best_matches) {
            best_matches = matches;
            best = static_cast<int32_t>(offset);
        }
    }
    return best;
}

// ---- Text form and raw streams ------------------------------------------------------

namespace {

constexpr char TEXT_HEADER[] = "SAMPLE{";
constexpr int32_t TEXT_HEADER_LENGTH = 7;

// Decimal digits of v with its sign, at most 11.
int32_t decimal_length(int32_t v) {
    uint32_t magnitude = v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
    int32_t digits = 1;
    while (magnitude >= 10) {
        magnitude /= 10;
        ++digits;
    }
    return v < 0 ? digits + 1 : digits;
}

// Writes v and a line feed at out; returns the characters written.
int32_t put_line(char* out, int32_t v) {
    char digits[12];
    int32_t n = 0;
    uint32_t magnitude = v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    int32_t length = 0;
    if (v < 0) out[length++] = '-';
    while (n > 0) out[length++] = digits[--n];
    out[length++] = '\n';
    return length;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Reads a run of digits as an unsigned 32-bit number that wraps, advancing the cursor.
uint32_t read_digits(const char** cursor) {
    uint32_t value = 0;
    const char* p = *cursor;
    while (is_digit(*p)) {
        value = value * 10u + static_cast<uint32_t>(*p - '0');
        ++p;
    }
    *cursor = p;
    return value;
}

}  // namespace

char* sample_to_text(const Sample* sample) {
    if (!usable(sample)) return nullptr;
    int32_t count = sample->count > 0 ? sample->count : 0;
    size_t length = TEXT_HEADER_LENGTH + 2;  // header and "}\n"
    if (count > 0) {
        length += static_cast<size_t>(decimal_length(count)) + 1;
        for (int32_t i = 0; i < count; ++i) length += static_cast<size_t>(decimal_length(sample->buffer[i])) + 1;
    }
    char* text = static_cast<char*>(std::calloc(length + 1, 1));
    if (text == nullptr) return nullptr;
    std::memcpy(text, TEXT_HEADER, TEXT_HEADER_LENGTH);
    size_t at = TEXT_HEADER_LENGTH;
    if (count > 0) {
        at += static_cast<size_t>(put_line(text + at, count));
        for (int32_t i = 0; i < count; ++i) at += static_cast<size_t>(put_line(text + at, sample->buffer[i]));
    }
    text[at++] = '}';
    text[at++] = '\n';
    text[at] = '\0';
    return text;
}

Sample* sample_from_text(const char* text) {
    if (text == nullptr) return nullptr;
    const char* p = text;
    // The header: the first 'S' followed by "AMPLE", then the first '{' after it.
    while (*p != '\0' && std::strncmp(p, TEXT_HEADER, TEXT_HEADER_LENGTH - 1) != 0) ++p;
    if (*p == '\0') return nullptr;
    while (*p != '\0' && *p != '{') ++p;
    if (*p == '\0') return nullptr;
    ++p;
    // The count: the first run of digits before the closing brace; none means empty.
    while (*p != '\0' && *p != '}' && !is_digit(*p)) ++p;
    uint32_t wanted = is_digit(*p) ? read_digits(&p) : 0u;
    // A value takes at least one character, so the rest of the text bounds the room needed.
    size_t rest = std::strlen(p);
    uint32_t room = wanted;
    if (room > rest) room = static_cast<uint32_t>(rest);
    if (room > static_cast<uint32_t>(INT32_MAX / SAMPLE_ELEMENT_SIZE)) {
        room = static_cast<uint32_t>(INT32_MAX / SAMPLE_ELEMENT_SIZE);
    }
    Sample* sample = sample_create();
    if (sample == nullptr) return nullptr;
    if (room > 0) {
        sample_reserve(sample, static_cast<int32_t>(room));
        if (sample->capacity != static_cast<int32_t>(room)) {
            sample_destroy(&sample);
            return nullptr;
        }
    }
    int32_t read = 0;
    while (static_cast<uint32_t>(read) < room) {
        while (*p != '\0' && *p != '-' && !is_digit(*p)) ++p;
        if (*p == '\0') break;
        bool negative = *p == '-';
        if (negative) ++p;
        uint32_t magnitude = read_digits(&p);
        sample->buffer[read++] = negative ? static_cast<int32_t>(0u - magnitude) : static_cast<int32_t>(magnitude);
    }
    sample->count = read;
    return sample;
}

namespace {

int32_t clamp(int32_t v, int32_t low, int32_t high) { return v < low ? low : (v > high ? high : v); }

// The low `bytes` bytes of v, most significant first for 'b', else least significant first.
void put_bytes(std::FILE* stream, uint32_t v, int bytes, char order) {
    for (int i = 0; i < bytes; ++i) {
        int shift = order == 'b' ? 8 * (bytes - 1 - i) : 8 * i;
        std::fputc(static_cast<int>((v >> shift) & 0xFFu), stream);
    }
}

}  // namespace

void sample_write_raw(const Sample* sample, std::FILE* stream, int32_t width, char order) {
    if (stream == nullptr || !usable(sample) || sample->count <= 0) return;
    for (int32_t i = 0; i < sample->count; ++i) {
        int32_t v = sample->buffer[i];
        switch (width) {
            case 8:
                put_bytes(stream, static_cast<uint32_t>(clamp(v, -128, 127)), 1, order);
                break;
            case 24:
                put_bytes(stream, static_cast<uint32_t>(clamp(v, -8388608, 8388607)), 3, order);
                break;
            case 32:
                put_bytes(stream, static_cast<uint32_t>(v == INT32_MIN ? -INT32_MAX : v), 4, order);
                break;
            default:
                put_bytes(stream, static_cast<uint32_t>(clamp(v, -32768, 32767)), 2, order);
                break;
        }
    }
}

Sample* sample_read_raw(std::FILE* stream, int32_t width, char order, char sign) {
    if (stream == nullptr || (width != 8 && width != 16)) return nullptr;
    if ((order != 'b' && order != 'l') || (sign != 's' && sign != 'u')) return nullptr;
    Sample* sample = sample_create();
    if (sample == nullptr) return nullptr;
    sample_reserve(sample, 1024);
    if (sample->capacity != 1024) {
        sample_destroy(&sample);
        return nullptr;
    }
    int32_t bias = sign == 'u' ? 32768 : 0;
    for (;;) {
        int first = std::fgetc(stream);
        if (first == EOF) break;
        int32_t value;
        if (width == 8) {
            value = first * 256 - bias;
        } else {
            int second = std::fgetc(stream);
            if (second == EOF) break;  // a lone trailing byte is dropped
            value = (order == 'l' ? first * 256 + second : second * 256 + first) - bias;
        }
        if (sample->count >= sample->capacity &&
            !replace_buffer(sample, doubled(sample->capacity), sample->count)) {
            // Running out of room is a failure, not a shorter sound.
            sample_destroy(&sample);
            return nullptr;
        }
        sample->buffer[sample->count++] = value;
    }
    return sample;
}

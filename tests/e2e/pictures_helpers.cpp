// What the screenshots are compared with: the first scene drawn by the very same code on the
// headless backend. The show is the same frame for frame whatever the clock does, so every
// picture the real window shows in its first scene is one of these, pixel for pixel.
#include <algorithm>
#include <string_view>

#include "demo/demo.h"
#include "demo/scene.h"
#include "e2e_fixtures.h"
#include "platform/backend_headless.h"

namespace e2e {
namespace {

constexpr int SIDE = 256;
constexpr int COUNTER_WIDTH = 32;  // two 16 x 16 digits at the bottom left
constexpr int COUNTER_TOP = SIDE - 16;

constexpr int FADE_PRESENTS = 32;  // the opening fade: black faded to black

SceneOne reference;
int reference_presents;  // pictures shown so far, the fade's included

// The standard library's string hash: built optimised, so thousands of pictures take no time.
uint64_t checksum(const std::vector<uint32_t>& pixels) {
    return std::hash<std::string_view>{}(
        std::string_view(reinterpret_cast<const char*>(pixels.data()), pixels.size() * sizeof(uint32_t)));
}

// The copies below are made into the caller's buffer: a fresh quarter-megabyte for each of
// a thousand pictures costs the sanitizers' allocator more than all the rest.
const std::vector<uint32_t>& without_counter(const std::vector<uint32_t>& pixels, std::vector<uint32_t>* out) {
    out->assign(pixels.begin(), pixels.end());
    for (int y = COUNTER_TOP; y < SIDE; ++y) std::fill_n(out->begin() + y * SIDE, COUNTER_WIDTH, 0u);
    return *out;
}

// A 16-bit screen keeps the top 5, 6 and 5 bits of red, green and blue.
const std::vector<uint32_t>& at_16_bits(const std::vector<uint32_t>& pixels, std::vector<uint32_t>* out) {
    out->resize(pixels.size());
    std::transform(pixels.begin(), pixels.end(), out->begin(), [](uint32_t p) { return p & 0x00F8FCF8u; });
    return *out;
}

void on_present(void*, const uint32_t* pixels, int32_t width, int32_t height) {
    if (width != SIDE || height != SIDE || ++reference_presents <= FADE_PRESENTS) return;
    static std::vector<uint32_t> picture;
    static std::vector<uint32_t> scratch;
    picture.assign(pixels, pixels + SIDE * SIDE);
    reference.frames.emplace(checksum(picture), reference_presents - FADE_PRESENTS);
    reference.without_counter.insert(checksum(without_counter(picture, &scratch)));
    reference.at_16_bits.insert(checksum(at_16_bits(picture, &scratch)));
}

bool is_frame(const Picture& frame) { return frame.width == SIDE && frame.height == SIDE; }

}  // namespace

const SceneOne& scene_one() {
    if (reference_presents == 0) {
        const HeadlessHooks hooks{on_present, nullptr, nullptr, nullptr};
        headless_set_hooks(&hooks);
        demo_startup();
        run_scene(scene_bigscroll);  // its opening fade, then its 1001 frames; it returns at the end of its budget
        headless_set_hooks(nullptr);
    }
    return reference;
}

int scene_one_frame(const Picture& frame) {
    if (!is_frame(frame)) return 0;
    const auto found = scene_one().frames.find(checksum(frame.pixels));
    return found == scene_one().frames.end() ? 0 : found->second;
}

Seen what_is_shown(const Picture& frame) {
    if (!is_frame(frame) || !has_colour(frame)) return Seen::Nothing;
    if (scene_one_frame(frame) != 0) return Seen::SceneOne;
    std::vector<uint32_t> scratch;
    if (scene_one().without_counter.count(checksum(without_counter(frame.pixels, &scratch))) != 0)
        return Seen::SceneOneWithCounter;
    // The second scene cannot be matched pixel for pixel (when Space ends the first scene
    // moves the random draws), but it looks like no other moment of the show's start: bubbles
    // and bright letters on a black ground, where the first scene has no black pixel at all
    // and the fade between them darkens everything.
    size_t black = 0;
    size_t bright = 0;
    for (uint32_t p : frame.pixels) {
        black += p == 0;
        bright += (p >> 16 & 0xFF) >= 0xE0 || (p >> 8 & 0xFF) >= 0xE0 || (p & 0xFF) >= 0xE0;
    }
    const size_t all = frame.pixels.size();
    if (black * 100 >= all * 55 && black * 100 <= all * 85 && bright * 100 >= all * 5) return Seen::SceneTwo;
    return Seen::Other;
}

Seen what_is_shown_16(const Picture& frame) {
    if (!is_frame(frame) || !has_colour(frame)) return Seen::Nothing;
    std::vector<uint32_t> scratch;
    return scene_one().at_16_bits.count(checksum(at_16_bits(frame.pixels, &scratch))) != 0 ? Seen::SceneOne
                                                                                             : Seen::Other;
}

const char* seen_name(Seen seen) {
    switch (seen) {
    case Seen::Nothing: return "nothing";
    case Seen::SceneOne: return "the first scene";
    case Seen::SceneOneWithCounter: return "the first scene with the counter";
    case Seen::SceneTwo: return "the second scene";
    case Seen::Other: return "something else";
    }
    return "?";
}

Picture crop(const Picture& picture, int x, int y, int width, int height) {
    Picture out;
    if (x < 0 || y < 0 || width <= 0 || height <= 0 || x + width > picture.width || y + height > picture.height)
        return out;
    out.width = width;
    out.height = height;
    for (int row = y; row < y + height; ++row) {
        const auto start = picture.pixels.begin() + static_cast<ptrdiff_t>(row) * picture.width + x;
        out.pixels.insert(out.pixels.end(), start, start + width);
    }
    return out;
}

Picture shrink(const Picture& picture, int factor) {
    Picture out;
    if (factor < 1) return out;
    out.width = picture.width / factor;
    out.height = picture.height / factor;
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x) out.pixels.push_back(picture.at(x * factor, y * factor));
    return out;
}

bool blocks_are_whole(const Picture& picture, int factor) {
    if (factor < 1 || picture.width % factor != 0 || picture.height % factor != 0 || picture.pixels.empty())
        return false;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            if (picture.at(x, y) != picture.at(x - x % factor, y - y % factor)) return false;
    return true;
}

bool all_black_outside(const Picture& picture, int x, int y, int width, int height) {
    for (int row = 0; row < picture.height; ++row)
        for (int column = 0; column < picture.width; ++column) {
            const bool inside = column >= x && column < x + width && row >= y && row < y + height;
            if (!inside && picture.at(column, row) != 0) return false;
        }
    return !picture.pixels.empty();
}

bool has_colour(const Picture& picture) {
    return std::any_of(picture.pixels.begin(), picture.pixels.end(), [](uint32_t p) { return p != 0; });
}

bool has_begun(const Show& show) {
    return eventually([&] { return has_colour(screenshot(show.server, show.window)); });
}

}  // namespace e2e

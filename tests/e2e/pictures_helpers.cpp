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

std::string what_is_shown(const Picture& frame, bool at_16_bits_screen) {
    if (!is_frame(frame) || !has_colour(frame)) return "nothing";
    std::vector<uint32_t> scratch;
    if (at_16_bits_screen)
        return scene_one().at_16_bits.count(checksum(at_16_bits(frame.pixels, &scratch))) != 0 ? "the first scene"
                                                                                                : "something else";
    if (scene_one_frame(frame) != 0) return "the first scene";
    if (scene_one().without_counter.count(checksum(without_counter(frame.pixels, &scratch))) != 0)
        return "the first scene with the counter";
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
    if (black * 100 >= all * 55 && black * 100 <= all * 85 && bright * 100 >= all * 5) return "the second scene";
    return "something else";
}

Picture unscale(const Picture& shot, int factor, int left, int top) {
    Picture out{SIDE, SIDE, {}};
    const int right = left + SIDE * factor, bottom = top + SIDE * factor;
    if (factor < 1 || left < 0 || top < 0 || right > shot.width || bottom > shot.height) return {};
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x) {
            const bool inside = x >= left && x < right && y >= top && y < bottom;
            const int dx = (x - left) % factor, dy = (y - top) % factor;
            if (shot.at(x, y) != (inside ? shot.at(x - dx, y - dy) : 0)) return {};
            if (inside && dx == 0 && dy == 0) out.pixels.push_back(shot.at(x, y));
        }
    return out;
}

bool has_colour(const Picture& picture) {
    return std::any_of(picture.pixels.begin(), picture.pixels.end(), [](uint32_t p) { return p != 0; });
}

bool has_begun(const Show& show) {
    return eventually([&] { return has_colour(screenshot(show.server, show.window)); });
}

}  // namespace e2e

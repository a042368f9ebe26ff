// The sound demo plays, recorded by SDL's disk driver: the device's own format, signed
// 16-bit little-endian stereo through the SDL 1.2 layer. Music, not silence.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "e2e_fixtures.h"

namespace e2e {
namespace {

TEST(Sound, TheDiskDriverRecordsMusic) {
    const std::string path = "/tmp/e2e_sound_" + std::to_string(getpid()) + ".raw";
    Show show("640x480x24", "demo", {}, {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + path});
    ASSERT_TRUE(show.ready()) << show.why();
    ASSERT_TRUE(has_begun(show));
    // Two seconds of 16-bit stereo on disk, however slowly the machine gets there.
    ASSERT_TRUE(eventually([&] {
        std::ifstream size(path, std::ios::binary | std::ios::ate);
        return size && size.tellg() >= std::streamoff{2 * 44100 * 4};
    })) << "the disk driver wrote less than two seconds of sound";
    press_key(show.server, show.window, "q");
    ASSERT_EQ(show.program.wait_exit(), 0) << show.program.errors();

    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::remove(path.c_str());
    ASSERT_GE(bytes.size(), 44100u * 4) << "not even a second of 16-bit stereo";
    double sum_of_squares = 0;
    int peak = 0;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const int value = static_cast<int16_t>(bytes[i] | bytes[i + 1] << 8);
        sum_of_squares += static_cast<double>(value) * value;
        peak = std::max(peak, std::abs(value));
    }
    // The music's loop runs at about 650 RMS with peaks over 4000; silence is 0.
    EXPECT_GT(std::sqrt(sum_of_squares / static_cast<double>(bytes.size() / 2)), 100.0);
    EXPECT_GT(peak, 1000);
}

}  // namespace
}  // namespace e2e

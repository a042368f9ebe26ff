// The windowed video flags, as the demo program defines them, for the test programs.
#include <cstdint>

extern const uint32_t display_video_flags;
const uint32_t display_video_flags = 0x10000005;

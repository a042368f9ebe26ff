// demo_capture: the show recorded headless (see demo/capture.h).
#include "demo/capture.h"

#include <cstdint>

extern const uint32_t display_video_flags;
const uint32_t display_video_flags = 0x10000005;

int main(int argc, char** argv) { return capture_main(argc, argv); }

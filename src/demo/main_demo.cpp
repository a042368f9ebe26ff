// demo: the show in a window.
#include "demo/demo.h"

const uint32_t display_video_flags = 0x10000005;  // hardware surface, async blit, any format

int main() { demo_main(); }

// demo: the show in a window.
#include "demo/demo.h"
#include "demo/options.h"

const uint32_t display_video_flags = 0x10000005;  // hardware surface, async blit, any format

int main(int argc, char** argv) {
    backend_set_scale(options_take(argc, argv, "demo").scale);
    demo_main();
}

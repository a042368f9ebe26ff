// demo_fs: the show full screen; nothing else differs from demo.
#include "demo/demo.h"
#include "demo/options.h"

const uint32_t display_video_flags = 0x90000005;  // as demo, plus full screen

int main(int argc, char** argv) {
    backend_set_scale(options_take(argc, argv, "demo_fs").scale);
    demo_main();
}

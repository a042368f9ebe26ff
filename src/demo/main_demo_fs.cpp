// demo_fs: the show full screen; nothing else differs from demo.
#include "demo/demo.h"
#include "demo/options.h"

int main(int argc, char** argv) {
    display_scale = options_take(argc, argv, "demo_fs").scale;
    demo_main(DISPLAY_FULLSCREEN);
}

// demo: the show in a window.
#include "demo/demo.h"
#include "demo/options.h"

int main(int argc, char** argv) {
    display_scale = options_take(argc, argv, "demo").scale;
    demo_main(DISPLAY_WINDOWED);
}

// demo_fs: the show full screen; nothing else differs from demo.
#include "demo/demo.h"

int main() { demo_main(DISPLAY_FULLSCREEN); }

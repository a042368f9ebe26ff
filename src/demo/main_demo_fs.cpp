// demo_fs: the show full screen; nothing else differs from demo.
#include "demo/demo.h"

const uint32_t display_video_flags = 0x90000005;  // as demo, plus full screen

int main() { demo_main(); }

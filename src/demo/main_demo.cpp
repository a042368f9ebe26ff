// demo: the show in a window.
#include "demo/demo.h"

int main() { demo_main(DISPLAY_WINDOWED); }

// demo_capture: the show recorded headless (see capture/capture.h).
#include "capture/capture.h"

int main(int argc, char** argv) { return capture_main(argc, argv); }

// demo_capture: the show recorded headless (see demo/capture.h).
#include "demo/capture.h"

int main(int argc, char** argv) { return capture_main(argc, argv); }

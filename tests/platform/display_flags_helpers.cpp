// The platform tests run as the windowed program does.
#include "platform/display.h"

const uint32_t display_video_flags = 0x10000005u;

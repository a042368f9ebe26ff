#pragma once
// The whole program's costs, measured in demo_bench.cpp: start-up and each scene's frames.

// Start-up and the scenes' frame times (median, p99, worst, worst after the first frame).
void scene_print_table();

#pragma once
// CAPTURE: records the demo without a window or a sound card, in one run of the show. The
// headless backend runs the very same scenes on a virtual clock (one 20 ms period per paced
// frame and per held fade step); this module scripts key presses at chosen frames, writes
// chosen frames as P6 pictures, everything the audio callback played as a WAV file, a video
// through ffmpeg, and optionally a checksum line per frame. Frame n is the n-th frame drawn by
// a scene (fades are not frames); a key scripted for frame n acts in frame n. After frame N an
// Esc ends the show: the last fade runs and the program exits 0. The video is what the
// screen shows every 20 ms of the clock, fades included, so its picture and its sound stay in
// step. Every output is checked before the first frame and every write after: the first that
// fails ends the program with one line naming the file and the reason, exit 1. A stopping
// signal ends it within a second with 128 + the signal (capture/capture_stop.h). Either way
// no ffmpeg and no temporary file is left, and what was written stays valid.
#include <cstdint>

int capture_main(int argc, char** argv);  // the demo_capture program: 0 done, 1 failed, 2 bad arguments, 128 + signal
uint64_t capture_checksum(const uint32_t* pixels, int64_t count);  // FNV-1a over the pixel bytes

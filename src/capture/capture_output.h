#pragma once
// CAPTURE OUTPUT: files a recording writes, with every write checked. A write that fails
// returns false with errno saying why, so a full disk or a dead pipe is never reported as
// success. Writes go straight to the file descriptor (no stdio buffer): what a call reports
// as written is in the file. A write that a stopping signal cuts short (capture/capture_stop.h)
// fails with EINTR; any other interrupted write goes on.
#include <cstddef>
#include <cstdint>

// Writes all count bytes, through partial writes and signals; false with errno on failure.
// *written (may be null) receives the bytes that did reach the file.
bool capture_write_all(int fd, const void* bytes, size_t count, size_t* written);
// Creates or truncates path for writing: -1 with errno on failure. Opening never waits for a
// reader (a FIFO without one fails with ENXIO); the descriptor then blocks as usual.
int capture_open_output(const char* path);
bool capture_is_regular(int fd);  // a plain file (not a device, pipe or terminal)
// A binary PPM (P6) of width x height 0x00RRGGBB pixels at path: whole, or on failure (errno
// set) not there at all when it was a plain file.
bool capture_write_ppm(const char* path, const uint32_t* pixels, int32_t width, int32_t height);

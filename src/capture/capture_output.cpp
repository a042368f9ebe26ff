#include "capture/capture_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "capture/capture_stop.h"

bool capture_write_all(int fd, const void* bytes, size_t count, size_t* written) {
    const auto* at = static_cast<const uint8_t*>(bytes);
    size_t done = 0;
    bool ok = true;
    while (done < count) {
        const ssize_t n = write(fd, at + done, count - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            if (capture_stop_signal() == 0) continue;
            errno = EINTR;  // a short write the signal caused: stop here
        } else if (n < 0 && errno == EINTR && capture_stop_signal() == 0) {
            continue;
        } else if (n == 0) {
            errno = EIO;
        }
        if (done < count) ok = false;
        break;
    }
    if (written != nullptr) *written = done;
    return ok;
}

int capture_open_output(const char* path) {
    int fd;
    do {
        fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
    } while (fd < 0 && errno == EINTR && capture_stop_signal() == 0);
    if (fd < 0) return -1;
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int error = errno;
        close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

bool capture_is_regular(int fd) {
    struct stat info{};
    return fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

bool capture_write_ppm(const char* path, const uint32_t* pixels, int32_t width, int32_t height) {
    if (pixels == nullptr || width <= 0 || height <= 0) {
        errno = EINVAL;
        return false;
    }
    char header[40];
    const int header_size = std::snprintf(header, sizeof header, "P6\n%d %d\n255\n", width, height);
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::vector<uint8_t> bytes(static_cast<size_t>(header_size) + 3 * count);
    std::copy(header, header + header_size, bytes.begin());
    uint8_t* rgb = bytes.data() + header_size;
    for (size_t i = 0; i < count; ++i) {
        rgb[3 * i] = static_cast<uint8_t>(pixels[i] >> 16);
        rgb[3 * i + 1] = static_cast<uint8_t>(pixels[i] >> 8);
        rgb[3 * i + 2] = static_cast<uint8_t>(pixels[i]);
    }
    const int fd = capture_open_output(path);
    if (fd < 0) return false;
    bool ok = capture_write_all(fd, bytes.data(), bytes.size(), nullptr);
    int error = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok) return true;
    // A cut picture is no picture. A device, pipe or link there is not ours to remove.
    struct stat info{};
    if (lstat(path, &info) == 0 && S_ISREG(info.st_mode)) unlink(path);
    errno = error;
    return false;
}

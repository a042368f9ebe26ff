#pragma once
// The SDL backend's guard against the libraries below SDL talking on the console. While
// SDL probes for a screen or a sound device, those libraries (Wayland without a runtime
// folder, ALSA without a sound card) print their own complaints on standard error. The
// demo reports what matters itself, through SDL's error text, so standard error points at
// /dev/null for the length of such a call. Descriptor 2 is left alone when it is a socket:
// the program may have been started with standard error closed and that number handed to
// the X connection, which must never be cut (the programs reserve 0-2 at start-up, so this
// is the second line of defence).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class QuietStderr {
public:
    QuietStderr() {
        struct stat info{};
        if (fstat(STDERR_FILENO, &info) != 0 || S_ISSOCK(info.st_mode)) return;
        saved_ = dup(STDERR_FILENO);
        const int null_fd = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && null_fd >= 0) dup2(null_fd, STDERR_FILENO);
        if (null_fd >= 0) close(null_fd);
    }
    ~QuietStderr() {
        if (saved_ < 0) return;
        dup2(saved_, STDERR_FILENO);
        close(saved_);
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int saved_ = -1;
};

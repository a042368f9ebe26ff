#include "common/std_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

void std_streams_reserve() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
        // open takes the lowest free number: this one, as the lower ones are taken by now.
        const int opened = open("/dev/null", O_RDONLY);
        if (opened >= 0 && opened != fd) close(opened);
    }
}

#include "capture/capture_wav.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "capture/capture_output.h"

namespace {

void put_le32(unsigned char* at, uint32_t v) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(v >> (8 * i));
}

// The 44-byte canonical header of 16-bit mono 44100 Hz PCM with data_bytes of sound, at the
// start of the file.
bool write_wav_header(int fd, uint32_t data_bytes) {
    unsigned char header[CAPTURE_WAV_HEADER] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                                                16, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                2, 0, 16, 0, 'd', 'a', 't', 'a', 0, 0, 0, 0};
    put_le32(header + 4, 36 + data_bytes);
    put_le32(header + 24, 44100);
    put_le32(header + 28, 44100 * 2);
    put_le32(header + 40, data_bytes);
    for (size_t done = 0; done < sizeof header;) {
        const ssize_t n = pwrite(fd, header + done, sizeof header - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;  // the header is always finished: the file stays valid
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

bool capture_wav_open(CaptureWav* wav, const char* path) {
    *wav = CaptureWav{-1, 0};
    const int fd = capture_open_output(path);
    if (fd < 0) return false;
    // The header is rewritten as the sound grows, the data goes after it: a pipe or terminal
    // cannot take that.
    if (lseek(fd, CAPTURE_WAV_HEADER, SEEK_SET) < 0 || !write_wav_header(fd, 0)) {
        const int error = errno;
        close(fd);
        errno = error;
        return false;
    }
    wav->fd = fd;
    return true;
}

bool capture_wav_append(CaptureWav* wav, const uint8_t* bytes, int32_t len) {
    if (wav->fd < 0 || len <= 0) return true;
    if (static_cast<uint64_t>(wav->data_bytes) + static_cast<uint32_t>(len) > CAPTURE_WAV_MAX_DATA) {
        errno = EOVERFLOW;  // the WAV sizes are 32-bit: about 13 hours of sound at most
        return false;
    }
    size_t written = 0;
    const bool ok = capture_write_all(wav->fd, bytes, static_cast<size_t>(len), &written);
    const int error = errno;
    // What reached the file counts, in whole 16-bit values; a failed write's tail is trimmed at close.
    wav->data_bytes += static_cast<uint32_t>(written) & ~1u;
    if (!write_wav_header(wav->fd, wav->data_bytes)) return false;
    errno = error;
    return ok;
}

bool capture_wav_close(CaptureWav* wav) {
    if (wav->fd < 0) return true;
    bool ok = write_wav_header(wav->fd, wav->data_bytes);
    int error = ok ? 0 : errno;
    // Drops the odd byte of a write cut short; a device such as /dev/full has no length to set.
    struct stat info{};
    if (fstat(wav->fd, &info) == 0 && S_ISREG(info.st_mode) &&
        info.st_size > CAPTURE_WAV_HEADER + static_cast<off_t>(wav->data_bytes)) {
        if (ftruncate(wav->fd, CAPTURE_WAV_HEADER + static_cast<off_t>(wav->data_bytes)) != 0 && ok) {
            ok = false;
            error = errno;
        }
    }
    if (close(wav->fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    wav->fd = -1;
    errno = error;
    return ok;
}

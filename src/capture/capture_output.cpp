#include "capture/capture_output.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

extern char** environ;

namespace {

void put_le32(unsigned char* at, uint32_t v) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(v >> (8 * i));
}

// The 44-byte canonical header of 16-bit mono 44100 Hz PCM with data_bytes of sound, at the
// start of the file.
bool write_wav_header(int fd, uint32_t data_bytes) {
    unsigned char header[44] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                                16, 0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                2, 0, 16, 0, 'd', 'a', 't', 'a', 0, 0, 0, 0};
    put_le32(header + 4, 36 + data_bytes);
    put_le32(header + 24, 44100);
    put_le32(header + 28, 44100 * 2);
    put_le32(header + 40, data_bytes);
    for (size_t done = 0; done < sizeof header;) {
        const ssize_t n = pwrite(fd, header + done, sizeof header - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

bool ends_with(const char* text, const char* suffix) {
    const size_t length = std::strlen(text);
    const size_t suffix_length = std::strlen(suffix);
    return length > suffix_length && strcasecmp(text + length - suffix_length, suffix) == 0;
}

}  // namespace

bool capture_write_all(int fd, const void* bytes, size_t count, size_t* written) {
    const auto* at = static_cast<const uint8_t*>(bytes);
    size_t done = 0;
    bool ok = true;
    while (done < count) {
        const ssize_t n = write(fd, at + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            ok = false;
            break;
        }
        done += static_cast<size_t>(n);
    }
    if (written != nullptr) *written = done;
    return ok;
}

// ---- WAV ----

bool capture_wav_open(CaptureWav* wav, const char* path) {
    *wav = CaptureWav{-1, 0};
    const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    // The header is rewritten as the sound grows, the data goes after it: a pipe or terminal
    // cannot take that.
    if (lseek(fd, 44, SEEK_SET) < 0 || !write_wav_header(fd, 0)) {
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
    // What reached the file counts, in whole 16-bit values; a failed write's tail is trimmed at close.
    wav->data_bytes += static_cast<uint32_t>(written) & ~1u;
    if (!ok) return false;
    return write_wav_header(wav->fd, wav->data_bytes);
}

bool capture_wav_close(CaptureWav* wav) {
    if (wav->fd < 0) return true;
    bool ok = write_wav_header(wav->fd, wav->data_bytes);
    int error = ok ? 0 : errno;
    // Drops the odd byte of a write cut short; a device such as /dev/full has no length to set.
    struct stat info{};
    if (fstat(wav->fd, &info) == 0 && S_ISREG(info.st_mode) &&
        info.st_size > 44 + static_cast<off_t>(wav->data_bytes)) {
        if (ftruncate(wav->fd, 44 + static_cast<off_t>(wav->data_bytes)) != 0 && ok) {
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

// ---- Video through ffmpeg ----

bool capture_find_program(const char* name, char* path, size_t size) {
    const char* search = std::getenv("PATH");
    if (search == nullptr || name == nullptr || *name == '\0') return false;
    while (true) {
        const char* end = std::strchr(search, ':');
        const size_t length = end != nullptr ? static_cast<size_t>(end - search) : std::strlen(search);
        // An empty entry is the current folder, as for the shell.
        const int n = length == 0 ? std::snprintf(path, size, "./%s", name)
                                  : std::snprintf(path, size, "%.*s/%s", static_cast<int>(length), search, name);
        struct stat info{};
        if (n > 0 && static_cast<size_t>(n) < size && stat(path, &info) == 0 && S_ISREG(info.st_mode) &&
            access(path, X_OK) == 0) {
            return true;
        }
        if (end == nullptr) return false;
        search = end + 1;
    }
}

bool capture_video_known(const char* video_path) {
    return video_path != nullptr && (ends_with(video_path, ".mp4") || ends_with(video_path, ".webm"));
}

bool capture_video_is_webm(const char* video_path) {
    return video_path != nullptr && ends_with(video_path, ".webm");
}

bool capture_video_start(CaptureVideo* video, const char* ffmpeg, const char* video_path, const char* wav_path,
                         int32_t width, int32_t height) {
    *video = CaptureVideo{-1, 0};
    char size[32], scaled[64];
    std::snprintf(size, sizeof size, "%dx%d", width, height);
    // Twice the size, each pixel a 2 x 2 block: crisp on today's screens, and 4:2:0 colour
    // then holds exactly one colour sample per original pixel.
    std::snprintf(scaled, sizeof scaled, "scale=%d:%d:flags=neighbor", 2 * width, 2 * height);
    // The screen's pixels are 0x00RRGGBB words: B, G, R, 0 in memory on this byte order.
    const char* pixel_format = std::endian::native == std::endian::little ? "bgr0" : "0rgb";
    const bool webm = capture_video_is_webm(video_path);
    const char* codec_args_mp4[] = {"-c:v", "libx264", "-preset", "medium", "-crf", "18", "-pix_fmt", "yuv420p",
                                    "-c:a", "aac", "-b:a", "192k", "-movflags", "+faststart"};
    const char* codec_args_webm[] = {"-c:v", "libvpx-vp9", "-crf", "30", "-b:v", "0", "-deadline", "good",
                                     "-cpu-used", "4", "-row-mt", "1", "-pix_fmt", "yuv420p",
                                     "-c:a", "libopus", "-b:a", "160k"};
    // The sound is padded with silence and cut where the picture ends: the device's last
    // buffer may stop short of the last frame, and a recording ended early by Ctrl-C has
    // fewer frames than the sound pass recorded.
    const char* head[] = {ffmpeg, "-nostdin", "-hide_banner", "-loglevel", "error", "-y",
                          "-f", "rawvideo", "-pixel_format", pixel_format, "-video_size", size, "-framerate", "50",
                          "-i", "pipe:0", "-i", wav_path, "-map", "0:v:0", "-map", "1:a:0",
                          "-vf", scaled, "-af", "apad", "-shortest"};
    constexpr size_t head_count = sizeof head / sizeof head[0];
    constexpr size_t most = head_count + sizeof codec_args_webm / sizeof codec_args_webm[0] + 2;
    const char* argv[most] = {};
    size_t count = 0;
    for (const char* arg : head) argv[count++] = arg;
    if (webm) {
        for (const char* arg : codec_args_webm) argv[count++] = arg;
    } else {
        for (const char* arg : codec_args_mp4) argv[count++] = arg;
    }
    argv[count++] = video_path;
    argv[count] = nullptr;

    int pipe_fds[2];
    if (pipe2(pipe_fds, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_adddup2(&actions, pipe_fds[0], 0);
    // Its own process group: a Ctrl-C reaches only the recording, which then ends the
    // frames; ffmpeg finishes the file. Signals we catch or ignore are its defaults.
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int error = posix_spawn(&pid, ffmpeg, &actions, &attributes, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(pipe_fds[0]);
    if (error != 0) {
        close(pipe_fds[1]);
        errno = error;
        return false;
    }
    *video = CaptureVideo{pipe_fds[1], pid};
    return true;
}

bool capture_video_frame(CaptureVideo* video, const uint32_t* pixels, int64_t count) {
    if (video->fd < 0) {
        errno = EPIPE;
        return false;
    }
    return capture_write_all(video->fd, pixels, static_cast<size_t>(count) * sizeof(uint32_t), nullptr);
}

int capture_video_finish(CaptureVideo* video) {
    if (video->fd >= 0) close(video->fd);  // ffmpeg sees the end of the frames
    video->fd = -1;
    if (video->pid <= 0) return -1;
    int status = 0;
    pid_t done;
    do {
        done = waitpid(video->pid, &status, 0);
    } while (done < 0 && errno == EINTR);
    video->pid = 0;
    return done < 0 ? -1 : status;
}

#include "capture/capture_video.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <strings.h>

#include "capture/capture_output.h"
#include "capture/capture_stop.h"
#include "capture/capture_wav.h"

namespace {

// The loudness the sound of a video is brought to (EBU R128). The true peak aims below the
// promised -1 dBTP: the lossy sound codec adds a little on top of the limiter's output.
constexpr const char* LOUDNESS_TARGET = "I=-16:TP=-1.5:LRA=11";

bool ends_with(const char* text, const char* suffix) {
    const size_t length = std::strlen(text);
    const size_t suffix_length = std::strlen(suffix);
    return length > suffix_length && strcasecmp(text + length - suffix_length, suffix) == 0;
}

// The one-line reason of a failure; returns false so a failure is one statement.
__attribute__((format(printf, 3, 4))) bool say(char* error, size_t size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(error, size, format, args);
    va_end(args);
    return false;
}

// A wait that a stopping signal cut short: no reason to give, the caller stops.
bool stopped(char* error, size_t size) {
    if (size > 0) error[0] = '\0';
    return false;
}

void describe_status(int status, char* text, size_t size) {
    if (status >= 0 && WIFEXITED(status)) {
        std::snprintf(text, size, "exit status %d", WEXITSTATUS(status));
    } else if (status >= 0 && WIFSIGNALED(status)) {
        const char* name = sigabbrev_np(WTERMSIG(status));  // null for a real-time signal
        if (name != nullptr) {
            std::snprintf(text, size, "killed by SIG%s", name);
        } else {
            std::snprintf(text, size, "killed by signal %d", WTERMSIG(status));
        }
    } else {
        std::snprintf(text, size, "it did not run");
    }
}

bool succeeded(int status) { return status >= 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0; }

// A temporary beside the video, folder/.vort7131-recording-XXXXXX<suffix>, made empty with mode.
bool make_temporary(const char* folder, const char* suffix, mode_t mode, char* name) {
    const int n = std::snprintf(name, CAPTURE_VIDEO_NAME_SIZE, "%s/.vort7131-recording-XXXXXX%s", folder, suffix);
    if (n < 0 || static_cast<size_t>(n) >= CAPTURE_VIDEO_NAME_SIZE) {
        name[0] = '\0';
        errno = ENAMETOOLONG;
        return false;
    }
    const int fd = mkstemps(name, static_cast<int>(std::strlen(suffix)));
    if (fd < 0) {
        name[0] = '\0';
        return false;
    }
    fchmod(fd, mode);
    close(fd);
    return true;
}

void remove_temporary(char* name) {
    if (name[0] != '\0') unlink(name);
    name[0] = '\0';
}

// What ffmpeg last said, up to 1 MB: its log is a few lines.
std::string read_log(const char* path) {
    std::string text;
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return text;
    char buffer[4096];
    ssize_t n;
    while (text.size() < (1u << 20) && ((n = read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)))
        if (n > 0) text.append(buffer, static_cast<size_t>(n));
    close(fd);
    return text;
}

// The line that explains a failure: the first that ffmpeg marked as an error, without its
// marks; or how the process ended when it said nothing.
void explain(const char* log, int status, char* line, size_t size) {
    const std::string text = read_log(log);
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        for (const char* mark : {"[error] ", "[fatal] ", "[panic] "}) {
            const size_t at = text.find(mark, start);
            if (at != std::string::npos && at < end) {
                const size_t from = at + std::strlen(mark);
                std::snprintf(line, size, "%.*s", static_cast<int>(std::min<size_t>(end - from, 300)), text.c_str() + from);
                return;
            }
        }
        start = end + 1;
    }
    describe_status(status, line, size);
}

// Starts program with argv: input from in_fd (/dev/null when -1), output thrown away,
// messages into the log. It gets a process group of its own and the default handling of
// every signal, and dies with the recorder. -1 with errno when it cannot be started.
pid_t spawn(const char* program, const char* const* argv, int in_fd, const char* log) {
    const int log_fd = open(log, O_WRONLY | O_TRUNC | O_CLOEXEC);
    const int null_fd = open("/dev/null", O_RDWR | O_CLOEXEC);
    pid_t pid = -1;
    if (log_fd >= 0 && null_fd >= 0) {
        const pid_t parent = getpid();
        pid = fork();
        if (pid > 0) setpgid(pid, pid);  // as the child does: whichever runs first
        if (pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent) _exit(127);
            setpgid(0, 0);
            struct sigaction defaults{};
            defaults.sa_handler = SIG_DFL;
            for (int signal_number = 1; signal_number < NSIG; ++signal_number) sigaction(signal_number, &defaults, nullptr);
            sigset_t none;
            sigemptyset(&none);
            sigprocmask(SIG_SETMASK, &none, nullptr);
            dup2(in_fd >= 0 ? in_fd : null_fd, 0);
            dup2(null_fd, 1);
            dup2(log_fd, 2);
            execv(program, const_cast<char* const*>(argv));
            _exit(127);
        }
    }
    const int error = errno;
    if (log_fd >= 0) close(log_fd);
    if (null_fd >= 0) close(null_fd);
    errno = error;
    return pid;
}

// Waits for the ffmpeg *pid: true with its wait status (-1 when it was not there), false when
// a stopping signal came first (it then still runs, for capture_video_abandon).
bool wait_ffmpeg(pid_t* pid, int* status) {
    *status = -1;
    while (*pid > 0) {
        const pid_t done = waitpid(*pid, status, 0);
        if (done < 0 && errno == EINTR) {
            if (capture_stop_signal() != 0) return false;
            continue;
        }
        if (done < 0) *status = -1;
        *pid = 0;
    }
    return true;
}

// The reason for an ffmpeg that ended with status: its own line from its log.
bool ffmpeg_failed(const CaptureVideo* video, const char* log, int status, char* error, size_t size) {
    char line[400];
    explain(log, status, line, sizeof line);
    return say(error, size, "ffmpeg failed making %s: %s", video->target, line);
}

// Starts an ffmpeg reading the pipe whose write end lands in *fd; false with the reason.
bool start_piped(CaptureVideo* video, const char* const* argv, const char* log, int* fd, pid_t* pid, char* error,
                 size_t size) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return say(error, size, "cannot start %s: %s", video->ffmpeg, std::strerror(errno));
    fcntl(fds[1], F_SETPIPE_SZ, 1 << 20);  // a few frames in flight; the default size does too
    *pid = spawn(video->ffmpeg, argv, fds[0], log);
    const int why = errno;
    close(fds[0]);
    if (*pid < 0) {
        *pid = 0;
        close(fds[1]);
        return say(error, size, "cannot start %s: %s", video->ffmpeg, std::strerror(why));
    }
    *fd = fds[1];
    return true;
}

// Writes to an ffmpeg's pipe; when it stopped reading, its own words say why.
bool write_piped(CaptureVideo* video, int* fd, pid_t* pid, const char* log, const void* bytes, size_t count, char* error,
                 size_t size) {
    if (*fd >= 0 && capture_write_all(*fd, bytes, count, nullptr)) return true;
    if (capture_stop_signal() != 0) return stopped(error, size);
    if (*fd >= 0 && errno != EPIPE)
        return say(error, size, "cannot write to ffmpeg making %s: %s", video->target, std::strerror(errno));
    if (*fd >= 0) close(*fd);
    *fd = -1;
    int status = 0;
    if (!wait_ffmpeg(pid, &status)) return stopped(error, size);
    return ffmpeg_failed(video, log, status, error, size);
}

// Closes an ffmpeg's pipe and waits for it to finish; false with the reason.
bool finish_piped(CaptureVideo* video, int* fd, pid_t* pid, const char* log, char* error, size_t size) {
    if (*fd >= 0) close(*fd);
    *fd = -1;
    int status = 0;
    if (!wait_ffmpeg(pid, &status)) return stopped(error, size);
    return succeeded(status) || ffmpeg_failed(video, log, status, error, size);
}

// One value of the loudness report, a plain decimal number as ffmpeg prints it ("-31.96");
// false for anything else ("-inf" for silence).
bool read_loudness(const std::string& log, const char* key, char* value, size_t size) {
    const std::string quoted = std::string("\"") + key + "\" : \"";
    const size_t at = log.rfind(quoted);
    if (at == std::string::npos) return false;
    const size_t from = at + quoted.size();
    const size_t end = log.find('"', from);
    if (end == std::string::npos || end == from || end - from >= size) return false;
    const std::string text = log.substr(from, end - from);
    size_t i = text[0] == '-' ? 1 : 0;
    const size_t digits = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    if (i == digits) return false;
    if (i < text.size() && text[i] == '.') {
        const size_t fraction = ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
        if (i == fraction) return false;
    }
    if (i != text.size()) return false;
    std::snprintf(value, size, "%s", text.c_str());
    return true;
}

// The sound filter of the join: the measured sound brought to the target loudness (silence
// stays silence), then made as long as the picture: padded with silence where the sound
// device's last buffer stopped short of it, cut where it went past.
void loudness_filter(const CaptureVideo* video, char* filter, size_t size) {
    const int64_t ms = video->frames * 1000 / CAPTURE_VIDEO_FPS;
    char fit[96];
    std::snprintf(fit, sizeof fit, "apad=whole_dur=%lld.%03llds,atrim=end=%lld.%03llds", static_cast<long long>(ms / 1000),
                  static_cast<long long>(ms % 1000), static_cast<long long>(ms / 1000), static_cast<long long>(ms % 1000));
    const std::string log = read_log(video->meter_log);
    char i[24], tp[24], lra[24], thresh[24], offset[24];
    if (video->sound_bytes == 0 || !read_loudness(log, "input_i", i, sizeof i) ||
        !read_loudness(log, "input_tp", tp, sizeof tp) || !read_loudness(log, "input_lra", lra, sizeof lra) ||
        !read_loudness(log, "input_thresh", thresh, sizeof thresh) ||
        !read_loudness(log, "target_offset", offset, sizeof offset)) {
        std::snprintf(filter, size, "%s", fit);  // silence measures as -inf: nothing to bring up
        return;
    }
    std::snprintf(filter, size,
                  "loudnorm=%s:measured_I=%s:measured_TP=%s:measured_LRA=%s:measured_thresh=%s:offset=%s:linear=true,%s",
                  LOUDNESS_TARGET, i, tp, lra, thresh, offset, fit);
}

}  // namespace

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

bool capture_video_prepare(CaptureVideo* video, const char* video_path, const char* wav_path, char* error,
                           size_t size) {
    *video = CaptureVideo{};
    video->webm = capture_video_is_webm(video_path);
    if (!capture_find_program("ffmpeg", video->ffmpeg, sizeof video->ffmpeg))
        return say(error, size, "--video needs ffmpeg, and there is none on PATH");
    // A link there leads to the file it names, which the finished video then replaces.
    struct stat info{};
    if (lstat(video_path, &info) == 0 && S_ISLNK(info.st_mode)) {
        if (realpath(video_path, video->target) == nullptr)
            return say(error, size, "cannot write %s: %s", video_path, std::strerror(errno));
    } else {
        std::snprintf(video->target, sizeof video->target, "%s", video_path);
    }
    struct stat wav{};
    const bool wav_exists = wav_path != nullptr && stat(wav_path, &wav) == 0;
    if (stat(video->target, &info) == 0) {
        if (!S_ISREG(info.st_mode)) return say(error, size, "cannot write %s: not a plain file", video_path);
        if (wav_exists && wav.st_dev == info.st_dev && wav.st_ino == info.st_ino)
            return say(error, size, "--wav and --video name the same file");
    } else if (wav_path != nullptr && std::strcmp(wav_path, video_path) == 0) {
        return say(error, size, "--wav and --video name the same file");
    }
    char folder[CAPTURE_VIDEO_NAME_SIZE];
    std::snprintf(folder, sizeof folder, "%s", video->target);
    char* slash = std::strrchr(folder, '/');
    if (slash == nullptr) {
        std::snprintf(folder, sizeof folder, ".");
    } else {
        slash[slash == folder ? 1 : 0] = '\0';
    }
    const mode_t mask = umask(0);
    umask(mask);
    const bool made = make_temporary(folder, ".log", 0600, video->log) &&
                      make_temporary(folder, ".log", 0600, video->meter_log) &&
                      make_temporary(folder, ".mkv", 0600, video->picture) &&
                      make_temporary(folder, video->webm ? ".webm" : ".mp4", 0666 & ~mask, video->joined) &&
                      (wav_path != nullptr || make_temporary(folder, ".wav", 0600, video->sound));
    if (made) return true;
    const int why = errno;
    capture_video_abandon(video);
    return say(error, size, "cannot write %s: %s", video_path, std::strerror(why));
}

bool capture_video_start(CaptureVideo* video, int32_t width, int32_t height, char* error, size_t size) {
    char video_size[32], rate[16], scale[64], output[CAPTURE_VIDEO_NAME_SIZE + 8], meter[64];
    std::snprintf(video_size, sizeof video_size, "%dx%d", width, height);
    std::snprintf(rate, sizeof rate, "%d", CAPTURE_VIDEO_FPS);
    // Each pixel a block, by nearest neighbour: 4:2:0 colour then holds exactly one colour
    // sample per original pixel.
    std::snprintf(scale, sizeof scale, "scale=%d:%d:flags=neighbor", CAPTURE_VIDEO_SCALE * width,
                  CAPTURE_VIDEO_SCALE * height);
    std::snprintf(output, sizeof output, "file:%s", video->picture);
    // The screen's pixels are 0x00RRGGBB words: B, G, R, 0 in memory on this byte order.
    const char* pixel_format = std::endian::native == std::endian::little ? "bgr0" : "0rgb";
    // H.264 at its fastest preset keeps the blocks crisp (no deblocking filter), and a low
    // quantiser gives the picture of the slower presets (PSNR 40.9 against 40.3 dB at medium)
    // at a fifth of their time; the price is a larger file (CABAC would take a fifth off it
    // for a quarter more time).
    const char* h264[] = {"-c:v", "libx264", "-preset", "ultrafast", "-crf", "16", "-pix_fmt", "yuv420p"};
    // VP9 at its real-time speed with a lower quantiser: a closer picture than its good
    // quality at a third of the time.
    const char* vp9[] = {"-c:v", "libvpx-vp9", "-crf", "24", "-b:v", "0", "-deadline", "realtime", "-cpu-used", "6",
                         "-row-mt", "1", "-pix_fmt", "yuv420p"};
    const char* head[] = {video->ffmpeg, "-nostdin", "-hide_banner", "-nostats", "-loglevel", "level+error",
                          "-f", "rawvideo", "-pixel_format", pixel_format, "-video_size", video_size,
                          "-framerate", rate, "-i", "pipe:0", "-an", "-vf", scale};
    const char* tail[] = {"-f", "matroska", "-y", output, nullptr};
    const char* argv[std::size(head) + std::size(vp9) + std::size(tail)] = {};
    size_t count = 0;
    for (const char* arg : head) argv[count++] = arg;
    if (video->webm) {
        for (const char* arg : vp9) argv[count++] = arg;
    } else {
        for (const char* arg : h264) argv[count++] = arg;
    }
    for (const char* arg : tail) argv[count++] = arg;
    if (!start_piped(video, argv, video->log, &video->fd, &video->pid, error, size)) return false;
    // The meter reads the sound as the device plays it (signed 16-bit little-endian values).
    std::snprintf(meter, sizeof meter, "loudnorm=%s:print_format=json", LOUDNESS_TARGET);
    const char* meter_argv[] = {video->ffmpeg, "-nostdin", "-hide_banner", "-nostats", "-loglevel", "level+info",
                                "-f", "s16le", "-ar", "44100", "-ac", "1", "-i", "pipe:0", "-af", meter,
                                "-f", "null", "-", nullptr};
    return start_piped(video, meter_argv, video->meter_log, &video->sound_fd, &video->meter_pid, error, size);
}

bool capture_video_frame(CaptureVideo* video, const uint32_t* pixels, int64_t count, char* error, size_t size) {
    if (!write_piped(video, &video->fd, &video->pid, video->log, pixels, static_cast<size_t>(count) * sizeof(uint32_t),
                     error, size)) {
        return false;
    }
    ++video->frames;
    return true;
}

bool capture_video_sound(CaptureVideo* video, const uint8_t* bytes, int32_t len, char* error, size_t size) {
    if (len <= 0) return true;
    if (!write_piped(video, &video->sound_fd, &video->meter_pid, video->meter_log, bytes, static_cast<size_t>(len),
                     error, size)) {
        return false;
    }
    video->sound_bytes += len;
    return true;
}

bool capture_video_finish(CaptureVideo* video, const char* sound_path, char* error, size_t size) {
    if (!finish_piped(video, &video->fd, &video->pid, video->log, error, size)) return false;
    // With no sound at all the meter had nothing to read and may say so: that is no failure.
    if (!finish_piped(video, &video->sound_fd, &video->meter_pid, video->meter_log, error, size) &&
        (video->sound_bytes > 0 || capture_stop_signal() != 0)) {
        return false;
    }
    char filter[512];
    loudness_filter(video, filter, sizeof filter);
    char picture[CAPTURE_VIDEO_NAME_SIZE + 8], sound[CAPTURE_VIDEO_NAME_SIZE + 8], joined[CAPTURE_VIDEO_NAME_SIZE + 8];
    std::snprintf(picture, sizeof picture, "file:%s", video->picture);
    std::snprintf(sound, sizeof sound, "file:%s", sound_path);
    std::snprintf(joined, sizeof joined, "file:%s", video->joined);
    const char* head[] = {video->ffmpeg, "-nostdin", "-hide_banner", "-nostats", "-loglevel", "level+error",
                          "-i", picture, "-i", sound, "-map", "0:v:0", "-map", "1:a:0", "-c:v", "copy",
                          "-af", filter, "-ar", "48000"};
    const char* mp4[] = {"-c:a", "aac", "-aac_coder", "fast", "-b:a", "192k", "-movflags", "+faststart", "-f", "mp4"};
    const char* webm[] = {"-c:a", "libopus", "-b:a", "160k", "-f", "webm"};
    const char* tail[] = {"-y", joined, nullptr};
    const char* argv[std::size(head) + std::size(mp4) + std::size(tail)] = {};
    size_t count = 0;
    for (const char* arg : head) argv[count++] = arg;
    if (video->webm) {
        for (const char* arg : webm) argv[count++] = arg;
    } else {
        for (const char* arg : mp4) argv[count++] = arg;
    }
    for (const char* arg : tail) argv[count++] = arg;
    video->pid = spawn(video->ffmpeg, argv, -1, video->log);
    if (video->pid < 0) {
        video->pid = 0;
        return say(error, size, "cannot start %s: %s", video->ffmpeg, std::strerror(errno));
    }
    int status = 0;
    if (!wait_ffmpeg(&video->pid, &status)) return stopped(error, size);
    if (!succeeded(status)) return ffmpeg_failed(video, video->log, status, error, size);
    if (rename(video->joined, video->target) != 0)
        return say(error, size, "cannot write %s: %s", video->target, std::strerror(errno));
    video->joined[0] = '\0';  // it is the video now
    capture_video_abandon(video);
    return true;
}

void capture_video_abandon(CaptureVideo* video) {
    for (int* fd : {&video->fd, &video->sound_fd}) {
        if (*fd >= 0) close(*fd);
        *fd = -1;
    }
    for (pid_t* pid : {&video->pid, &video->meter_pid}) {
        if (*pid <= 0) continue;
        kill(-*pid, SIGKILL);  // its group, and itself should it not have one yet
        kill(*pid, SIGKILL);
        while (waitpid(*pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        *pid = 0;
    }
    for (char* name : {video->picture, video->joined, video->log, video->meter_log, video->sound}) remove_temporary(name);
}

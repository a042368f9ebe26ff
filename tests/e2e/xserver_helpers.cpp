// The X side of the end-to-end tests: Xvfb, the programs under test, the command-line tools.
// Xlib is used for the one thing no tool does without a window manager: a close request.
// (The test framework, in the fixtures, goes before Xlib, whose macros would break it.)
#include "capture/capture_fixtures.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "e2e_fixtures.h"

namespace e2e {
namespace {

// In a child between fork and exec: only calls that are safe there.
void redirect(int fd, const char* path) {
    const int opened = open(path, O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (opened >= 0) {
        dup2(opened, fd);
        close(opened);
    }
}

std::string first_line(const std::string& text) { return text.substr(0, text.find('\n')); }

// A channel of a pixel widened to 8 bits as the frame has it: a 5-bit 31 reads 0xF8.
uint32_t widen(unsigned long pixel, unsigned long mask) {
    const int shift = std::countr_zero(mask), bits = std::popcount(mask);
    const auto value = static_cast<uint32_t>((pixel & mask) >> shift);
    return bits >= 8 ? value >> (bits - 8) : value << (8 - bits);
}

}  // namespace

XServer::XServer(const std::string& screen) {
    int fds[2];
    if (pipe(fds) != 0) return;
    const std::string fd_text = std::to_string(fds[1]);
    pid_ = fork();
    if (pid_ == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);  // never outlives the test
        close(fds[0]);
        redirect(STDERR_FILENO, "/dev/null");
        redirect(STDOUT_FILENO, "/dev/null");
        execlp("Xvfb", "Xvfb", "-displayfd", fd_text.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    // -displayfd: the server takes a free display number and writes it once it is ready.
    std::string number;
    pollfd ready{fds[0], POLLIN, 0};
    char c = 0;
    while (pid_ > 0 && poll(&ready, 1, PATIENCE_SECONDS * 1000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    if (!number.empty()) display_ = ":" + number;
}

XServer::~XServer() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
}

Program::Program(const XServer& server, const std::string& name, const std::vector<std::string>& args,
                 const std::vector<std::string>& env) {
    // env sets the environment and becomes the program. Under the sanitizers: SDL 2 and the
    // libraries below it keep memory to process exit; ours is checked.
    std::vector<std::string> words = {"env", "DISPLAY=" + server.display(), "SDL_VIDEODRIVER=x11",
                                      "SDL_AUDIODRIVER=dummy",
                                      "LSAN_OPTIONS=suppressions=" DEMO_SOURCE_DIR "/tests/e2e/lsan.supp"};
    words.insert(words.end(), env.begin(), env.end());
    words.push_back(std::string(DEMO_BINARY_DIR) + "/" + name);
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    char error_path[] = "/tmp/e2e_stderr_XXXXXX";
    const int error_fd = mkstemp(error_path);
    if (error_fd < 0) return;
    close(error_fd);
    error_path_ = error_path;
    pid_ = fork();
    if (pid_ == 0) {
        setsid();
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        // A shell started without job control would hand SIGINT over ignored; a terminal does not.
        signal(SIGINT, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        redirect(STDOUT_FILENO, "/dev/null");
        redirect(STDERR_FILENO, error_path);
        execv("/usr/bin/env", argv.data());
        _exit(127);
    }
}

Program::~Program() {
    if (pid_ > 0 && running()) {
        kill(-pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (!error_path_.empty()) std::remove(error_path_.c_str());
}

bool Program::running() {
    if (pid_ <= 0 || status_ >= 0) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) != pid_) return true;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return false;
}

int Program::wait_exit(double seconds) {
    if (!eventually([&] { return !running(); }, seconds)) {
        kill(-pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = 0;
        return -1;
    }
    return status_;
}

void Program::signal_group(int signal_number) {
    if (pid_ > 0) kill(-pid_, signal_number);
}

std::string Program::errors() const { return read_file(error_path_); }

std::string run_tool(const XServer& server, const std::vector<std::string>& argv) {
    std::string command = "DISPLAY=" + server.display() + " timeout -s KILL 30";
    for (const std::string& arg : argv) {
        command += " '";
        for (char c : arg) command += c == '\'' ? std::string("'\\''") : std::string(1, c);
        command += "'";
    }
    return run_command(command + " 2>/dev/null").output;
}

std::string find_window(const XServer& server, double seconds) {
    std::string id;
    eventually([&] { return !(id = first_line(run_tool(server, {"xdotool", "search", "--name", "^VORT7131$"}))).empty(); },
               seconds);
    return id;
}

Geometry window_geometry(const XServer& server, const std::string& id) {
    const std::string info = run_tool(server, {"xwininfo", "-id", id});
    auto number = [&](const std::string& label) {
        const size_t at = info.find(label);
        return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + label.size());
    };
    return {number("Absolute upper-left X:"), number("Absolute upper-left Y:"), number("Width:"), number("Height:")};
}

std::string window_property(const XServer& server, const std::string& id, const std::string& name,
                            const std::string& format) {
    return first_line(run_tool(server, {"xprop", "-notype", "-id", id, "-f", name, format, "=$0,$1", name}));
}

bool pointer_shows_at(const XServer& server, int x, int y) {
    run_tool(server, {"xdotool", "mousemove", "--sync", std::to_string(x), std::to_string(y)});
    ::Display* display = XOpenDisplay(server.display().c_str());
    if (display == nullptr) return false;
    int event_base = 0, error_base = 0;
    bool shows = false;
    if (XFixesQueryExtension(display, &event_base, &error_base)) {
        XFixesCursorImage* cursor = XFixesGetCursorImage(display);
        for (size_t i = 0; cursor != nullptr && i < static_cast<size_t>(cursor->width) * cursor->height; ++i)
            shows = shows || (cursor->pixels[i] >> 24 & 0xFF) != 0;  // ARGB in unsigned longs
        if (cursor != nullptr) XFree(cursor);
    }
    XCloseDisplay(display);
    return shows;
}

// The demo reads the keyboard once a frame and a press released within one frame is not
// seen: held for several frames.
void press_key(const XServer& server, const std::string& id, const std::string& key) {
    run_tool(server, {"xdotool", "windowfocus", "--sync", id, "keydown", key, "sleep", "0.15", "keyup", key});
}

bool send_close_request(const XServer& server, const std::string& id) {
    ::Display* x = XOpenDisplay(server.display().c_str());
    if (x == nullptr) return false;
    const Window window = std::strtoul(id.c_str(), nullptr, 0);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(x, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(x, window, False, NoEventMask, &event);
    XSync(x, False);
    XCloseDisplay(x);
    return sent != 0;
}

// An X error (a window found by name while it is not yet shown, or already gone) makes the
// call fail, and the caller try again, instead of ending the test process.
int ignore_x_error(::Display*, XErrorEvent*) { return 0; }

// Read from the server itself: ImageMagick's import widens a 16-bit screen's 5-bit channels
// its own way (0 reads as 8), where the frame's top bits are what counts.
Picture screenshot(const XServer& server, const std::string& id) {
    Picture picture;
    ::Display* x = XOpenDisplay(server.display().c_str());
    if (x == nullptr) return picture;
    const XErrorHandler previous = XSetErrorHandler(ignore_x_error);
    const Window window = id == "root" ? DefaultRootWindow(x) : std::strtoul(id.c_str(), nullptr, 0);
    XWindowAttributes attributes{};
    XImage* image = nullptr;
    if (XGetWindowAttributes(x, window, &attributes) != 0)
        image = XGetImage(x, window, 0, 0, static_cast<unsigned>(attributes.width),
                          static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image != nullptr) {
        picture.width = image->width;
        picture.height = image->height;
        picture.pixels.reserve(static_cast<size_t>(image->width) * image->height);
        for (int y = 0; y < image->height; ++y)
            for (int x_at = 0; x_at < image->width; ++x_at) {
                const unsigned long p = XGetPixel(image, x_at, y);
                picture.pixels.push_back(widen(p, image->red_mask) << 16 | widen(p, image->green_mask) << 8 |
                                     widen(p, image->blue_mask));
            }
        XDestroyImage(image);
    }
    XSync(x, False);
    XSetErrorHandler(previous);
    XCloseDisplay(x);
    return picture;
}

}  // namespace e2e

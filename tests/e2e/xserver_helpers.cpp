// The X side of the end-to-end tests: Xvfb, the programs under test, the command-line tools.
// Xlib is used for the one thing no tool does without a window manager: a close request.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "e2e_fixtures.h"

extern char** environ;

namespace e2e {
namespace {

// The environment of this process with NAME=VALUE settings in place of its own; of two
// settings of one name, the later wins.
std::vector<std::string> environment_with(const std::vector<std::string>& settings) {
    std::vector<std::string> out;
    for (char** entry = environ; *entry != nullptr; ++entry) out.emplace_back(*entry);
    for (const std::string& setting : settings) {
        const size_t name_end = setting.find('=') + 1;
        std::erase_if(out, [&](const std::string& text) { return text.compare(0, name_end, setting, 0, name_end) == 0; });
        out.push_back(setting);
    }
    return out;
}

std::vector<char*> pointers(std::vector<std::string>& texts) {
    std::vector<char*> out;
    for (std::string& text : texts) out.push_back(text.data());
    out.push_back(nullptr);
    return out;
}

// In a child between fork and exec: only calls that are safe there.
void redirect(int fd, const char* path) {
    const int opened = open(path, O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (opened >= 0) {
        dup2(opened, fd);
        close(opened);
    }
}

std::string field_after(const std::string& text, const std::string& label) {
    const size_t at = text.find(label);
    if (at == std::string::npos) return "";
    const size_t start = at + label.size();
    const size_t end = text.find('\n', start);
    std::string value = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.erase(0, 1);
    return value;
}

Geometry parse_geometry(const Output& info) {
    if (info.status != 0) return {-1, -1, -1, -1};
    auto number = [&](const char* label) {
        const std::string value = field_after(info.text, label);
        return value.empty() ? -1 : std::atoi(value.c_str());
    };
    return {number("Absolute upper-left X:"), number("Absolute upper-left Y:"), number("Width:"), number("Height:")};
}

std::string first_line(const std::string& text) { return text.substr(0, text.find('\n')); }

// The shift and width of a colour mask, to widen its channel to 8 bits as the frame has it.
struct Channel {
    int shift;
    int bits;
};
Channel channel(unsigned long mask) {
    Channel c{0, 0};
    while (mask != 0 && (mask & 1) == 0) {
        mask >>= 1;
        ++c.shift;
    }
    while ((mask & 1) != 0) {
        mask >>= 1;
        ++c.bits;
    }
    return c;
}
uint32_t widen(unsigned long pixel, Channel c) {
    const uint32_t value = static_cast<uint32_t>(pixel >> c.shift) & ((1u << c.bits) - 1);
    return c.bits >= 8 ? value >> (c.bits - 8) : value << (8 - c.bits);  // a 5-bit 31 reads 0xF8
}

}  // namespace

XServer::XServer(const std::string& screen) {
    int fds[2];
    if (pipe(fds) != 0) return;
    const std::string fd_text = std::to_string(fds[1]);
    std::vector<std::string> args = {"Xvfb", "-displayfd", fd_text, "-screen", "0", screen, "-nolisten", "tcp"};
    std::vector<char*> argv = pointers(args);
    pid_ = fork();
    if (pid_ == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);  // never outlives the test
        close(fds[0]);
        redirect(STDERR_FILENO, "/dev/null");
        redirect(STDOUT_FILENO, "/dev/null");
        execvp("Xvfb", argv.data());
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
    std::vector<std::string> settings = {"DISPLAY=" + server.display(), "SDL_VIDEODRIVER=x11",
                                         "SDL_AUDIODRIVER=dummy",
                                         // The sanitizer build: SDL 2 and the libraries below it keep
                                         // memory to process exit; ours is checked.
                                         "LSAN_OPTIONS=suppressions=" DEMO_SOURCE_DIR "/tests/e2e/lsan.supp"};
    settings.insert(settings.end(), env.begin(), env.end());
    std::vector<std::string> environment = environment_with(settings);
    std::vector<std::string> arguments = {std::string(DEMO_BINARY_DIR) + "/" + name};
    arguments.insert(arguments.end(), args.begin(), args.end());
    std::vector<char*> argv = pointers(arguments);
    std::vector<char*> envp = pointers(environment);
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
        execve(argv[0], argv.data(), envp.data());
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

std::string Program::errors() const {
    std::ifstream in(error_path_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

Output run_tool(const XServer& server, const std::vector<std::string>& argv) {
    std::vector<std::string> arguments = {"timeout", "-s", "KILL", "30"};
    arguments.insert(arguments.end(), argv.begin(), argv.end());
    std::vector<std::string> environment = environment_with({"DISPLAY=" + server.display()});
    std::vector<char*> args = pointers(arguments);
    std::vector<char*> envp = pointers(environment);
    int fds[2];
    if (pipe(fds) != 0) return {-1, ""};
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        dup2(fds[1], STDOUT_FILENO);
        close(fds[1]);
        redirect(STDERR_FILENO, "/dev/null");
        execvpe(args[0], args.data(), envp.data());
        _exit(127);
    }
    close(fds[1]);
    Output output{-1, ""};
    char buffer[65536];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0) output.text.append(buffer, static_cast<size_t>(n));
    close(fds[0]);
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) output.status = WEXITSTATUS(status);
    return output;
}

std::string find_window(const XServer& server, double seconds) {
    std::string id;
    eventually(
        [&] {
            id = first_line(run_tool(server, {"xdotool", "search", "--name", "^VORT7131$"}).text);
            return !id.empty();
        },
        seconds);
    return id;
}

std::string window_name(const XServer& server, const std::string& id) {
    return first_line(run_tool(server, {"xdotool", "getwindowname", id}).text);
}

Geometry window_geometry(const XServer& server, const std::string& id) {
    return parse_geometry(run_tool(server, {"xwininfo", "-id", id}));
}

Geometry screen_geometry(const XServer& server) { return parse_geometry(run_tool(server, {"xwininfo", "-root"})); }

// xprop prints NAME=VALUE with the format given; the value, or "" when the property is absent.
std::string property(const XServer& server, const std::string& id, const std::string& name, const std::string& format,
                     const std::string& shape) {
    const std::string line =
        first_line(run_tool(server, {"xprop", "-notype", "-id", id, "-f", name, format, shape, name}).text);
    return line.rfind(name + "=", 0) == 0 ? line.substr(name.size() + 1) : "";
}

std::string window_class(const XServer& server, const std::string& id) {
    std::string names = property(server, id, "WM_CLASS", "8s", "=$0,$1");
    std::erase(names, '"');
    return names;
}

std::string window_icon_size(const XServer& server, const std::string& id) {
    const std::string size = property(server, id, "_NET_WM_ICON", "32c", "=$0,$1");
    const size_t comma = size.find(',');
    return comma == std::string::npos ? "" : size.substr(0, comma) + "x" + size.substr(comma + 1);
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

void press_key(const XServer& server, const std::string& id, const std::string& key) {
    run_tool(server, {"xdotool", "windowfocus", "--sync", id});
    run_tool(server, {"xdotool", "keydown", key});
    // The demo reads the keyboard once a frame and a press released within one frame is not
    // seen: hold it for several frames.
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    run_tool(server, {"xdotool", "keyup", key});
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
        const Channel red = channel(image->red_mask);
        const Channel green = channel(image->green_mask);
        const Channel blue = channel(image->blue_mask);
        picture.width = image->width;
        picture.height = image->height;
        picture.pixels.reserve(static_cast<size_t>(image->width) * image->height);
        for (int y = 0; y < image->height; ++y)
            for (int x_at = 0; x_at < image->width; ++x_at) {
                const unsigned long p = XGetPixel(image, x_at, y);
                picture.pixels.push_back(widen(p, red) << 16 | widen(p, green) << 8 | widen(p, blue));
            }
        XDestroyImage(image);
    }
    XSync(x, False);
    XSetErrorHandler(previous);
    XCloseDisplay(x);
    return picture;
}

}  // namespace e2e

#pragma once
// The end-to-end tests' tools: an Xvfb server of its own for each test, the real programs of
// the build started on it, the X command-line tools that look at and type into their windows,
// and the first scene as the headless backend draws it, to compare screenshots with.
// Every wait polls with a generous deadline, so a slow or loaded machine only makes it slower.
#include <sys/types.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "capture/capture_fixtures.h"  // run_command, read_file, eventually

namespace e2e {

constexpr int PATIENCE_SECONDS = 60;  // the longest wait for anything to happen

// An Xvfb server on a free display number, stopped when this goes (or when the test process
// dies). screen is "WIDTHxHEIGHTxDEPTH".
class XServer {
public:
    explicit XServer(const std::string& screen);
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;
    bool ok() const { return !display_.empty(); }
    const std::string& display() const { return display_; }  // ":N"

private:
    pid_t pid_ = 0;
    std::string display_;
};

// A program of the build (DEMO_BINARY_DIR/name) shown on server: in a session of its own,
// as a terminal would start it, so SIGINT and SIGTERM keep their default actions; SDL on
// X11 and the dummy sound driver unless env ("NAME=VALUE") says otherwise. Killed with
// everything it started if it still runs when this goes.
class Program {
public:
    Program(const XServer& server, const std::string& name, const std::vector<std::string>& args,
            const std::vector<std::string>& env = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    bool running();
    // The exit status; 128 + the signal if a signal ended it; -1 if it was still running
    // after seconds (it is then killed).
    int wait_exit(double seconds = PATIENCE_SECONDS);
    void signal_group(int signal_number);  // as the terminal does for Ctrl-C
    std::string errors() const;            // what it wrote on standard error so far

private:
    pid_t pid_ = 0;
    int status_ = -1;
    std::string error_path_;
};

// What a command run against server printed on its standard output ("" when it failed to run).
std::string run_tool(const XServer& server, const std::vector<std::string>& argv);

struct Geometry {
    int x, y, width, height;  // on the screen; all -1 when the window cannot be read
};

std::string find_window(const XServer& server, double seconds = PATIENCE_SECONDS);  // "VORT7131"'s id, or ""
Geometry window_geometry(const XServer& server, const std::string& id);
// A property as xprop prints it in format with "=$0,$1": WM_CLASS 8s reads
// WM_CLASS="vort7131","vort7131"; _NET_WM_ICON 32c the first icon's size, _NET_WM_ICON=64,64.
std::string window_property(const XServer& server, const std::string& id, const std::string& name,
                            const std::string& format);
bool pointer_shows_at(const XServer& server, int x, int y);  // the pointer moved there has a visible pixel
void press_key(const XServer& server, const std::string& id, const std::string& key);  // held 0.15 s
bool send_close_request(const XServer& server, const std::string& id);  // WM_DELETE_WINDOW, as a window manager

// The usual start: a server of its own, one program on it, and the program's window.
struct Show {
    Show(const std::string& screen, const std::string& name, const std::vector<std::string>& args = {},
         const std::vector<std::string>& env = {})
        : server(screen), program(server, name, args, env), window(server.ok() ? find_window(server) : "") {}
    bool ready() const { return !window.empty(); }
    std::string why() const {  // for a failed ready()
        return server.ok() ? "no window named VORT7131\n" + program.errors() : "Xvfb did not start";
    }
    XServer server;
    Program program;
    std::string window;  // the window's id, "" when none came
};

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, row after row
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
Picture screenshot(const XServer& server, const std::string& id);  // id "root": the whole screen; empty on failure
// The 256 x 256 frame a shot shows at (left, top) in factor x factor blocks of one colour,
// on black; empty when a block is not one colour or a pixel around the frame is not black.
Picture unscale(const Picture& shot, int factor, int left = 0, int top = 0);
bool has_colour(const Picture& picture);  // some pixel is not black
bool has_begun(const Show& show);         // waits for the first picture: from then on keys are read

// Every picture the first scene shows after its opening fade, by the headless backend.
struct SceneOne {
    std::map<uint64_t, int> frames;      // checksum of the picture -> its frame number (1..1001)
    std::set<uint64_t> without_counter;  // checksums with the counter's corner blanked
    std::set<uint64_t> at_16_bits;       // checksums of the pictures cut to 5-6-5 bits
};
const SceneOne& scene_one();  // drawn at the first call (a few seconds), then kept

// What a 256 x 256 picture shows: "nothing", "the first scene", "the first scene with the
// counter", "the second scene" or "something else". From a 16-bit screen (at_16_bits) only
// the first scene is told apart.
std::string what_is_shown(const Picture& frame, bool at_16_bits = false);
int scene_one_frame(const Picture& frame);  // its frame number, 0 if not a first-scene picture

}  // namespace e2e

#pragma once
// Running the demo_capture program from a test: its exit status, what it printed, the files
// it wrote.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

const std::string capture_program = DEMO_BINARY_DIR "/demo_capture";

struct CaptureRun {
    int status = -1;     // exit status, or -1 when the program did not exit normally
    std::string output;  // what the shell command printed on its standard output
};

// Runs a shell command, collecting its standard output.
inline CaptureRun run_command(const std::string& command) {
    CaptureRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
    const int status = pclose(pipe);
    if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
    return run;
}

// demo_capture with these arguments: its standard output, errors dropped.
inline CaptureRun run_capture(const std::string& arguments) {
    return run_command("timeout -s KILL 600 " + capture_program + " " + arguments + " 2>/dev/null");
}

// How the shell runs demo_capture for run_capture_errors.
struct CaptureShell {
    std::string setup;                     // commands run first, e.g. "ulimit -f 100"
    std::string environment;               // NAME=VALUE words for the program alone
    std::string redirects = ">/dev/null";  // where its standard output goes
};

// demo_capture with these arguments: what it said on standard error.
inline CaptureRun run_capture_errors(const std::string& arguments, const CaptureShell& shell = {}) {
    return run_command("(" + (shell.setup.empty() ? ":" : shell.setup) + "; exec timeout -s KILL 600 env " +
                       shell.environment + " " + capture_program + " " + arguments + " " + shell.redirects + ") 2>&1");
}

inline std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

// A folder of its own for one test, empty.
inline std::string fresh_folder(const std::string& name) {
    const std::string path = testing::TempDir() + name;
    run_command("rm -rf '" + path + "' && mkdir -p '" + path + "'");
    return path;
}

// The command line of demo and demo_fs: what is accepted, what is refused and how it says so.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "demo/options.h"

namespace {

// The parse of the arguments after the program name: "ok scale help version", or the reason
// as it fits in `room` bytes.
std::string parse(std::vector<const char*> args, size_t room = 256) {
    args.insert(args.begin(), "demo");
    DemoOptions o{};
    std::vector<char> error(room, 'x');
    if (!options_parse(static_cast<int>(args.size()), args.data(), &o, error.data(), room)) return error.data();
    const std::string flags = " " + std::to_string(o.help) + " " + std::to_string(o.version);
    return "ok " + std::to_string(o.scale) + flags + error.data();
}

TEST(Options, AcceptedAndRefusedCommandLines) {
    const std::pair<std::vector<const char*>, std::string> cases[] = {
        {{}, "ok 0 0 0"},
        {{"--scale", "3"}, "ok 3 0 0"},
        {{"--scale=16"}, "ok 16 0 0"},
        {{"--scale", "1", "--scale=2"}, "ok 2 0 0"},  // the last one wins
        {{"--scale", "4", "--version"}, "ok 4 0 1"},
        {{"--scale", "2", "-h", "--bogus"}, "ok 2 1 0"},  // help ends the parse
        {{"--bogus", "--help"}, "unknown argument \"--bogus\" (see --help)"},
        {{"--scale"}, "--scale needs a number from 1 to 16"},
        {{"--scale2"}, "unknown argument \"--scale2\" (see --help)"},
        {{"--help=1"}, "unknown argument \"--help=1\" (see --help)"},
        {{"fullscreen"}, "unknown argument \"fullscreen\" (see --help)"},
    };
    for (const auto& [args, want] : cases) EXPECT_EQ(parse(args), want) << (args.empty() ? "" : args[0]);
    for (const char* bad : {"0", "17", "2x", "", "-1", "+2", " 2", "99999999999999999999", "1.5"}) {
        EXPECT_EQ(parse({"--scale", bad}), std::string("--scale: expected a number from 1 to 16, got \"") + bad + "\"");
        EXPECT_EQ(parse({(std::string("--scale=") + bad).c_str()}).rfind("--scale: expected", 0), 0u) << bad;
    }
    EXPECT_EQ(parse({"--a-very-long-unknown-argument"}, 12), "unknown arg");  // cut and terminated
}

TEST(Options, UsageNamesTheProgramAndEveryOption) {
    char* printed = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&printed, &size);
    options_print_usage(out, "demo_fs");
    std::fclose(out);
    const std::string text(printed, size);
    std::free(printed);
    EXPECT_EQ(text.rfind("usage: demo_fs [--scale N] [--help] [--version]\n", 0), 0u) << text;
    for (const char* word : {"--scale N", "--help", "--version", "Esc", "Space"})
        EXPECT_NE(text.find(word), std::string::npos) << word;
}

// What main does with a bad argument or --version is checked on the installed programs.
TEST(OptionsDeathTest, MainPrintsTheHelpAndExitsZeroOrHandsTheOptionsBack) {
    char program[] = "demo", help[] = "--help", scale[] = "--scale=5";
    char* help_args[] = {program, help, nullptr};
    char* run_args[] = {program, scale, nullptr};
    EXPECT_EXIT(options_take(2, help_args, "demo"), testing::ExitedWithCode(0), "^$");
    EXPECT_EQ(options_take(2, run_args, "demo").scale, 5);
    // The name in its messages is the one it was started under: installed, vort7131.
    char installed[] = "/usr/bin/vort7131", bogus[] = "--bogus";
    char* installed_args[] = {installed, bogus, nullptr};
    EXPECT_EXIT(options_take(2, installed_args, "demo"), testing::ExitedWithCode(2), "^vort7131: unknown argument");
    const std::pair<const char*, const char*> names[] = {
        {"vort7131-fs", "vort7131-fs"}, {"./build/release/demo_fs", "demo_fs"}, {"", "demo"},
        {"/usr/bin/", "demo"}, {nullptr, "demo"},
    };
    for (const auto& [argv0, want] : names) EXPECT_STREQ(options_program_name(argv0, "demo"), want);
}

}  // namespace

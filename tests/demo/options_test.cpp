// The command line of demo and demo_fs: what is accepted, what is refused and how it says so.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "demo/options.h"

namespace {

struct Parsed {
    bool ok;
    DemoOptions options;
    std::string error;
};

Parsed parse(std::vector<const char*> args) {
    args.insert(args.begin(), "demo");
    Parsed parsed{};
    char error[256];
    std::memset(error, 'x', sizeof error);
    parsed.ok = options_parse(static_cast<int>(args.size()), args.data(), &parsed.options, error, sizeof error);
    parsed.error = error;
    return parsed;
}

TEST(Options, ScaleInBothSpellingsTheLastOneWins) {
    Parsed none = parse({});
    ASSERT_TRUE(none.ok);
    EXPECT_EQ(none.options.scale, 0);
    EXPECT_FALSE(none.options.help);
    EXPECT_FALSE(none.options.version);
    EXPECT_EQ(none.error, "");

    EXPECT_EQ(parse({"--scale", "3"}).options.scale, 3);
    EXPECT_EQ(parse({"--scale=16"}).options.scale, 16);
    EXPECT_EQ(parse({"--scale", "1", "--scale=2"}).options.scale, 2);
    Parsed both = parse({"--scale", "4", "--version"});
    ASSERT_TRUE(both.ok);
    EXPECT_EQ(both.options.scale, 4);
    EXPECT_TRUE(both.options.version);
}

TEST(Options, BadScalesAreRefusedWithTheValueNamed) {
    for (const char* bad : {"0", "17", "2x", "", "-1", "+2", " 2", "99999999999999999999", "1.5"}) {
        Parsed parsed = parse({"--scale", bad});
        EXPECT_FALSE(parsed.ok) << bad;
        EXPECT_EQ(parsed.error, std::string("--scale: expected a number from 1 to 16, got \"") + bad + "\"");
        EXPECT_FALSE(parse({(std::string("--scale=") + bad).c_str()}).ok) << bad;
    }
    Parsed missing = parse({"--scale"});
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.error, "--scale needs a number from 1 to 16");
}

TEST(Options, UnknownArgumentsGiveOneLine) {
    for (const char* bad : {"--bogus", "fullscreen", "-s", "--scale2", "--help=1", "-"}) {
        Parsed parsed = parse({"--scale", "2", bad});
        EXPECT_FALSE(parsed.ok) << bad;
        EXPECT_EQ(parsed.error, std::string("unknown argument \"") + bad + "\" (see --help)");
        EXPECT_EQ(parsed.error.find('\n'), std::string::npos);
    }
}

TEST(Options, HelpStopsTheParseButNotBeforeAnEarlierMistake) {
    for (const char* help : {"--help", "-h"}) {
        Parsed parsed = parse({"--scale", "2", help, "--bogus"});
        EXPECT_TRUE(parsed.ok) << help;
        EXPECT_TRUE(parsed.options.help);
    }
    EXPECT_FALSE(parse({"--bogus", "--help"}).ok);
}

TEST(Options, ALongReasonIsCutAndTerminated) {
    const char* args[] = {"demo", "--a-very-long-unknown-argument"};
    DemoOptions options{};
    char error[12];
    std::memset(error, 'x', sizeof error);
    EXPECT_FALSE(options_parse(2, args, &options, error, sizeof error));
    EXPECT_STREQ(error, "unknown arg");
}

TEST(Options, UsageNamesTheProgramAndEveryOption) {
    FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    options_print_usage(out, "demo_fs");
    std::string text(4096, '\0');
    std::rewind(out);
    text.resize(std::fread(text.data(), 1, text.size(), out));
    std::fclose(out);
    EXPECT_EQ(text.rfind("usage: demo_fs [--scale N] [--help] [--version]\n", 0), 0u) << text;
    for (const char* word : {"--scale N", "--help", "--version", "Esc", "Space"})
        EXPECT_NE(text.find(word), std::string::npos) << word;
    EXPECT_STRNE(options_version(), "");
}

TEST(OptionsDeathTest, MainExitsTwoOnABadArgumentZeroOnHelpAndVersion) {
    char program[] = "demo";
    char bogus[] = "--bogus";
    char help[] = "--help";
    char version[] = "--version";
    char* bad_args[] = {program, bogus, nullptr};
    char* help_args[] = {program, help, nullptr};
    char* version_args[] = {program, version, nullptr};
    EXPECT_EXIT(options_take(2, bad_args, "demo"), testing::ExitedWithCode(2),
                "^demo: unknown argument \"--bogus\" \\(see --help\\)\n$");
    EXPECT_EXIT(options_take(2, help_args, "demo"), testing::ExitedWithCode(0), "^$");
    EXPECT_EXIT(options_take(2, version_args, "demo"), testing::ExitedWithCode(0), "^$");
    char scale[] = "--scale=5";
    char* run_args[] = {program, scale, nullptr};
    EXPECT_EQ(options_take(2, run_args, "demo").scale, 5);
}

}  // namespace

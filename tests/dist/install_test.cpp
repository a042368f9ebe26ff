// cmake --install of this build into a fresh prefix: the tree a user gets, the installed
// programs running from it, and what the desktop's, the software centres' and the manual's
// own checkers say. (A staged install, DESTDIR, is how the Debian package is built: the
// package test checks that its entries start the programs where they end up.)
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <string>

#include "capture/capture_fixtures.h"

namespace {

CaptureRun install(const std::string& prefix) {
    return run_command(DEMO_CMAKE " --install " DEMO_BINARY_DIR " --prefix " + prefix + " 2>&1");
}

bool is_executable(const std::string& path) { return run_command("test -f '" + path + "' -a -x '" + path + "'").status == 0; }

// What a command says on both outputs, then its exit status: "exit 0\n" alone for a silent success.
std::string said(const std::string& command) { return run_command("(" + command + ") 2>&1; echo exit $?").output; }

// man for a page's file: plain text into a pipe, without a terminal's overstrikes.
const std::string man = "env -u MAN_KEEP_FORMATTING LC_ALL=C.UTF-8 MANWIDTH=80 man -E UTF-8 ";

TEST(Installed, TheProgramsIconsEntriesPagesAndMetainfoAreInPlaceRunAndPassTheirCheckers) {
    const std::string prefix = fresh_folder("capture_install") + "/usr";
    const CaptureRun installed = install(prefix);
    ASSERT_EQ(installed.status, 0) << installed.output;
    // Installed under the show's name only: the build names are generic enough to collide.
    for (const char* program : {"vort7131", "vort7131-fs", "vort7131-capture"})
        EXPECT_TRUE(is_executable(prefix + "/bin/" + program)) << program;
    for (const char* build_name : {"demo", "demo_fs", "demo_capture"})
        EXPECT_FALSE(is_executable(prefix + "/bin/" + build_name)) << build_name;
    // Each size's PNG says in its header that it is that size.
    for (int size : {16, 24, 32, 48, 64, 96, 128, 192}) {
        const std::string side = std::to_string(size);
        const std::string png = read_file(prefix + "/share/icons/hicolor/" + side + "x" + side + "/apps/vort7131.png");
        ASSERT_GE(png.size(), 24u) << side;
        EXPECT_EQ(png.substr(0, 16), std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16)) << side;
        const std::string side_bytes = std::string(3, '\0') + static_cast<char>(size);  // big-endian, under 256
        EXPECT_EQ(png.substr(16, 8), side_bytes + side_bytes) << side;
    }
    // Installed programs run from there.
    EXPECT_TRUE(std::regex_match(said(prefix + "/bin/vort7131-fs --version"),
                                 std::regex("vort7131-fs \\(VORT7131\\) [0-9]+(\\.[0-9]+)*\nexit 0\n")));
    EXPECT_EQ(said(prefix + "/bin/vort7131 --scale 99"),
              "vort7131: --scale: expected a number from 1 to 16, got \"99\"\nexit 2\n");

    for (const auto& [entry, program] : {std::pair{"vort7131", "vort7131"}, std::pair{"vort7131-fullscreen", "vort7131-fs"}}) {
        const std::string path = prefix + "/share/applications/" + entry + ".desktop";
        EXPECT_EQ(said("desktop-file-validate " + path), "exit 0\n") << "no warnings or hints";
        const std::string text = read_file(path);
        EXPECT_NE(text.find("\nExec=\"" + prefix + "/bin/" + program + "\""), std::string::npos) << text;
        EXPECT_NE(text.find("\nIcon=vort7131\n"), std::string::npos);
        EXPECT_NE(text.find("\nStartupWMClass=vort7131\n"), std::string::npos);
    }

    // The metadata software centres read, launching the window's entry. The id is a plain
    // vort7131 on purpose (the project owns no domain to reverse), so the validator's one
    // complaint, that it is not a reverse domain name, is lowered to a note; anything else fails.
    const std::string metainfo = prefix + "/share/metainfo/vort7131.metainfo.xml";
    const CaptureRun check =
        run_command("appstreamcli validate --no-net --override=cid-desktopapp-is-not-rdns=info " + metainfo + " 2>&1");
    EXPECT_EQ(check.status, 0) << check.output;
    EXPECT_EQ(check.output.find("\nW: "), std::string::npos) << check.output;
    const std::string meta = read_file(metainfo);
    EXPECT_NE(meta.find("<id>vort7131</id>"), std::string::npos);
    EXPECT_NE(meta.find("<launchable type=\"desktop-id\">vort7131.desktop</launchable>"), std::string::npos);
    EXPECT_NE(meta.find("<release version=\"" DEMO_VERSION "\""), std::string::npos) << "the newest release is this one";

    // The manual pages format without warnings, have every section, name every program as
    // installed; the capture program's has every option its --help names, demo's its own and the keys.
    std::set<std::string> options;
    const std::string help = run_capture("--help").output;
    const std::regex option("--[a-z][a-z-]*");
    for (auto it = std::sregex_iterator(help.begin(), help.end(), option); it != std::sregex_iterator(); ++it)
        options.insert(it->str());
    EXPECT_GE(options.size(), 6u) << help;
    const std::map<std::string, std::set<std::string>> pages = {
        {"vort7131", {"--scale", "--help", "--version", "Esc", "Space", "SDL12COMPAT_SCALE_METHOD", "SIGTERM"}},
        {"vort7131-fs", {}},
        {"vort7131-capture", options}};
    for (const auto& [page, words] : pages) {
        const std::string path = prefix + "/share/man/man6/" + page + ".6";
        EXPECT_EQ(said(man + "--warnings -l " + path + " >/dev/null"), "exit 0\n") << page;
        const std::string text = run_command(man + "-l " + path + " 2>/dev/null").output;
        for (const char* section : {"NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "ENVIRONMENT", "EXIT STATUS", "FILES"})
            EXPECT_NE(text.find(std::string("\n") + section + "\n"), std::string::npos) << page << ": " << section;
        EXPECT_NE(text.find(page + " - "), std::string::npos) << page << ": its NAME line";
        for (const char* build_name : {"demo_", "demo(6)", "\ndemo "})
            EXPECT_EQ(text.find(build_name), std::string::npos) << page << ": " << build_name;
        for (const std::string& word : words) EXPECT_NE(text.find(word), std::string::npos) << page << ": " << word;
    }
}

}  // namespace

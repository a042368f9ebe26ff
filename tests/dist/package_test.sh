#!/bin/sh
# The Debian package as a user gets it: built (without its unit tests, which make test has
# already run), installed into this machine with apt-get, looked for where the shell, man,
# the desktop and the software centre look, then purged, leaving nothing of it behind.
# Needs root (apt-get); one run at a time per machine (a lock), and a machine that has
# vort7131 installed already is left alone rather than have its copy purged.
set -eu
cd "$(dirname "$0")/../.."

if [ "$(id -u)" -ne 0 ]; then
    echo "package test: skipped, installing a package needs root"
    exit 0
fi
exec 9>/run/lock/vort7131-package-test
flock 9
if dpkg-query -W -f='${Status}' vort7131 2>/dev/null | grep -q installed; then
    echo "package test: skipped, vort7131 is installed on this machine (apt purge vort7131 to run it)"
    exit 0
fi
./tools/need-packages desktop-file-utils man-db appstream

failures=0
fail() {
    echo "package test FAILED: $*"
    failures=$((failures + 1))
}
apt() { apt-get -q -y -o DPkg::Lock::Timeout=600 "$@"; }

started=$(date +%s)
deb=$(DEB_BUILD_OPTIONS="nocheck parallel=$(nproc)" ./tools/build-deb | tail -n 1)
built=$(date +%s)
version=$(dpkg-deb -f "$deb" Version)

trap 'apt purge vort7131 >/dev/null 2>&1 || true' EXIT
apt install --no-install-recommends "./$deb" >/dev/null
files=$(dpkg -L vort7131)

# The programs on the PATH under their installed names only, saying so.
for program in vort7131 vort7131-fs; do
    [ "$(command -v $program)" = "/usr/bin/$program" ] || fail "$program is not /usr/bin/$program"
    said=$($program --version 2>&1) || fail "$program --version failed"
    [ "$said" = "$program (VORT7131) $version" ] || fail "$program --version said \"$said\""
done
vort7131-capture --help | grep -q '^usage: ' || fail "vort7131-capture --help printed no usage"
for build_name in demo demo_fs demo_capture; do
    if printf '%s\n' "$files" | grep -qx "/usr/bin/$build_name"; then fail "the package installs /usr/bin/$build_name"; fi
done

# man finds each page, and its index (rebuilt by man-db's trigger) has the NAME lines.
for page in vort7131 vort7131-fs vort7131-capture; do
    [ "$(man -w $page 2>&1)" = "/usr/share/man/man6/$page.6.gz" ] || fail "man -w $page: $(man -w $page 2>&1)"
    whatis "$page" 2>/dev/null | grep -q "^$page (6) *- " || fail "whatis $page: $(whatis $page 2>&1)"
done

# The menu entries, valid and starting the installed programs, with the icon in every size.
for entry in vort7131 vort7131-fullscreen; do
    desktop=/usr/share/applications/$entry.desktop
    out=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$out" ] || fail "$desktop: $out"
    program=$(sed -n 's/^Exec="\([^"]*\)".*/\1/p' "$desktop")
    [ -n "$program" ] && [ -x "$program" ] || fail "$desktop starts \"$program\", which is not an installed program"
    grep -qx 'Icon=vort7131' "$desktop" || fail "$desktop names another icon"
done
for size in 16 24 32 48 64 96 128 192; do
    [ -s "/usr/share/icons/hicolor/${size}x$size/apps/vort7131.png" ] || fail "no ${size}x$size icon"
done

# The software centres' library finds the component by its id, with the menu categories of
# the desktop entry it launches, and its newest release is the package's version.
metainfo=/usr/share/metainfo/vort7131.metainfo.xml
out=$(appstreamcli validate --no-net --override=cid-desktopapp-is-not-rdns=info "$metainfo" 2>&1) ||
    fail "$metainfo: $out"
grep -m 1 '<release ' "$metainfo" | grep -q "version=\"$version\"" || fail "$metainfo: the newest release is not $version"
appstreamcli refresh-cache --force >/dev/null 2>&1 || true
found=$(appstreamcli get --details vort7131 2>&1) || true
printf '%s\n' "$found" | grep -q '^Identifier: vort7131 ' || fail "appstreamcli get vort7131: $found"
printf '%s\n' "$found" | grep -q '^Categories: AudioVideo' || fail "appstreamcli sees no desktop entry: $found"

# Purged, nothing of it is left: no file it installed, no dpkg record, no program, no page.
apt purge vort7131 >/dev/null
trap - EXIT
if dpkg-query -W -f='${Status}' vort7131 2>/dev/null | grep -q installed; then fail "vort7131 is still installed"; fi
for file in $files; do
    [ -d "$file" ] || [ ! -e "$file" ] || fail "$file is left after the purge"
done
left=$(find /usr/bin /usr/share /etc /var/lib/dpkg/info -name '*vort7131*' 2>/dev/null || true)
[ -z "$left" ] || fail "left after the purge: $left"
if man -w vort7131 >/dev/null 2>&1; then fail "man still finds vort7131 after the purge"; fi
appstreamcli refresh-cache --force >/dev/null 2>&1 || true
if appstreamcli get vort7131 >/dev/null 2>&1; then fail "the software centres' library still lists vort7131"; fi

echo "package test: built in $((built - started)) s, installed, checked and purged in $(($(date +%s) - built)) s"
[ "$failures" -eq 0 ] || exit 1
echo "package test passed: $deb"

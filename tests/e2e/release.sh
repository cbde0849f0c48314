#!/usr/bin/env bash
# The release packages made from this build: cpack writes the engine's and Orv's Debian
# packages and Orv's archive; lintian finds no error in the packages; the packages
# unpacked into a root of their own (dpkg-deb -x) and the archive unpacked anywhere each
# play Orv headless from a folder without data/, and draw exactly the frame the build
# tree's program draws.
#   release.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=${KEEP_WORK:-$(mktemp -d)}
trap '[ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
fail() { echo "$*"; for f in cpack.txt lintian.txt run.txt; do [ ! -f "$work/$f" ] || tail -15 "$work/$f"; done; exit 1; }
export DISPLAY= WAYLAND_DISPLAY=
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
[ -n "$version" ] || fail "no package version in $build/CPackConfig.cmake"

for generator in DEB TGZ; do
  cpack --config "$build/CPackConfig.cmake" -G "$generator" -B "$work/packages" >> "$work/cpack.txt" 2>&1 ||
    fail "cpack -G $generator failed"
done
neblu=$work/packages/neblu_${version}_amd64.deb
orv=$work/packages/orv_${version}_amd64.deb
archive=$work/packages/orv-$version-linux-x86_64.tar.gz
for package in "$neblu" "$orv" "$archive"; do [ -s "$package" ] || fail "cpack made no $(basename "$package")"; done

# Told not to fail on what it finds, lintian exits 0 once it has checked the packages
# and non-zero only when it could not (a package it skipped, a bad option, a crash):
# then nothing was checked, which must not read as a clean bill. What it found are its
# E: lines.
command -v lintian > /dev/null || fail "lintian is not installed: the packages cannot be checked"
status=0
lintian --fail-on none "$neblu" "$orv" > "$work/lintian.txt" 2>&1 || status=$?
! grep '^E:' "$work/lintian.txt" || fail "lintian finds errors in the packages"
[ "$status" -eq 0 ] || fail "lintian did not check the packages (status $status)"
grep -q "neblu (= $version)" <(dpkg-deb -f "$orv" Depends) || fail "orv does not depend on neblu $version"
grep -q "libsdl2" <(dpkg-deb -f "$orv" Depends) || fail "orv's Depends lacks the libraries it links"
grep -q "libmpg123" <(dpkg-deb -f "$neblu" Depends) || fail "neblu's Depends lacks the libraries it links"

# One frame mid-city, 160x90: small enough to be quick, enough to show a wrong data folder.
play() { "$1" -nodialog -headless -size 160x90 -fps 10 -start 70 -end 70.1 -capture "$2" >> "$work/run.txt" 2>&1; }
(cd "$build" && play "$build/game/orv" "$work/expected") || fail "the build tree's program did not play"

dpkg-deb -x "$neblu" "$work/root"
dpkg-deb -x "$orv" "$work/root"
mkdir "$work/from-deb" "$work/unpacked" "$work/from-archive"
(cd "$work/from-deb" && play "$work/root/usr/bin/orv" frames) || fail "Orv from the Debian packages did not play"
[ -s "$work/root/usr/share/orv/orv.res/bitmap/106.bmp" ] || fail "the settings dialog's banner is not installed"

tar xzf "$archive" -C "$work/unpacked"
(cd "$work/from-archive" && play "$work/unpacked/orv-$version-linux-x86_64/bin/orv" frames) ||
  fail "Orv from the archive did not play"

for run in from-deb from-archive; do
  [ -s "$work/$run/frames/frame000000.png" ] || fail "$run: no frame"
  cmp -s "$work/expected/frame000000.png" "$work/$run/frames/frame000000.png" ||
    fail "$run: the frame differs from the build tree's"
done
echo "the packages pass lintian, and Orv plays from each as it does in the build tree"

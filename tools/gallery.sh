#!/usr/bin/env bash
# Photographs every window of the program in the states worth reviewing, for a look at
# the windows (not a test: nothing here passes or fails on what the pictures show).
#
#   tools/gallery.sh [OUTPUT]     pictures as PNG into OUTPUT (default build/windows/gallery)
#
# Builds velmora-gallery.exe, runs it on a screen of its own (Xvfb) in a throw-away Wine
# prefix that is removed afterwards, and converts its BMP pictures to PNG.
set -eu
cd "$(dirname "$0")/.."
build=build/windows
output="$(realpath -m "${1:-$build/gallery}")"

cmake --preset windows >/dev/null
# The program itself puts the loading animation beside the executables.
cmake --build "$build" --target velmora-gallery Velmora

work="$(mktemp -d /tmp/velmora-gallery.XXXXXX)"
runner=(tools/wine-run.sh --prefix "$work/prefix")
cleanup() {
    "${runner[@]}" --teardown >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/bmp" "$output"
rm -f "$output"/*.png
status=0
# Never the user's own display: the pictures must not depend on a window manager.
env -u DISPLAY "${runner[@]}" "$PWD/$build/velmora-gallery.exe" "$work/bmp" >/dev/null || status=$?
python3 tools/bmp-to-png.py "$work/bmp" "$output"
echo "$(ls "$output"/*.png 2>/dev/null | wc -l) pictures in $output"
exit "$status"

#!/usr/bin/env bash
# Photographs every window of the program in the states worth reviewing, for a look at
# the windows (not a test: nothing here passes or fails on what the pictures show).
#
#   tools/gallery.sh [--scale PERCENT] [OUTPUT]
#
# Pictures as PNG into OUTPUT (default build/windows/gallery, or gallery-PERCENT). With
# --scale (100, 125, 150 or 200) the windows are photographed at that display scale: the
# prefix's DPI (LogPixels) is set before the gallery starts, as a user's would be.
#
# Builds velmora-gallery.exe, runs it on a screen of its own (Xvfb) in a throw-away Wine
# prefix that is removed afterwards, and converts its BMP pictures to PNG.
set -eu
cd "$(dirname "$0")/.."
build=build/windows
scale=100
if [ "${1:-}" = "--scale" ]; then
    scale="$2"
    shift 2
fi
case "$scale" in
    100 | 125 | 150 | 200) ;;
    *) echo "gallery.sh: the scale is one of 100, 125, 150, 200" >&2; exit 2 ;;
esac
default_output="$build/gallery"
[ "$scale" = 100 ] || default_output="$build/gallery-$scale"
output="$(realpath -m "${1:-$default_output}")"
# A screen large enough for the main window at twice its size.
export VELMORA_SCREEN=2560x2048x24

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
env -u DISPLAY "${runner[@]}" --setup
env -u DISPLAY "${runner[@]}" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
    /d $((96 * scale / 100)) /f >/dev/null
# Never the user's own display: the pictures must not depend on a window manager.
env -u DISPLAY "${runner[@]}" "$PWD/$build/velmora-gallery.exe" "$work/bmp" >/dev/null || status=$?
python3 tools/bmp-to-png.py "$work/bmp" "$output"
echo "$(ls "$output"/*.png 2>/dev/null | wc -l) pictures in $output"
exit "$status"

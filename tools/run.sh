#!/usr/bin/env bash
# Installs what is missing, builds the program, installs it into the project's own
# Wine prefix as an installer would, and starts it. Never touches ~/.wine.
set -eu
cd "$(dirname "$0")/.."
tools/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target Velmora

prefix="${VELMORA_PREFIX:-$PWD/build/run-prefix}"
runner=(tools/wine-run.sh --prefix "$prefix")
had_display="${DISPLAY:-}"
"${runner[@]}" --setup

export WINEPREFIX="$prefix" WINEDEBUG=-all
install_dir="$prefix/drive_c/Program Files/Velmora"
mkdir -p "$install_dir" "$prefix/drive_c/ProgramData/Velmora"
cp build/windows/Velmora.exe build/windows/rebooter.exe "$install_dir/"
for file in res/Loading.gif; do
    [ -f "$file" ] && cp "$file" "$install_dir/"
done

echo "Velmora is installed in $install_dir (prefix $prefix)."
if [ -z "$had_display" ]; then
    "${runner[@]}" --stop
    echo "There is no display (DISPLAY is not set), so the window is not shown."
    echo "On a desktop, run this command again to open it."
    exit 0
fi
status=0
"${runner[@]}" "C:\\Program Files\\Velmora\\Velmora.exe" "$@" || status=$?
# The prefix's persistent server is not left running once the program has ended.
"${runner[@]}" --stop
exit $status

#!/usr/bin/env bash
# Installs what is missing, builds the program and its setup program, installs it silently
# into the project's own Wine prefix, as a user's setup would, and starts it. Never touches
# ~/.wine. Stays up while the installed program runs, also across the restart of an update.
set -eu
cd "$(dirname "$0")/.."
tools/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target installer
setup="$(ls -t build/windows/Velmora-*-setup.exe | head -n 1)"

prefix="${VELMORA_PREFIX:-$PWD/build/run-prefix}"
runner=(tools/wine-run.sh --prefix "$prefix")
had_display="${DISPLAY:-}"
"${runner[@]}" --setup
"${runner[@]}" "$PWD/$setup" /S
echo "Velmora is installed in C:\\Program Files\\Velmora (prefix $prefix)."

if [ -z "$had_display" ]; then
    "${runner[@]}" --stop
    echo "There is no display (DISPLAY is not set), so the window is not shown."
    echo "On a desktop, run this command again to open it."
    exit 0
fi

# Whether a program of the installation (Velmora.exe, or rebooter.exe restarting it after
# an update) runs in this prefix.
installation_runs() {
    local cmdline
    for cmdline in $(grep -lasiF 'Program Files\Velmora\' /proc/[0-9]*/cmdline); do
        tr '\0' '\n' 2>/dev/null <"${cmdline%cmdline}environ" | grep -qxF "WINEPREFIX=$prefix" && return 0
    done
    return 1
}

status=0
"${runner[@]}" 'C:\Program Files\Velmora\Velmora.exe' "$@" || status=$?
# Ended only when nothing of the installation has run for a few seconds: the restart
# helper hands over to the new program in between two looks.
idle=0
while [ $idle -lt 3 ]; do
    if installation_runs; then idle=0; else idle=$((idle + 1)); fi
    sleep 1
done
# The prefix's persistent server is not left running once the program has ended.
"${runner[@]}" --stop
exit $status

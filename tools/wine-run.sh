#!/usr/bin/env bash
# Runs a Windows program of this project under Wine, in the project's own prefix
# (never ~/.wine) and the Italian locale, and returns the program's exit code.
#
#   wine-run.sh --prefix DIR [--gui] PROGRAM.exe [ARGS...]   run (creating the prefix if needed)
#   wine-run.sh --prefix DIR --setup                          create the prefix, start its services
#   wine-run.sh --prefix DIR --stop                           stop its services, keep the prefix
#   wine-run.sh --prefix DIR --teardown                       stop its services, remove the prefix
#
# Only a prefix this script created is ever removed: --setup writes a marker into it,
# and --teardown refuses any other folder. An existing folder without the marker is
# never set up either, so a user's own prefix is never touched.
#
# One persistent wineserver per prefix keeps the Schedule service and volatile keys
# alive between the run's processes. Without a display, an Xvfb server is started for
# the prefix's lifetime, so windows can be created and photographed; VELMORA_SCREEN sets
# its size (WIDTHxHEIGHTxDEPTH, default 1280x1024x24).
set -u

prefix=""
action=run
while [ $# -gt 0 ]; do
    case "$1" in
        --prefix) prefix="$2"; shift 2 ;;
        --gui) shift ;;  # every run has a display (see above)
        --setup) action=setup; shift ;;
        --teardown) action=teardown; shift ;;
        --stop) action=stop; shift ;;
        *) break ;;
    esac
done
[ -n "$prefix" ] || { echo "wine-run.sh: --prefix DIR is required" >&2; exit 2; }
mkdir -p "$(dirname "$prefix")"
prefix="$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")"

export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
# Wine's own dialogs (message-box buttons, common dialogs) and its date formats follow the
# locale: Italian, as the program speaks (tools/setup.sh generates the locale).
export LANG=it_IT.UTF-8 LC_ALL=it_IT.UTF-8
# winemenubuilder.exe would start once for every shortcut a test or benchmark saves.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}"
state="$prefix.state"
marker="$prefix/.made-by-wine-run"

start_display() {
    if [ -n "${DISPLAY:-}" ]; then
        echo "$DISPLAY" > "$state/display"
        return
    fi
    local n
    for n in $(seq 90 140); do
        [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 "${VELMORA_SCREEN:-1280x1024x24}" -nolisten tcp >/dev/null 2>&1 9>&- &
        echo $! > "$state/xvfb.pid"
        for _ in $(seq 1 50); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            sleep 0.1
        done
        echo ":$n" > "$state/display"
        return
    done
    echo "wine-run.sh: no free display number for Xvfb" >&2
    return 1
}

# The new prefix links the profile's Desktop, Documents... to the Linux home; replace
# them with real empty folders so nothing here walks or changes the user's files.
unlink_home_folders() {
    local profile
    for profile in "$prefix"/drive_c/users/*/; do
        local folder
        for folder in Desktop Documents Downloads Music Pictures Videos; do
            if [ -L "$profile$folder" ]; then
                rm -f "$profile$folder"
                mkdir -p "$profile$folder"
            fi
        done
    done
}

setup() {
    if [ -d "$prefix" ] && [ ! -f "$marker" ] && [ -n "$(ls -A "$prefix" 2>/dev/null)" ]; then
        echo "wine-run.sh: $prefix exists and was not created by this script; it is left alone" >&2
        return 1
    fi
    mkdir -p "$state"
    if [ ! -f "$state/ready" ]; then
        start_display || return 1
        export DISPLAY="$(cat "$state/display")"
        mkdir -p "$prefix"
        touch "$marker"
        wineboot -i >/dev/null 2>&1 9>&-
        # Services started by the server that created the prefix never answer (every
        # service start then times out after 10 s): finish that server, start afresh.
        wineserver -w
        wineserver -p >/dev/null 2>&1 9>&-
        wineboot >/dev/null 2>&1 9>&-
        unlink_home_folders
        # Without a window manager Wine waits 2 s whenever an active window is hidden
        # or destroyed, unless it manages the windows itself.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 9>&- || true
        # Also for programs started in the prefix without this script's environment.
        wine reg add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /t REG_SZ /d '' /f \
            >/dev/null 2>&1 9>&- || true
        # The program's update check never leaves the machine from a prefix of ours: port 9
        # of 127.0.0.1 refuses at once; the update tests point it at their stand-in server.
        wine reg add 'HKLM\Software\Velmora' /v UpdateServerUrl /t REG_SZ /d http://127.0.0.1:9 /f >/dev/null 2>&1 9>&- || true
        wine net start schedule >/dev/null 2>&1 9>&- || true
        touch "$state/ready"
    fi
}

stop_services() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -f "$state/xvfb.pid" ]; then
        kill "$(cat "$state/xvfb.pid")" >/dev/null 2>&1 || true
        rm -f "$state/xvfb.pid"
        rm -f "$state/display"
    fi
}

teardown() {
    if [ -e "$prefix" ] && [ ! -f "$marker" ]; then
        echo "wine-run.sh: $prefix was not created by this script; it is not removed" >&2
        return 1
    fi
    stop_services
    rm -rf "$prefix" "$state" "$prefix.lock"
}

ensure_ready() {
    (
        flock 9
        if [ ! -f "$state/ready" ]; then
            setup >&2 || exit 1
        fi
        # A display of ours that has gone away is replaced, or no window could be made.
        if [ ! -f "$state/display" ] ||
           { [ -f "$state/xvfb.pid" ] && ! kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null; }; then
            start_display >&2 || exit 1
        fi
        # The server may have been stopped (--stop, or a test that restarts it): start
        # it again with the Schedule service.
        if ! wineserver -k0 2>/dev/null; then
            export DISPLAY="$(cat "$state/display")"
            wineserver -p >/dev/null 2>&1 9>&-
            wine net start schedule >/dev/null 2>&1 9>&- || true
        fi
    ) 9>"$prefix.lock"
}

case "$action" in
    setup) ensure_ready; exit $? ;;
    teardown) teardown; exit $? ;;
    stop) stop_services; exit 0 ;;
esac

[ $# -gt 0 ] || { echo "wine-run.sh: no program given" >&2; exit 2; }
ensure_ready || { echo "wine-run.sh: could not prepare the Wine prefix $prefix" >&2; exit 3; }
export DISPLAY="$(cat "$state/display")"
wine "$@"

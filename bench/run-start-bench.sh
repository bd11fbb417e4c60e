#!/usr/bin/env bash
# Start benchmark: installs the program with its setup program, silently, into a throw-away
# Wine prefix with a display of its own, then compares the program's start with that of a
# bare window program built for the purpose (velmora-bare-window: the same manifest,
# resources and libraries, one window of the main window's size). Each start is timed by
# velmora-start-launcher from just before the process is created to the moment the
# program says its main window is painted (the first-paint event it sets); the launcher
# then stops the program where it is, and the program's peak working set (its own figure)
# and CPU time (the host's, from /proc) are read at that moment, with the CPU the
# prefix's wineserver used from the launch on (the launcher's own start included, alike
# for both).
#
# Fairness: one untimed warm-up of each first (it also writes the program's first-run
# settings); then odd rounds start the program first and even rounds the bare window, so
# that neither always runs first. The headlines are the medians of the rounds' ratios
# (program / bare window) and of the peak memory's differences, with their spread (lowest
# and highest); every run's raw figures and the load average of every round are printed.
# During the runs Wine's desktop process is held up, as Windows always has one. Not a
# test: it prints figures and judges nothing.
#
# Every Wine process of the prefix, its wineserver included, runs on one CPU (--cpu): a
# start hands hundreds of requests to the wineserver and back, and whenever the scheduler
# puts the two on different CPUs each hand-off costs a cross-CPU wake-up, which on a
# virtual machine varies from one run to the next far more than the start itself does.
# --cpu all lets them run anywhere.
#
#   bench/run-start-bench.sh [--build DIR] [--rounds N] [--cpu N|all]
#                            (default: build/windows, 7, 0)
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build/windows"
rounds=7
on_cpu=0
while [ $# -gt 0 ]; do
    case "$1" in
        --build) build="$2"; shift 2 ;;
        --rounds) rounds="$2"; shift 2 ;;
        --cpu) on_cpu="$2"; shift 2 ;;
        *) echo "usage: run-start-bench.sh [--build DIR] [--rounds N] [--cpu N|all]" >&2; exit 2 ;;
    esac
done
for tool in velmora-start-launcher.exe velmora-bare-window.exe velmora-scan-bench.exe; do
    [ -f "$build/$tool" ] || { echo "run-start-bench.sh: $build/$tool is missing; build first" >&2; exit 2; }
done
setup=$(ls -t "$build"/Velmora-*-setup.exe 2>/dev/null | head -n 1)
[ -n "$setup" ] || { echo "run-start-bench.sh: no setup program in $build; build the target installer" >&2; exit 2; }
strip_tool=$(command -v x86_64-w64-mingw32-strip) || { echo "run-start-bench.sh: needs x86_64-w64-mingw32-strip" >&2; exit 2; }
runner="$top/tools/wine-run.sh"
pin=()
[ "$on_cpu" = all ] || pin=(taskset -c "$on_cpu")
wine_run() { "${pin[@]}" "$runner" --prefix "$prefix" "$@"; }
ticks=$(getconf CLK_TCK)
. "$top/bench/bench-lib.sh"

work=$(mktemp -d /tmp/velmora-start-bench-XXXXXX)
prefix="$work/prefix"
trap '"$runner" --prefix "$prefix" --teardown; rm -rf "$work"' EXIT
# A display of the prefix's own (wine-run.sh starts an Xvfb when there is none), so that
# nothing else drawn on a shared display takes part.
unset DISPLAY
echo "== start benchmark (load average $(load)), on cpu $on_cpu"
wine_run --setup
wine_run "$setup" /S
program='C:\Program Files\Velmora\Velmora.exe'
bare='C:\Program Files\Velmora\velmora-bare-window.exe'
# Beside the program and without debug information, as the setup program installs it.
"$strip_tool" --strip-debug -o "$prefix/drive_c/Program Files/Velmora/velmora-bare-window.exe" \
    "$build/velmora-bare-window.exe"
hold_desktop

# The host's pid of the prefix's running Windows program whose file is named $1.
program_pid() {
    local pid first
    for pid in $(pgrep -f "$1" || true); do
        first=$(tr '\0' '\n' < "/proc/$pid/cmdline" 2>/dev/null | head -n 1)
        [ "${first##*\\}" = "$1" ] || continue
        if { tr '\0' '\n' < "/proc/$pid/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$prefix"; then
            echo "$pid"
            return
        fi
    done
}

# Starts one program (its Windows path) through the launcher; sets seconds, cpu (process +
# wineserver, seconds) and peak (MB), and prints the run's line. The same server must
# serve the whole run, or its share would be unknown: then the benchmark stops.
start() {
    local label=$1 path=$2 before after peak_kib pid pticks launcher
    before=$(server_ticks) || { echo "run-start-bench.sh: the prefix's wineserver has ended" >&2; exit 1; }
    rm -f "$work/out.txt" "$work/go"
    mkfifo "$work/go"
    wine_run "$build/velmora-start-launcher.exe" "$path" < "$work/go" > "$work/out.txt" 2> "$work/err.txt" &
    launcher=$!
    exec 4> "$work/go"
    # The launcher prints its line once the program has signalled and stands still.
    while ! grep -q peak-kib "$work/out.txt" 2>/dev/null; do
        kill -0 "$launcher" 2>/dev/null || break
        sleep 0.05
    done
    after=$(server_ticks) || { echo "run-start-bench.sh: the wineserver ended during a run" >&2; exit 1; }
    pid=$(program_pid "${path##*\\}")
    pticks=$(awk '{ print $14 + $15 }' "/proc/$pid/stat" 2>/dev/null || true)
    exec 4>&-
    if ! wait "$launcher" || [ -z "$pticks" ]; then
        echo "run-start-bench.sh: $label: $(tr -d '\r' < "$work/err.txt" | tail -1)" >&2
        exit 1
    fi
    read -r _ seconds _ peak_kib <<< "$(tr -d '\r' < "$work/out.txt" | tail -1)"
    pcpu=$(awk -v d="$pticks" -v t="$ticks" 'BEGIN { printf "%.3f", d / t }')
    scpu=$(awk -v d=$((after - before)) -v t="$ticks" 'BEGIN { printf "%.3f", d / t }')
    cpu=$(awk -v p="$pcpu" -v s="$scpu" 'BEGIN { printf "%.3f", p + s }')
    peak=$(awk -v k="$peak_kib" 'BEGIN { printf "%.3f", k / 1024 }')
    printf '  %-12s start %6.3f s  cpu %6.3f s = process %6.3f + wineserver %6.3f  peak %6.1f MB\n' \
        "$label" "$seconds" "$cpu" "$pcpu" "$scpu" "$peak"
}
run_program() { start program "$program"; p_seconds=$seconds; p_cpu=$cpu; p_peak=$peak; }
run_bare() { start "bare window" "$bare"; b_seconds=$seconds; b_cpu=$cpu; b_peak=$peak; }

echo "warm-up (untimed figures):"
run_program
run_bare
start_ratios=() cpu_ratios=() memory_differences=() program_starts=() bare_starts=()
for round in $(seq 1 "$rounds"); do
    echo "round $round (load average $(load)):"
    if [ $((round % 2)) = 1 ]; then run_program; run_bare; else run_bare; run_program; fi
    start_ratios+=("$(ratio "$p_seconds" "$b_seconds")")
    cpu_ratios+=("$(ratio "$p_cpu" "$b_cpu")")
    memory_differences+=("$(awk -v p="$p_peak" -v b="$b_peak" 'BEGIN { printf "%.3f", p - b }')")
    program_starts+=("$p_seconds") bare_starts+=("$b_seconds")
done
exec 3>&-
wait
echo "$rounds rounds on cpu $on_cpu; start = process creation to first paint, cpu = process + wineserver:"
echo "  program start: median $(median "${program_starts[@]}") s  (lowest-highest $(spread "${program_starts[@]}") s)"
echo "  bare window start: median $(median "${bare_starts[@]}") s  (lowest-highest $(spread "${bare_starts[@]}") s)"
echo "start program / bare window: median $(median "${start_ratios[@]}")  (lowest-highest $(spread "${start_ratios[@]}"))"
echo "cpu program / bare window: median $(median "${cpu_ratios[@]}")  (lowest-highest $(spread "${cpu_ratios[@]}"))"
echo "peak memory program - bare window: median $(median "${memory_differences[@]}") MB  (lowest-highest $(spread "${memory_differences[@]}") MB)"
echo "load average at the end: $(load)"

#!/usr/bin/env bash
# Scan benchmark: for each scale, plants a synthetic registry and profile in a
# throw-away Wine prefix (scale 1: about 100,000 values in the scanned keys, 20,000
# classes, 5,000 shortcuts, a few percent of the paths missing), then runs, alternately
# and for several rounds, a minimal walker of the same keys and files,
# "velmora-cli scan --no-pause", and the same scan with a "log.dat" of 20,000 repaired
# items (none of them a planted problem, so both scans find the same). It prints for
# each the best wall time, the CPU time (the process's own plus what the prefix's
# wineserver spent for it: on a busy machine this is the steadier figure), the ratios of
# the best times and the median of each round's ratios (rounds run side by side, so
# their ratios are steadier than a ratio of two separate bests),
# values examined per second and the peak resident memory; and, before anything is
# planted and without any window open, the driver's start-up cost on its own (a scan of
# no sections) next to a bare Wine process. During the scans Wine's desktop process is
# held up, as Windows always has one. The load average is printed with every round.
# Not a test: it prints figures and does not judge them.
#
#   bench/run-scan-bench.sh [--build DIR] [--rounds N] [--log-items N] [SCALE...]
#                           (default: build/windows, 5, 20000, 1)
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build/windows"
rounds=5
log_items=20000
scales=()
while [ $# -gt 0 ]; do
    case "$1" in
        --build) build="$2"; shift 2 ;;
        --rounds) rounds="$2"; shift 2 ;;
        --log-items) log_items="$2"; shift 2 ;;
        *) scales+=("$1"); shift ;;
    esac
done
[ ${#scales[@]} -gt 0 ] || scales=(1)
for tool in velmora-scan-bench.exe velmora-cli.exe; do
    [ -f "$build/$tool" ] || { echo "run-scan-bench.sh: $build/$tool is missing; build first" >&2; exit 2; }
done
command -v /usr/bin/time >/dev/null || { echo "run-scan-bench.sh: needs /usr/bin/time (package time)" >&2; exit 2; }
runner="$top/tools/wine-run.sh"
ticks=$(getconf CLK_TCK)

# CPU ticks (user + system) that the wineserver of the prefix has used so far.
server_ticks() {
    local pid
    for pid in $(pgrep -x wineserver64 || true) $(pgrep -x wineserver || true); do
        if tr '\0' '\n' < "/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$prefix"; then
            awk '{ print $14 + $15 }' "/proc/$pid/stat"
            return
        fi
    done
    echo 0
}

# Waits (at most 30 s) until the prefix's desktop process has ended: Wine starts one for
# the first window of a session and ends it a moment after the last window closes.
wait_no_desktop() {
    local pid left
    for _ in $(seq 1 60); do
        left=0
        for pid in $(pgrep -x explorer.exe || true); do
            { tr '\0' '\n' < "/proc/$pid/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$prefix" && left=1
        done
        [ $left = 0 ] && return
        sleep 0.5
    done
}

load() { cut -d' ' -f1-3 /proc/loadavg; }
min() { awk -v a="$1" -v b="$2" 'BEGIN { print (b < a) ? b : a }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { printf "%.3f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Runs one Wine program; sets wall, cpu (seconds) and rss (KiB). A failing program is
# measured all the same: its output shows what went wrong.
measure() {
    local before after stats user sys
    before=$(server_ticks)
    /usr/bin/time -o "$work/time.txt" -f "%e %U %S %M" "$runner" --prefix "$prefix" "$@" > "$work/out.txt" 2>/dev/null || true
    stats=$(tail -1 "$work/time.txt")
    after=$(server_ticks)
    read -r wall user sys rss <<< "$stats"
    cpu=$(awk -v u="$user" -v s="$sys" -v d=$((after - before)) -v t="$ticks" 'BEGIN { printf "%.2f", u + s + d / t }')
}

bench() { measure "$build/velmora-scan-bench.exe" "$@"; }
scan() { measure "$build/velmora-cli.exe" scan --no-pause "$@"; }

for scale in "${scales[@]}"; do
    work=$(mktemp -d /tmp/velmora-bench-XXXXXX)
    prefix="$work/prefix"
    trap '"$runner" --prefix "$prefix" --teardown; rm -rf "$work"' EXIT
    echo "== scale $scale (load average $(load))"
    "$runner" --prefix "$prefix" --setup
    cd "$work"

    # Start-up, with no window of the session open: what every run of the driver costs.
    best_bare=999999 cpu_bare=999999 best_start=999999 cpu_start=999999
    for round in $(seq 1 "$rounds"); do
        wait_no_desktop
        bench log 0
        best_bare=$(min "$best_bare" "$wall") cpu_bare=$(min "$cpu_bare" "$cpu")
        b_wall=$wall b_cpu=$cpu
        wait_no_desktop
        scan --sections none
        best_start=$(min "$best_start" "$wall") cpu_start=$(min "$cpu_start" "$cpu")
        echo "start-up round $round: bare Wine process ${b_wall} s (cpu ${b_cpu} s), scan of no sections ${wall} s (cpu ${cpu} s), load $(load)"
    done

    "$runner" --prefix "$prefix" "$build/velmora-scan-bench.exe" plant --scale "$scale"
    # Keep Wine's desktop process up for the scans, as Windows always has one.
    mkfifo "$work/hold"
    ("$runner" --prefix "$prefix" "$build/velmora-scan-bench.exe" hold < "$work/hold" > /dev/null 2>&1) &
    exec 3> "$work/hold"
    sleep 3
    best_walk=999999 cpu_walk=999999 rss_walk=0
    best_scan=999999 cpu_scan=999999 rss_scan=0
    best_log=999999 cpu_log=999999 rss_log=0
    walk_wall_ratios=() walk_cpu_ratios=() log_wall_ratios=() log_cpu_ratios=()
    for round in $(seq 1 "$rounds"); do
        round_load=$(load)
        bench walk
        walked=$(cat "$work/out.txt")
        w_wall=$wall w_cpu=$cpu
        best_walk=$(min "$best_walk" "$wall") cpu_walk=$(min "$cpu_walk" "$cpu")
        [ "$rss" -gt "$rss_walk" ] && rss_walk=$rss
        scan
        problems=$(grep -c ';;' "$work/out.txt" || true)
        s_wall=$wall s_cpu=$cpu
        best_scan=$(min "$best_scan" "$wall") cpu_scan=$(min "$cpu_scan" "$cpu")
        [ "$rss" -gt "$rss_scan" ] && rss_scan=$rss
        "$runner" --prefix "$prefix" "$build/velmora-scan-bench.exe" log "$log_items" > /dev/null
        scan
        problems_log=$(grep -c ';;' "$work/out.txt" || true)
        best_log=$(min "$best_log" "$wall") cpu_log=$(min "$cpu_log" "$cpu")
        [ "$rss" -gt "$rss_log" ] && rss_log=$rss
        "$runner" --prefix "$prefix" "$build/velmora-scan-bench.exe" log 0 > /dev/null
        walk_wall_ratios+=("$(ratio "$s_wall" "$w_wall")") walk_cpu_ratios+=("$(ratio "$s_cpu" "$w_cpu")")
        log_wall_ratios+=("$(ratio "$wall" "$s_wall")") log_cpu_ratios+=("$(ratio "$cpu" "$s_cpu")")
        echo "round $round: walker ${w_wall} s (cpu ${w_cpu} s), scan ${s_wall} s (cpu ${s_cpu} s), $problems problems," \
             "scan with log.dat ${wall} s (cpu ${cpu} s), $problems_log problems, load $round_load -> $(load)"
    done
    exec 3>&-
    wait
    cd "$top"
    values=$(echo "$walked" | sed -n 's/.*values=\([0-9]*\).*/\1/p')
    echo "walker examined: $walked"
    awk -v ws="$best_walk" -v ss="$best_scan" -v ls="$best_log" -v wc="$cpu_walk" -v sc="$cpu_scan" -v lc="$cpu_log" \
        -v rw="$rss_walk" -v rs="$rss_scan" -v rl="$rss_log" -v v="$values" -v p="$problems" -v n="$log_items" \
        -v bs="$best_bare" -v bc="$cpu_bare" -v ts="$best_start" -v tc="$cpu_start" \
        -v mww="$(median "${walk_wall_ratios[@]}")" -v mwc="$(median "${walk_cpu_ratios[@]}")" \
        -v mlw="$(median "${log_wall_ratios[@]}")" -v mlc="$(median "${log_cpu_ratios[@]}")" 'BEGIN {
        printf "scan:                   wall %.2f s, cpu %.2f s, peak resident %.1f MB\n", ss, sc, rs / 1024
        printf "scan, %d-item log.dat: wall %.2f s, cpu %.2f s, peak resident %.1f MB\n", n, ls, lc, rl / 1024
        printf "walker:                 wall %.2f s, cpu %.2f s, peak resident %.1f MB\n", ws, wc, rw / 1024
        printf "ratio scan/walker: wall %.2f, cpu %.2f\n", ss / ws, sc / wc
        printf "ratio scan with log.dat/scan: wall %.3f, cpu %.3f\n", ls / ss, lc / sc
        printf "median of the rounds'"'"' ratios: scan/walker wall %s, cpu %s; scan with log.dat/scan wall %s, cpu %s\n", \
               mww, mwc, mlw, mlc
        printf "values examined per second (scan, wall): %.0f\n", v / ss
        printf "problems found: %d\n", p
        printf "start-up: scan of no sections wall %.2f s, cpu %.2f s; bare Wine process wall %.2f s, cpu %.2f s\n", ts, tc, bs, bc
    }'
    "$runner" --prefix "$prefix" --teardown
    rm -rf "$work"
    trap - EXIT
done

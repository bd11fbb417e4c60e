#!/usr/bin/env bash
# Scan benchmark: for each scale, plants a synthetic registry and profile in a
# throw-away Wine prefix (scale 1: about 100,000 values in the scanned keys, 20,000
# classes, 5,000 shortcuts, a few percent of the paths missing), then runs a minimal
# walker of the same keys and files and "velmora-cli scan --no-pause", alternately,
# several rounds, and prints for each the best wall time, the CPU time (the process's
# own plus what the prefix's wineserver spent for it: on a busy machine this is the
# steadier figure), the ratio of both, values examined per second and the peak
# resident memory. Wine's desktop process is held up during the measurement, as Windows
# always has one. Not a test: it prints figures and does not judge them.
#
#   bench/run-scan-bench.sh [--build DIR] [--rounds N] [SCALE...]   (default: build/windows, 3, 1)
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build/windows"
rounds=3
scales=()
while [ $# -gt 0 ]; do
    case "$1" in
        --build) build="$2"; shift 2 ;;
        --rounds) rounds="$2"; shift 2 ;;
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

# Runs one Wine program; sets wall, cpu (seconds) and rss (KiB).
measure() {
    local before after stats user sys
    before=$(server_ticks)
    /usr/bin/time -o "$work/time.txt" -f "%e %U %S %M" "$runner" --prefix "$prefix" "$@" > "$work/out.txt" 2>/dev/null
    stats=$(tail -1 "$work/time.txt")
    after=$(server_ticks)
    read -r wall user sys rss <<< "$stats"
    cpu=$(awk -v u="$user" -v s="$sys" -v d=$((after - before)) -v t="$ticks" 'BEGIN { printf "%.2f", u + s + d / t }')
}

for scale in "${scales[@]}"; do
    work=$(mktemp -d /tmp/velmora-bench-XXXXXX)
    prefix="$work/prefix"
    trap '"$runner" --prefix "$prefix" --teardown; rm -rf "$work"' EXIT
    echo "== scale $scale"
    "$runner" --prefix "$prefix" --setup
    (cd "$work" && "$runner" --prefix "$prefix" "$build/velmora-scan-bench.exe" plant --scale "$scale")
    # Keep Wine's desktop process up for the whole measurement, as Windows always has one
    # (the scan's message window would otherwise start a new one in every run).
    mkfifo "$work/hold"
    (cd "$work" && "$runner" --prefix "$prefix" "$build/velmora-scan-bench.exe" hold < "$work/hold" > /dev/null 2>&1) &
    exec 3> "$work/hold"
    sleep 3
    best_walk=999999 best_scan=999999 cpu_walk=999999 cpu_scan=999999 rss_walk=0 rss_scan=0
    for round in $(seq 1 "$rounds"); do
        cd "$work"
        measure "$build/velmora-scan-bench.exe" walk
        walked=$(cat "$work/out.txt")
        w_wall=$wall w_cpu=$cpu
        best_walk=$(awk -v a="$best_walk" -v b="$wall" 'BEGIN { print (b < a) ? b : a }')
        cpu_walk=$(awk -v a="$cpu_walk" -v b="$cpu" 'BEGIN { print (b < a) ? b : a }')
        [ "$rss" -gt "$rss_walk" ] && rss_walk=$rss
        measure "$build/velmora-cli.exe" scan --no-pause
        problems=$(grep -c ';;' "$work/out.txt" || true)
        best_scan=$(awk -v a="$best_scan" -v b="$wall" 'BEGIN { print (b < a) ? b : a }')
        cpu_scan=$(awk -v a="$cpu_scan" -v b="$cpu" 'BEGIN { print (b < a) ? b : a }')
        [ "$rss" -gt "$rss_scan" ] && rss_scan=$rss
        echo "round $round: walker ${w_wall} s (cpu ${w_cpu} s), scan ${wall} s (cpu ${cpu} s), $problems problems"
        cd "$top"
    done
    exec 3>&-
    wait
    values=$(echo "$walked" | sed -n 's/.*values=\([0-9]*\).*/\1/p')
    echo "walker examined: $walked"
    awk -v ws="$best_walk" -v ss="$best_scan" -v wc="$cpu_walk" -v sc="$cpu_scan" -v v="$values" \
        -v rw="$rss_walk" -v rs="$rss_scan" -v p="$problems" 'BEGIN {
        printf "scan:   wall %.2f s, cpu %.2f s, peak resident %.1f MB\n", ss, sc, rs / 1024
        printf "walker: wall %.2f s, cpu %.2f s, peak resident %.1f MB\n", ws, wc, rw / 1024
        printf "ratio scan/walker: wall %.2f, cpu %.2f\n", ss / ws, sc / wc
        printf "values examined per second (scan, wall): %.0f\n", v / ss
        printf "problems found: %d\n", p
    }'
    "$runner" --prefix "$prefix" --teardown
    rm -rf "$work"
    trap - EXIT
done

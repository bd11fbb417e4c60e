#!/usr/bin/env bash
# Scan benchmark: for each scale, plants a synthetic registry and profile in a
# throw-away Wine prefix (scale 1: about 100,000 values in the scanned keys, 20,000
# classes, 5,000 shortcuts, a few percent of the paths missing, most files named by
# several values and several files per folder), then compares
# "velmora-cli scan --no-pause" with a naive walker of the same keys and files (one
# query per candidate path), and the scan with a "log.dat" of 20,000 repaired items
# (none of them a planted problem, so both scans find the same) with the plain scan.
#
# Fairness: one untimed warm-up of each program first; then every round runs
#   walker, scan, scan, walker     (round ratio: the two scans over the two walks)
#   scan, log scan, log scan, scan (round ratio: the two log scans over the two scans)
# so neither side always runs first or last. Every timed run counts the CPU of the
# process and of the prefix's wineserver during that run (half of a scan's cost is
# spent in the server). The headline is the median of the rounds' CPU ratios, with
# their spread (lowest and highest); every run's raw figures are printed too. During
# the runs Wine's desktop process is held up, as Windows always has one. The load
# average is printed with every round. Not a test: it prints figures and judges nothing.
#
# Every Wine process of the prefix, its wineserver included, runs on one CPU (--cpu):
# the scan hands each registry request from its worker thread to the wineserver and
# back, and whenever the scheduler puts the two on different CPUs every hand-off costs
# a cross-CPU wake-up, which on a virtual machine made the same scan cost four to five
# times as much from one run to the next. --cpu all lets them run anywhere.
#
#   bench/run-scan-bench.sh [--build DIR] [--rounds N] [--log-items N] [--cpu N|all] [SCALE...]
#                           (default: build/windows, 5, 20000, 0, 1)
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build/windows"
rounds=5
log_items=20000
on_cpu=0
scales=()
while [ $# -gt 0 ]; do
    case "$1" in
        --build) build="$2"; shift 2 ;;
        --rounds) rounds="$2"; shift 2 ;;
        --log-items) log_items="$2"; shift 2 ;;
        --cpu) on_cpu="$2"; shift 2 ;;
        *) scales+=("$1"); shift ;;
    esac
done
[ ${#scales[@]} -gt 0 ] || scales=(1)
for tool in velmora-scan-bench.exe velmora-cli.exe; do
    [ -f "$build/$tool" ] || { echo "run-scan-bench.sh: $build/$tool is missing; build first" >&2; exit 2; }
done
command -v /usr/bin/time >/dev/null || { echo "run-scan-bench.sh: needs /usr/bin/time (package time)" >&2; exit 2; }
runner="$top/tools/wine-run.sh"
pin=()
[ "$on_cpu" = all ] || pin=(taskset -c "$on_cpu")
wine_run() { "${pin[@]}" "$runner" --prefix "$prefix" "$@"; }
ticks=$(getconf CLK_TCK)
started=$(date +%s)

. "$top/bench/bench-lib.sh"

# Runs one Wine program; sets wall, pcpu (the process), scpu (the wineserver during the
# run), cpu (both, seconds) and rss (KiB), and prints the run's line. The same server
# must serve the whole run, or its share would be unknown: then the benchmark stops.
measure() {
    local label=$1 before after user sys
    shift
    before=$(server_ticks) || { echo "run-scan-bench.sh: the prefix's wineserver has ended" >&2; exit 1; }
    /usr/bin/time -o "$work/time.txt" -f "%e %U %S %M" "${pin[@]}" "$runner" --prefix "$prefix" "$@" > "$work/out.txt" 2>/dev/null || true
    after=$(server_ticks) || { echo "run-scan-bench.sh: the wineserver ended during a run" >&2; exit 1; }
    read -r wall user sys rss <<< "$(tail -1 "$work/time.txt")"
    pcpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')
    scpu=$(awk -v d=$((after - before)) -v t="$ticks" 'BEGIN { printf "%.2f", d / t }')
    cpu=$(awk -v p="$pcpu" -v s="$scpu" 'BEGIN { printf "%.2f", p + s }')
    printf '  %-9s wall %6.2f s  cpu %6.2f s = process %6.2f + wineserver %6.2f  peak %6.1f MB\n' \
        "$label" "$wall" "$cpu" "$pcpu" "$scpu" "$(awk -v r="$rss" 'BEGIN { print r / 1024 }')"
}

walk() { measure walker "$build/velmora-scan-bench.exe" walk; walked=$(cat "$work/out.txt"); }
scan() { measure "$1" "$build/velmora-cli.exe" scan --no-pause; problems=$(grep -c ';;' "$work/out.txt" || true); }
repaired_items() { wine_run "$build/velmora-scan-bench.exe" log "$1" > /dev/null; }
add() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a + b }'; }

for scale in "${scales[@]}"; do
    work=$(mktemp -d /tmp/velmora-bench-XXXXXX)
    prefix="$work/prefix"
    trap '"$runner" --prefix "$prefix" --teardown; rm -rf "$work"' EXIT
    echo "== scale $scale (load average $(load)), on cpu $on_cpu"
    wine_run --setup
    cd "$work"
    wine_run "$build/velmora-scan-bench.exe" plant --scale "$scale"
    hold_desktop

    echo "warm-up (untimed figures):"
    walk
    scan scan
    repaired_items "$log_items"
    scan "log scan"
    repaired_items 0
    # What the scan's cache of path checks saves over the naive walk's one query per path.
    cache_line=$(wine_run "$build/velmora-scan-bench.exe" checks | tail -1)
    walk_ratios=() log_ratios=()
    for round in $(seq 1 "$rounds"); do
        echo "round $round (load average $(load)):"
        walk; w1=$cpu
        scan scan; s1=$cpu; problems_scan=$problems
        scan scan; s2=$cpu
        walk; w2=$cpu
        walk_ratios+=("$(ratio "$(add "$s1" "$s2")" "$(add "$w1" "$w2")")")
        scan scan; s3=$cpu
        repaired_items "$log_items"
        scan "log scan"; l1=$cpu; problems_log=$problems
        scan "log scan"; l2=$cpu
        repaired_items 0
        scan scan; s4=$cpu
        log_ratios+=("$(ratio "$(add "$l1" "$l2")" "$(add "$s3" "$s4")")")
        echo "  cpu ratios: scan/walker ${walk_ratios[-1]}, log scan/scan ${log_ratios[-1]};" \
             "problems: scan $problems_scan, log scan $problems_log"
    done
    exec 3>&-
    wait
    cd "$top"
    echo "walker examined: $walked"
    echo "the walk, $cache_line"
    echo "scale $scale, $rounds rounds on cpu $on_cpu, cpu = process + wineserver, ratio per round = (its two runs) / (its two baseline runs):"
    echo "  scan / walker:       median $(median "${walk_ratios[@]}")  (lowest-highest $(spread "${walk_ratios[@]}"))"
    echo "  log scan / scan:     median $(median "${log_ratios[@]}")  (lowest-highest $(spread "${log_ratios[@]}"))"
    echo "  load average at the end: $(load); elapsed so far $(( $(date +%s) - started )) s"
    "$runner" --prefix "$prefix" --teardown
    rm -rf "$work"
    trap - EXIT
done

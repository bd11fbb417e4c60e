# Shell functions of the benchmarks (sourced): the prefix's wineserver and its CPU, the
# load average, and the figures' arithmetic.

# The pid of the wineserver of the prefix $prefix (none: empty).
find_server() {
    local pid
    for pid in $(pgrep -x wineserver64 || true) $(pgrep -x wineserver || true); do
        if { tr '\0' '\n' < "/proc/$pid/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$prefix"; then
            echo "$pid"
            return
        fi
    done
}

# CPU ticks (user + system) the server $server has used so far; fails when it has ended.
server_ticks() { awk '{ print $14 + $15 }' "/proc/$server/stat" 2>/dev/null; }

# Keeps Wine's desktop process of the prefix up, as Windows always has one, until file
# descriptor 3 is closed; then sets server to the prefix's wineserver. Uses wine_run,
# $work and $build.
hold_desktop() {
    mkfifo "$work/hold"
    (wine_run "$build/velmora-scan-bench.exe" hold < "$work/hold" > /dev/null 2>&1) &
    exec 3> "$work/hold"
    sleep 3
    server=$(find_server)
    [ -n "$server" ] || { echo "$(basename "$0"): no wineserver for $prefix" >&2; exit 1; }
}

load() { cut -d' ' -f1-3 /proc/loadavg; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { printf "%.3f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
spread() { printf '%s\n' "$@" | sort -g | awk 'NR == 1 { lo = $1 } { hi = $1 } END { printf "%.3f-%.3f", lo, hi }'; }

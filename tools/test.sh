#!/usr/bin/env bash
# Installs what is missing, builds both builds and runs every test: the portable core
# natively under the sanitizers, then everything else under Wine in a fresh prefix.
set -u
cd "$(dirname "$0")/.."
tools/setup.sh || exit 1

status=0
summary=()
run_build_and_tests() {
    local preset=$1
    echo "== $preset build"
    if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; }; then
        echo "== $preset build failed"
        status=1
        summary+=("$preset: build failed")
        return
    fi
    echo "== $preset tests"
    local log
    log=$(mktemp)
    ctest --preset "$preset" 2>&1 | tee "$log"
    [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
    summary+=("$preset: $(grep -E 'tests passed, [0-9]+ tests failed out of' "$log" | tail -n 1)")
    rm -f "$log"
}

run_build_and_tests host
run_build_and_tests windows

echo "== summary"
printf '%s\n' "${summary[@]}"
exit $status

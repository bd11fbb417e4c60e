#!/usr/bin/env bash
# Installs what is missing, builds both builds and runs every test: the portable core
# natively under the sanitizers, then everything else under Wine in a fresh prefix.
set -u
cd "$(dirname "$0")/.."
tools/setup.sh || exit 1

status=0
summary=()
passed=0
failed=0
run_build_and_tests() {
    local preset=$1
    echo "== $preset build"
    if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; }; then
        echo "== $preset build failed"
        status=1
        failed=$((failed + 1))
        summary+=("$preset: build failed")
        return
    fi
    echo "== $preset tests"
    local log
    log=$(mktemp)
    ctest --preset "$preset" 2>&1 | tee "$log"
    [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
    local line
    line=$(grep -E 'tests passed, [0-9]+ tests failed out of' "$log" | tail -n 1)
    summary+=("$preset: $line")
    if [[ $line =~ ([0-9]+)\ tests\ failed\ out\ of\ ([0-9]+) ]]; then
        failed=$((failed + BASH_REMATCH[1]))
        passed=$((passed + BASH_REMATCH[2] - BASH_REMATCH[1]))
    else
        status=1
    fi
    rm -f "$log"
}

run_build_and_tests host
run_build_and_tests windows

echo "== summary"
printf '%s\n' "${summary[@]}"
echo "tests: $passed passed, $failed failed"
exit $status

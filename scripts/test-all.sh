#!/usr/bin/env bash
# Builds and tests everything: the host tree (unit tests against the simulated Windows, the
# packer), the same under sanitizers, the fuzz targets briefly, the win32 tree (the i686 stub and
# its end-to-end tests under Wine) and the win64 tree (the x86_64 build under 64-bit Wine). Ends
# with every tree's summary, which Wine profiles ran, and the totals; exits non-zero on any
# failure. Run as root on Debian 12 (it installs what it needs).
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)
jobs=$(nproc)
start=$(date +%s)
mkdir -p build/logs
failures=()
summaries=()
passed_total=0
failed_total=0
skipped_total=0

# Runs a build step quietly; its log is shown only when it fails.
step() {
    local name=$1
    shift
    local log="$root/build/logs/$name.log"
    echo "== $name"
    if "$@" > "$log" 2>&1; then
        return 0
    fi
    tail -n 80 "$log"
    echo "test-all: $name failed (log: $log)"
    failures+=("$name")
    return 1
}

# Runs one tree's tests with full output, and keeps its summary line for the end.
run_ctest() {
    local name=$1
    shift
    local log="$root/build/logs/$name-ctest.log"
    echo "== $name tests"
    ctest "$@" 2>&1 | tee "$log"
    local status=${PIPESTATUS[0]}
    local summary
    summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n1)
    if [[ -n $summary ]]; then
        summaries+=("$name: $summary")
        local failed total
        failed=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<< "$summary")
        total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<< "$summary")
        # ctest counts a skipped test as not failed; report it apart.
        local skipped
        skipped=$(grep -cE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* \*\*\*Skipped' "$log")
        passed_total=$((passed_total + total - failed - skipped))
        failed_total=$((failed_total + failed))
        skipped_total=$((skipped_total + skipped))
    else
        summaries+=("$name: no test summary")
    fi
    if ((status != 0)) || [[ -z $summary ]]; then failures+=("$name tests"); fi
}

if ! bash scripts/setup.sh; then
    echo "test-all: setup failed"
    exit 1
fi

if step host-configure cmake --preset host &&
    step host-build cmake --build --preset host -j "$jobs"; then
    run_ctest host --test-dir build/host --output-on-failure -j "$jobs" --timeout 600
fi

# The same unit tests under AddressSanitizer and UndefinedBehaviorSanitizer.
if step host-asan-configure cmake --preset host-asan &&
    step host-asan-build cmake --build --preset host-asan -j "$jobs"; then
    run_ctest host-asan --test-dir build/host-asan --output-on-failure -j "$jobs" --timeout 900
fi

# Each fuzz target briefly from its seed corpus (tests/fuzz/run.sh runs them long).
fuzz_targets=(fuzz_loader fuzz_placement fuzz_file_log fuzz_inf_filter fuzz_command_line)
if step fuzz-configure cmake --preset fuzz &&
    step fuzz-build cmake --build --preset fuzz -j "$jobs" --target "${fuzz_targets[@]}"; then
    run_ctest fuzz --test-dir build/fuzz -L fuzz --output-on-failure --timeout 300
fi

# The Wine tests pack the sample with the host build's stowpack (build/host/tools/stowpack).
if step win32-configure cmake --preset win32 &&
    step win32-build cmake --build --preset win32 -j "$jobs"; then
    run_ctest win32 --test-dir build/win32 --output-on-failure -j "$jobs" --timeout 900
fi

# The same stub and test driver built for x86_64, for the Wine tests under 64-bit Wine (profile
# x64); the i686 tree's Wine tests need a kernel that runs 32-bit programs and skip otherwise.
if step win64-configure cmake --preset win64 &&
    step win64-build cmake --build --preset win64 -j "$jobs"; then
    run_ctest win64 --test-dir build/win64 --output-on-failure -j "$jobs" --timeout 900
fi

# Which Wine profiles ran and which were skipped, so that a green log says whether the shipped
# i686 stub was exercised (it needs a kernel that runs 32-bit programs).
wine_profiles() {
    local tree log profile ran reason
    for tree in win32 win64; do
        log="$root/build/logs/$tree-ctest.log"
        [[ -f $log ]] || continue
        ran=$(grep -oE 'Test +#[0-9]+: wine\.[a-z0-9]+\.[^ ]+ \.+ *(Passed|\*\*\*Failed)' "$log" |
            sed -E 's/.*wine\.([a-z0-9]+)\..*/\1/' | sort | uniq -c | awk '{ printf " %s (%d)", $2, $1 }')
        echo "Wine profiles run in $tree:${ran:- none}"
        if grep -qE 'wine\.unavailable .*Skipped' "$log"; then
            reason=$(sed -n 's/.*Wine tests: skipped: //p' "$root/build/logs/$tree-configure.log" | head -n1)
            echo "Wine profiles skipped in $tree: ${reason:-see $log}"
        fi
    done
}

elapsed=$(($(date +%s) - start))
echo
echo "== summary (${elapsed}s)"
for line in "${summaries[@]}"; do echo "$line"; done
if [[ -f build/win32/stowaway.exe ]]; then
    echo "stub: build/win32/stowaway.exe, $(stat -c %s build/win32/stowaway.exe) bytes"
fi
wine_profiles
echo "Wine results: build/win{32,64}/wine-results/<profile>/<scenario>.{png,txt,log}"
if ((${#failures[@]})); then
    echo "failed: ${failures[*]}"
fi
echo "total: $passed_total passed, $failed_total failed, $skipped_total skipped"
((${#failures[@]} == 0))

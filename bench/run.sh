#!/bin/sh
# Builds the benchmarks in Release and runs them on this machine's disk: placement and file log,
# the tint bar's paint cost, and the installer stub's size. Data goes to a fresh folder under
# $TMPDIR (default /tmp), about 2.5 GiB at the peak, removed afterwards.
# The stub measured is $STOWAWAY_STUB when set, else one built here with MinGW-w64 (MinSizeRel,
# static, stripped) in $BENCH_BUILD_DIR-win32; without the cross compiler that step is skipped.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${BENCH_BUILD_DIR:-$here/../build/bench}
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target placement_bench tint_bench -j "$(nproc)" >/dev/null
work=$(mktemp -d "${TMPDIR:-/tmp}/stow-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM
"$build/placement_bench" "$work"
"$build/tint_bench"

stub=${STOWAWAY_STUB:-}
if [ -z "$stub" ] && command -v i686-w64-mingw32-g++ >/dev/null 2>&1; then
    cmake -S "$here/.." -B "$build-win32" -DCMAKE_TOOLCHAIN_FILE="$here/../cmake/mingw-i686.cmake" \
        -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
    cmake --build "$build-win32" --target stowaway -j "$(nproc)" >/dev/null
    stub=$build-win32/stowaway.exe
fi
if [ -n "$stub" ]; then
    size=$(wc -c < "$stub")
    goal=196608
    awk -v s="$size" -v g="$goal" 'BEGIN {
        printf "Stub size: %d bytes (%.1f KiB), goal %d bytes (192 KiB): %.2f x the goal, %s\n",
               s, s / 1024, g, s / g, (s <= g ? "met" : "not met") }'
else
    echo "Stub size: skipped (no i686-w64-mingw32-g++ and no STOWAWAY_STUB)"
fi

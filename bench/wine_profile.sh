#!/usr/bin/env bash
# Where the CPU time per record goes under Wine, beyond system calls and server round trips: the
# real installer places N files of 4 KiB, then the plain Win32 loop writes as many, each under
# `perf record` with the software clock (no hardware counters needed), wineserver included (it
# serves both). Prints each one's samples by module (the stub, Wine's DLLs, the kernel), so what
# the installer pays and the loop does not stands side by side. Not a test: it prints figures.
#
#   bench/wine_profile.sh [N]      (default 20000; needs what wine_bench.sh needs, and perf)
#
# $PROFILE_KEEP=DIR keeps the perf data files there, for `perf report --sort sym`.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=wine_lib.sh
source "$root/bench/wine_lib.sh"

n=${1:-20000}
command -v perf > /dev/null || die "perf is needed"
warm_prefix

# Runs the rest of the command line with a fresh wineserver sampled into $work/KIND.server.
with_profiled_server() {
    local kind=$1
    shift
    prefix_stop "$prefix"
    perf record -q -e cpu-clock -o "$work/$kind.server" -- wineserver -f -p3 \
        < /dev/null > /dev/null 2>&1 &
    local server=$!
    sleep 1
    "$@"
    prefix_stop "$prefix"
    wait "$server"
}

profile_install() {
    INSTALLER_WRAP=(perf record -q -e cpu-clock -o "$work/installer.process" --)
    run_installer small "Small Files"
    INSTALLER_WRAP=()
}

profile_loop() {
    mkdir -p "$c/Program Files/Bench"
    perf record -q -e cpu-clock -o "$work/loop.process" -- \
        "$WINE" "$clock" write-files 'C:\Program Files\Bench\Plain Loop' "$n" 4096 1000 \
        < /dev/null > /dev/null 2>&1 || die "the plain loop failed"
    rm -rf "$c/Program Files/Bench/Plain Loop"
}

# "module samples" lines of a perf data file, largest first.
by_module() {
    perf report -q -i "$1" --sort dso --stdio -F overhead,sample,dso 2> /dev/null |
        awk 'NF >= 3 { print $3, $2 }' | head -n "${2:-12}"
}

file_list "$n" 4096 | make_package "$work/small" "Small Files" || exit 1
pack "$work/small" small
with_profiled_server installer profile_install
check_installation "$n files" "$work/small" "Small Files"
remove_installation
warm_prefix
with_profiled_server loop profile_loop

echo "Wine profile: $(basename "$tree") stub $(wc -c < "$stub") bytes, profile $profile," \
    "$("$WINE" --version), $n files of 4 KiB; samples of the software clock (1 ms each at 1000 Hz)"
for part in process server; do
    echo
    if [[ $part == process ]]; then
        echo "Samples of the Windows process by module: installer | plain loop"
    else
        echo "Samples of wineserver by module, while it served each: installer | plain loop"
    fi
    paste <(by_module "$work/installer.$part") <(by_module "$work/loop.$part") |
        awk -F'\t' '{ printf "%-44s %s\n", $1, $2 }'
done
if [[ -n ${PROFILE_KEEP:-} ]]; then
    mkdir -p "$PROFILE_KEEP" && cp "$work"/*.process "$work"/*.server "$PROFILE_KEEP"/
fi

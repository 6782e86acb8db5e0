#!/usr/bin/env bash
# The real installer stub under Wine, timed from the Install click to the end state (Finish
# shown) in one run against `cp -r` of the same files into the same prefix's drive and, for many
# small files, against the plainest Win32 loop that writes the same files: one 512 MiB file, then
# 20,000 files of 4 KiB. Then the peak memory of the Wine process that runs the installer for
# 100,000 files. Not a test: it prints figures.
#
#   bench/wine_bench.sh            (from the repository; needs the host tree's stowpack and the
#                                   i686 tree, or the x86_64 tree where 32-bit Wine cannot run)
#
# Work files (a prefix, the packages, about 3 GiB at the peak) go to a fresh folder under
# $BENCH_SHM (default /dev/shm), removed at the end. $BENCH_RUNS (default 3) runs of each
# program per case, interleaved; minimum and median are printed, since a shared machine only
# ever adds time. $BENCH_BASELINE_STUB names another stub (an earlier build) that is timed in
# the same rounds on the small files, to say what a change saved.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=wine_lib.sh
source "$root/bench/wine_lib.sh"

runs=${BENCH_RUNS:-3}

# "min / median" of the values, and of their ratios to a reference's.
figures() { printf '%s / %s' "$(min "$@")" "$(median "$@")"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# What any Windows program pays under Wine for the same files: one CreateDirectory per folder,
# and CreateFile, WriteFile and CloseHandle per file, into folders of the same size at the same
# depth (Wine looks up every folder on the way to a new file's name).
plain_loop() {
    local count=$1 out
    mkdir -p "$c/Program Files/Bench"
    out=$("$WINE" "$clock" write-files 'C:\Program Files\Bench\Plain Loop' "$count" 4096 1000 \
        < /dev/null 2>> "$work/clock.err") || die "the plain Win32 loop failed: $(cat "$work/clock.err")"
    rm -rf "$c/Program Files/Bench/Plain Loop"
    sed -n 's/^seconds=\([0-9.]*\).*/\1/p' <<< "$out"
}

# One case: per round cp -r of the packed files, the installer and (for COUNT > 0) the plain
# loop writing COUNT files. Sets INSTALLS, COPIES, LOOPS and PEAKS (one value per round).
measure() {
    local label=$1 dir=$2 name=$3 package=$4 count=$5 i start
    pack "$dir" "$name"
    local baseline=${BENCH_BASELINE_STUB:-}
    ((count > 0)) && [[ -n $baseline ]] && stub=$baseline pack "$dir" "$name-baseline"
    INSTALLS=() COPIES=() LOOPS=() PEAKS=() BASELINES=()
    for ((i = 0; i < runs; i++)); do
        start=$(now)
        cp -r "$dir/files" "$c/cp-copy"
        COPIES+=("$(elapsed "$start" "$(now)")")
        rm -rf "$c/cp-copy"
        run_installer "$name" "$package"
        INSTALLS+=("$RUN_SECONDS")
        PEAKS+=("$PEAK_KIB")
        # A time is only worth printing for an installation that placed every byte.
        check_installation "$label" "$dir" "$package"
        remove_installation
        ((count > 0)) && LOOPS+=("$(plain_loop "$count")")
        if ((count > 0)) && [[ -n $baseline ]]; then
            run_installer "$name-baseline" "$package"
            BASELINES+=("$RUN_SECONDS")
            check_installation "$label" "$dir" "$package"
            remove_installation
        fi
    done
    rm -f "$c/Downloads/$name.exe" "$c/Downloads/$name-baseline.exe"
}

# "LABEL  installer min / median s   REFERENCE min / median s   ratio min / median  goal"
report() {
    local label=$1 reference=$2 goal=$3 ours=$4 theirs=$5
    local -a a b
    read -r -a a <<< "$ours"
    read -r -a b <<< "$theirs"
    local rmin rmed
    rmin=$(ratio "$(min "${a[@]}")" "$(min "${b[@]}")")
    rmed=$(ratio "$(median "${a[@]}")" "$(median "${b[@]}")")
    printf '%-22s installer %s s   %s %s s   ratio %s / %s   goal <= %s: %s\n' "$label" \
        "$(figures "${a[@]}")" "$reference" "$(figures "${b[@]}")" "$rmin" "$rmed" "$goal" \
        "$(awk -v r="$rmin" -v g="$goal" 'BEGIN { print (r <= g ? "met" : "not met") }')"
}

echo "Wine benchmark: $(basename "$tree") stub $(wc -c < "$stub") bytes, profile $profile," \
    "$("$WINE" --version 2> /dev/null) ($WINE), prefix on $(df --output=fstype "$work" | tail -n1)," \
    "$(nproc) cores, $runs runs (figures are min / median)"
warm_prefix

printf '%s\n' "big.bin $((512 << 20))" | make_package "$work/big" "One Large File" || exit 1
measure "one 512 MiB file" "$work/big" big "One Large File" 0
report "one 512 MiB file" "cp -r" 2 "${INSTALLS[*]}" "${COPIES[*]}"
big_peaks=("${PEAKS[@]}")
rm -rf "$work/big"

file_list 20000 4096 | make_package "$work/small" "Small Files" || exit 1
measure "20000 files of 4 KiB" "$work/small" small "Small Files" 20000
report "20000 files of 4 KiB" "plain loop" 1.25 "${INSTALLS[*]}" "${LOOPS[*]}"
report "" "cp -r" - "${INSTALLS[*]}" "${COPIES[*]}" | sed 's/goal <= -: .*//'
report "  the plain loop" "cp -r" - "${LOOPS[*]}" "${COPIES[*]}" |
    sed 's/installer/         /; s/goal <= -: .*//'
if ((${#BASELINES[@]})); then
    report "  baseline stub" "plain loop" - "${BASELINES[*]}" "${LOOPS[*]}" |
        sed 's/installer/ baseline/; s/goal <= -: .*//'
    report "  installer" "baseline" - "${INSTALLS[*]}" "${BASELINES[*]}" | sed 's/goal <= -: .*//'
fi
small_peaks=("${PEAKS[@]}")
rm -rf "$work/small"

# Memory for many records: a package of 100,000 files, installed once.
file_list 100000 4096 | make_package "$work/many" "Many Files" || exit 1
pack "$work/many" many
run_installer many "Many Files"
check_installation "100000 files" "$work/many" "Many Files"
many_peak=$PEAK_KIB many_seconds=$RUN_SECONDS
remove_installation
rm -rf "$work/many" "$c/Downloads/many.exe"

echo "Process measured: $PROCESS (pid of the Wine loader, which becomes the Windows process)"
echo "Peak memory: VmHWM of that whole Wine process, i.e. its peak resident set, Wine's own"
echo "DLLs and heaps included, read from /proc until the process ends"
mib_list() { local v; for v in "$@"; do printf '%s ' "$(kib_to_mib "$v")"; done; }
printf '  %-26s %s MiB\n' "512 MiB file" "$(mib_list "${big_peaks[@]}")"
printf '  %-26s %s MiB\n' "20000 files" "$(mib_list "${small_peaks[@]}")"
printf '  %-26s %s MiB (installed in %s s)\n' "100000 files" "$(kib_to_mib "$many_peak")" "$many_seconds"
awk -v a="$(median "${small_peaks[@]}")" -v b="$many_peak" 'BEGIN {
    d = (b - a) / 1024
    printf "  100000 vs 20000 files: %+.1f MiB; goal <= 32 MiB and <= +4 MiB: %s\n",
           d, (b <= 32 * 1024 && d <= 4 ? "met" : "not met") }'

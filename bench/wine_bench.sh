#!/usr/bin/env bash
# The real installer stub under Wine, timed from the Install click to the end state (Finish
# shown) against `cp -r` of the same files into the same prefix's drive, in one run: one 512 MiB
# file, then 20,000 files of 4 KiB. Then the peak memory of the Wine process that runs the
# installer, for a ~100 MiB and a 900 MiB package. Not a test: it prints figures.
#
#   bench/wine_bench.sh            (from the repository; needs the host tree's stowpack and the
#                                   i686 tree, or the x86_64 tree where 32-bit Wine cannot run)
#
# Work files (a prefix, the packages, about 4 GiB at the peak) go to a fresh folder under
# $BENCH_SHM (default /dev/shm), removed at the end. $BENCH_RUNS (default 2) installer runs and
# one more cp run per case; the best of each counts, since a shared machine only ever adds time.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=../tests/wine/lib.sh
source "$root/tests/wine/lib.sh"

runs=${BENCH_RUNS:-2}
stowpack=${STOW_STOWPACK:-$root/build/host/tools/stowpack}
[[ -x $stowpack ]] || die "no packer at $stowpack (build the host tree)"

# 32-bit Wine is a 32-bit Linux program: where the kernel cannot run it, the x86_64 build of the
# same sources runs under 64-bit Wine instead.
if /usr/lib/wine/wine --version > /dev/null 2>&1 && [[ -f $root/build/win32/stowaway.exe ]]; then
    tree=$root/build/win32 profile=win32 WINE=wine cxx=i686-w64-mingw32-g++
else
    tree=$root/build/win64 profile=x64 WINE=$STOW_WINE64 cxx=x86_64-w64-mingw32-g++
fi
stub=$tree/stowaway.exe
[[ -f $stub ]] || die "no stub at $stub (build the tree)"

work=$(mktemp -d "${BENCH_SHM:-/dev/shm}/stow-wine-bench.XXXXXX") || die "no work folder"
prefix=$work/prefix
installer_pid=""
cleanup() {
    set +e
    [[ -n $installer_pid ]] && kill "$installer_pid" 2> /dev/null
    prefix_stop "$prefix"
    xvfb_stop
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

xvfb_start "$work"
template=$tree/wine-work/templates/$profile
if [[ -d $template ]]; then
    cp -a "$template" "$prefix"
else
    log "no prefix template in $template: booting a fresh prefix"
    prefix_create "$(profile_arch "$profile")" "$prefix" "$work/prefix.log" "$WINE"
fi
export WINEPREFIX=$prefix
c=$prefix/drive_c
mkdir -p "$c/Downloads"

clock=$work/wine_clock.exe
"$cxx" -O2 -static -o "$clock" "$root/bench/wine_clock.cpp" -luser32 ||
    die "could not build the stopwatch with $cxx"

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
min() { printf '%s\n' "$@" | sort -g | head -n1; }
kib_to_mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }

# Reads VmHWM (KiB) of a process; empty once it has ended.
hwm() {
    local key value rest
    while read -r key value rest; do
        [[ $key == VmHWM: ]] && { printf '%s' "$value"; return 0; }
    done 2> /dev/null < "/proc/$1/status"
    return 0
}

# Writes a package folder: manifest.toml with one placement-16 record (target directory) per
# file under files/, given as "RELATIVE-PATH SIZE-IN-BYTES" lines on stdin.
make_package() {
    local dir=$1 package=$2
    mkdir -p "$dir/files"
    cat > "$dir/list"
    python3 - "$dir" "$package" << 'PY' || die "could not write the package $2"
import os, sys
from pathlib import Path
folder, package = Path(sys.argv[1]), sys.argv[2]
# Without the uninstaller record: the measured package is the placement load alone.
lines = ['vendor = "Bench"', f'package = "{package}"', "time = 2024-03-01T10:00:00",
         "uninstaller = false"]
block = os.urandom(1 << 20)
for entry in (folder / "list").read_text().split("\n"):
    if not entry:
        continue
    relative, size = entry.rsplit(" ", 1)
    size = int(size)
    path = folder / "files" / relative
    path.parent.mkdir(parents=True, exist_ok=True)
    with open(path, "wb") as out:
        left = size
        while left:
            # Distinct bytes per file: a fresh random block now and then, rotated otherwise.
            if size <= len(block):
                out.write(os.urandom(size))
                break
            n = min(left, len(block))
            out.write(block[:n])
            block = block[4099:] + os.urandom(4099)
            left -= n
    windows = relative.replace("/", "\\\\")
    lines += ["", "[[file]]", "placement = 16", f'path = "{windows}"',
              f'source = "files/{relative}"']
(folder / "manifest.toml").write_text("\n".join(lines) + "\n")
PY
}

# Packs a package folder into C:\Downloads\NAME.exe.
pack() {
    local dir=$1 name=$2
    (cd "$dir" && "$stowpack" build manifest.toml -o "$c/Downloads/$name.exe" --stub "$stub") \
        > "$work/stowpack.log" 2>&1 || die "stowpack build failed: $(cat "$work/stowpack.log")"
}

# Runs C:\Downloads\NAME.exe: waits for its window, clicks Install, times the way to Finish and
# presses it. Sets RUN_SECONDS, READY_KIB (VmHWM with the window up) and PEAK_KIB (VmHWM at the
# end: a high-water mark, so the last reading before the process ends is the peak).
run_installer() {
    local name=$1 title="$2 Installer"
    (cd "$c/Downloads" && exec "$WINE" "$name.exe" < /dev/null > "$work/$name.out" 2>&1) &
    installer_pid=$!
    "$WINE" "$clock" wait "$title" 120 < /dev/null > /dev/null 2>> "$work/clock.err" ||
        die "the installer's window did not come: $(cat "$work/clock.err")"
    READY_KIB=$(hwm "$installer_pid")
    PROCESS=$(tr '\0' ' ' < "/proc/$installer_pid/cmdline" | sed 's/ *$//')
    (
        last=""
        while value=$(hwm "$installer_pid") && [[ -n $value ]]; do
            last=$value
            printf '%s' "$last" > "$work/peak.tmp" && mv "$work/peak.tmp" "$work/peak"
            sleep 0.05
        done
    ) &
    local sampler=$!
    local out
    out=$("$WINE" "$clock" install "$title" "Install ZYLOR Software" Finish 1800 \
        < /dev/null 2>> "$work/clock.err") || die "the installation did not end: $(cat "$work/clock.err")"
    RUN_SECONDS=$(sed -n 's/^seconds=\([0-9.]*\).*/\1/p' <<< "$out")
    local i
    for ((i = 0; i < 600; i++)); do
        kill -0 "$installer_pid" 2> /dev/null || break
        [[ $(hwm "$installer_pid") == "" ]] && break
        sleep 0.1
    done
    wait "$sampler"
    wait "$installer_pid" 2> /dev/null
    installer_pid=""
    PEAK_KIB=$(cat "$work/peak")
    rm -f "$work/peak"
}

# The installed target and the Start-menu group, so the next run starts from nothing.
remove_installation() {
    rm -rf "$c/Program Files/Bench" "$c/ProgramData/Microsoft/Windows/Start Menu/Programs/Bench "*
}

# One case: the installer BENCH_RUNS times and cp -r of the packed files once more, alternating;
# prints the best of each and their ratio against the goal.
compare() {
    local label=$1 dir=$2 name=$3 package=$4 goal=$5
    pack "$dir" "$name"
    local installs=() copies=() peaks=() i start
    for ((i = 0; i <= runs; i++)); do
        start=$(now)
        cp -r "$dir/files" "$c/cp-copy"
        copies+=("$(elapsed "$start" "$(now)")")
        rm -rf "$c/cp-copy"
        ((i == runs)) && break
        run_installer "$name" "$package"
        installs+=("$RUN_SECONDS")
        peaks+=("$PEAK_KIB")
        # A time is only worth printing for an installation that placed every byte.
        diff -rq -x FileLog.ini "$dir/files" "$c/Program Files/Bench/$package" > "$work/diff" ||
            die "the installation of $label differs from its files: $(head -c 500 "$work/diff")"
        remove_installation
    done
    rm -f "$c/Downloads/$name.exe"
    local best_install best_cp
    best_install=$(min "${installs[@]}")
    best_cp=$(min "${copies[@]}")
    awk -v l="$label" -v s="$best_install" -v c="$best_cp" -v g="$goal" -v n="$runs" \
        -v all="${installs[*]}" 'BEGIN {
        r = s / c
        printf "%-22s installer %7.3f s   cp -r %7.3f s   ratio %5.2f  goal <= %d: %s   (installer runs: %s s)\n",
               l, s, c, r, g, (r <= g ? "met" : "not met"), all }'
    LAST_PEAKS="${peaks[*]}"
    LAST_CP=$best_cp LAST_INSTALL=$best_install
}

wine_version=$("$WINE" --version 2> /dev/null)
echo "Wine benchmark: $(basename "$tree") stub $(wc -c < "$stub") bytes, profile $profile," \
    "$wine_version ($WINE), prefix on $(df --output=fstype "$work" | tail -n1), $(nproc) cores"

# Warm the prefix (wineserver, services, the desktop) before anything is timed.
"$WINE" "$clock" wait "no such window" 0.1 < /dev/null > /dev/null 2>&1

printf '%s\n' "big.bin $((512 << 20))" | make_package "$work/big" "One Large File" || exit 1
compare "one 512 MiB file" "$work/big" big "One Large File" 3
big_peaks=$LAST_PEAKS
rm -rf "$work/big"

for ((i = 0; i < 20000; i++)); do printf 'd%d/f%d.bin 4096\n' $((i / 1000)) "$i"; done |
    make_package "$work/small" "Small Files" || exit 1
compare "20000 files of 4 KiB" "$work/small" small "Small Files" 4
small_peaks=$LAST_PEAKS
# What any Windows program pays under Wine for the same files: the plainest Win32 loop, one
# CreateFile, WriteFile and CloseHandle per file, into folders of the same size (a new name makes
# Wine scan the folder for a case-insensitive match, so the cost per file grows with the folder).
floors=()
for ((i = 0; i < runs; i++)); do
    out=$("$WINE" "$clock" write-files 'C:\floor' 20000 4096 1000 < /dev/null 2>> "$work/clock.err") ||
        die "the plain Win32 loop failed: $(cat "$work/clock.err")"
    floors+=("$(sed -n 's/^seconds=\([0-9.]*\).*/\1/p' <<< "$out")")
    rm -rf "$c/floor"
done
awk -v f="$(min "${floors[@]}")" -v c="$LAST_CP" -v s="$LAST_INSTALL" -v all="${floors[*]}" 'BEGIN {
    printf "%-22s plain Win32 loop under Wine %7.3f s = %5.2f x cp -r; installer / plain loop %5.2f   (runs: %s s)\n",
           "  the same files", f, f / c, s / f, all }'
rm -rf "$work/small"

echo "Process measured: $PROCESS (pid of the Wine loader, which becomes the Windows process)"
echo "Peak memory: VmHWM of that whole Wine process, i.e. its peak resident set, Wine's own"
echo "DLLs and heaps included, read from /proc until the process ends"
declare -A peak
for size in 100 900; do
    printf '%s\n' "payload.bin $((size << 20))" | make_package "$work/m$size" "Memory $size" || exit 1
    pack "$work/m$size" "m$size"
    rm -rf "$work/m$size"
    run_installer "m$size" "Memory $size"
    peak[$size]=$PEAK_KIB
    ready=$READY_KIB
    remove_installation
    rm -f "$c/Downloads/m$size.exe"
    printf '  %-34s %7s MiB peak (%s MiB with the window up, before Install)\n' \
        "$size MiB package" "$(kib_to_mib "${peak[$size]}")" "$(kib_to_mib "$ready")"
done
for value in $big_peaks; do
    printf '  %-34s %7s MiB peak\n' "512 MiB package (timing runs)" "$(kib_to_mib "$value")"
done
for value in $small_peaks; do
    printf '  %-34s %7s MiB peak\n' "20000 files (timing runs)" "$(kib_to_mib "$value")"
done
awk -v a="${peak[100]}" -v b="${peak[900]}" 'BEGIN {
    printf "  900 MiB vs 100 MiB package: %+.1f MiB (x%.3f); goal <= 32 MiB at 900 MiB: %s\n",
           (b - a) / 1024, b / a, (b <= 32 * 1024 ? "met" : "not met") }'

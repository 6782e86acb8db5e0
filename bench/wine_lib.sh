# The pieces the Wine benchmarks share: which tree and Wine run, a private prefix on an X server
# of its own, packages of generated files, and the real installer run from its Install click to
# Finish. Sourced by wine_bench.sh and wine_trace.sh after they set $root.
#
# Work files go to a fresh folder under $BENCH_SHM (default /dev/shm), removed at the end. The
# prefix is copied from $BENCH_TEMPLATE, else from the tree's Wine test template, else booted.

# shellcheck source=../tests/wine/lib.sh
source "$root/tests/wine/lib.sh"

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
    [[ -n ${BENCH_KEEP:-} ]] || rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

xvfb_start "$work"
template=${BENCH_TEMPLATE:-$tree/wine-work/templates/$profile}
if [[ -d $template ]]; then
    cp -a "$template" "$prefix"
else
    log "no prefix template in $template: booting a fresh prefix"
    arch=win32
    [[ $profile == x64 ]] && arch=win64
    prefix_create "$arch" "$prefix" "$work/prefix.log" "$WINE"
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
# The median of the values (the lower middle one of an even count).
median() { printf '%s\n' "$@" | sort -g | sed -n "$(((${#@} + 1) / 2))p"; }
kib_to_mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }

# Whether a process still runs (not ended, not a zombie waiting to be reaped).
alive() {
    local state
    state=$(sed -n 's/^State:[[:space:]]*\([A-Z]\).*/\1/p' "/proc/$1/status" 2> /dev/null)
    [[ -n $state && $state != Z ]]
}

# Reads VmHWM (KiB) of a process; empty once it has ended, and now and then while it runs (a
# read of /proc can fail while Wine works on the process's memory).
hwm() {
    local key value rest
    while read -r key value rest; do
        [[ $key == VmHWM: ]] && { printf '%s' "$value"; return 0; }
    done 2> /dev/null < "/proc/$1/status"
    return 0
}

# Warms the prefix (wineserver, services, the desktop) so that nothing timed starts them.
warm_prefix() {
    "$WINE" "$clock" wait "no such window" 0.1 < /dev/null > /dev/null 2>&1
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
made = set()
for entry in (folder / "list").read_text().split("\n"):
    if not entry:
        continue
    relative, size = entry.rsplit(" ", 1)
    size = int(size)
    path = folder / "files" / relative
    if path.parent not in made:
        path.parent.mkdir(parents=True, exist_ok=True)
        made.add(path.parent)
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

# COUNT files of SIZE bytes as d<i/1000>/f<i>.bin lines for make_package.
file_list() {
    local count=$1 size=$2 i
    for ((i = 0; i < count; i++)); do printf 'd%d/f%d.bin %d\n' $((i / 1000)) "$i" "$size"; done
}

# Packs a package folder into C:\Downloads\NAME.exe.
pack() {
    local dir=$1 name=$2
    (cd "$dir" && "$stowpack" build manifest.toml -o "$c/Downloads/$name.exe" --stub "$stub") \
        > "$work/stowpack.log" 2>&1 || die "stowpack build failed: $(cat "$work/stowpack.log")"
}

# Runs C:\Downloads\NAME.exe: waits for its window, clicks Install, times the way to Finish and
# presses it. Sets RUN_SECONDS, READY_KIB (VmHWM with the window up) and PEAK_KIB (VmHWM at the
# end: a high-water mark, so the last reading before the process ends is the peak). Words in the
# array INSTALLER_WRAP go before the Wine loader (a tracer); the memory figures then belong to it.
INSTALLER_WRAP=()
run_installer() {
    local name=$1 title="$2 Installer"
    (cd "$c/Downloads" && exec "${INSTALLER_WRAP[@]}" "$WINE" "$name.exe" < /dev/null \
        > "$work/$name.out" 2>&1) &
    installer_pid=$!
    "$WINE" "$clock" wait "$title" 120 < /dev/null > /dev/null 2>> "$work/clock.err" ||
        die "the installer's window did not come: $(cat "$work/clock.err")"
    READY_KIB=$(hwm "$installer_pid")
    PROCESS=$(tr '\0' ' ' < "/proc/$installer_pid/cmdline" | sed 's/ *$//')
    (
        peak=0
        while alive "$installer_pid"; do
            value=$(hwm "$installer_pid")
            if [[ -n $value ]] && ((value > peak)); then
                peak=$value
                printf '%s' "$peak" > "$work/peak.tmp" && mv "$work/peak.tmp" "$work/peak"
            fi
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
        alive "$installer_pid" || break
        sleep 0.1
    done
    wait "$sampler"
    wait "$installer_pid" 2> /dev/null
    LAST_PID=$installer_pid installer_pid=""
    PEAK_KIB=$(cat "$work/peak")
    rm -f "$work/peak"
}

# The installed target and the Start-menu group, so the next run starts from nothing.
remove_installation() {
    rm -rf "$c/Program Files/Bench" "$c/ProgramData/Microsoft/Windows/Start Menu/Programs/Bench "*
}

# Fails unless the installation of package holds exactly the files of dir.
check_installation() {
    local label=$1 dir=$2 package=$3
    diff -rq -x FileLog.ini "$dir/files" "$c/Program Files/Bench/$package" > "$work/diff" ||
        die "the installation of $label differs from its files: $(head -c 500 "$work/diff")"
}

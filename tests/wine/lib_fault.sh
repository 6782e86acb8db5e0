# Helpers of the fault scenarios: real file-system faults under Wine. A small tmpfs, or a
# read-only bind mount, in the run folder, mapped into the prefix as a drive letter. Mounts are
# undone by a cleanup hook once the prefix's processes have ended; where this machine may not
# mount, the scenario is skipped. Sourced by those scenario files on top of lib.sh.

readonly FAULT_PAGE=4096
# The sample's files in the target directory, in package order; the first subfolder's file is
# the seventh.
readonly FAULT_TARGET_FILES=('DAQ Suite.pdf' Setup.exe Demo.exe ReadMe.txt weblink.html LICENSE
    '_tools\calib.exe' '_tools\calib.txt' 'DOS\daqdemo.exe' 'DOS\daqdemo.c'
    'WIN32\scope.exe' 'WIN32\scope.c' 'WIN16\meter.exe')
FAULT_MOUNTS=()

# Undoes every mount of the scenario, newest first; a busy one is detached lazily so that none
# outlives the run.
fault_unmount_all() {
    local i mount status=0
    for ((i = ${#FAULT_MOUNTS[@]} - 1; i >= 0; i--)); do
        mount=${FAULT_MOUNTS[i]}
        mountpoint -q "$mount" || continue
        if ! umount "$mount" 2> /dev/null; then
            log "umount $mount: busy, detaching it lazily"
            umount -l "$mount" || status=1
        fi
    done
    FAULT_MOUNTS=()
    return "$status"
}

# Mounts at a new folder of the run directory (mount's own arguments follow); skips the scenario
# when mounting is not permitted here.
fault_mount() {
    local dir=$1
    shift
    mkdir -p "$dir"
    if ! mount "$@" "$dir" 2> "$RUN_DIR/mount.err"; then
        skip_scenario "cannot mount here ($(head -c 300 "$RUN_DIR/mount.err"))"
    fi
    ((${#FAULT_MOUNTS[@]})) || RUN_CLEANUP_HOOKS+=(fault_unmount_all)
    FAULT_MOUNTS+=("$dir")
    log "mounted $* at $dir"
}

# Maps a host folder into the prefix as a drive (letter without colon, lower case).
fault_map_drive() {
    local letter=$1 dir=$2
    ln -sfn "$dir" "$PREFIX/dosdevices/$letter:"
}

# Bytes still free on the file system of a folder.
fault_free_bytes() { df -B1 --output=avail "$1" | tail -n1 | tr -d ' '; }

# Fills a tmpfs until exactly the given number of pages is free (a file of up to a page takes
# one page there; folders take none).
fault_leave_pages() {
    local dir=$1 pages=$2 free
    rm -f "$dir/.filler"
    free=$(fault_free_bytes "$dir")
    ((free >= pages * FAULT_PAGE)) || die "the tmpfs has only $free bytes free"
    head -c "$((free - pages * FAULT_PAGE))" /dev/zero > "$dir/.filler" || die "could not fill $dir"
    expect_eq "free bytes on $dir" "$((pages * FAULT_PAGE))" "$(fault_free_bytes "$dir")"
}

# The host path of a path on a mapped drive.
fault_host_path() {
    local root=$1 win=$2
    win=${win:3}
    printf '%s/%s' "$root" "${win//\\//}"
}

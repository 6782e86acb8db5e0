# A real full disk under Wine: a small tmpfs mapped as drive T: and given as the target.
# 1. The sample with room for six files: the six land whole, every later target file fails and
#    lands whole in the current directory (C:\Downloads), then the file log cannot be written
#    either, which ends the install in the error report. No file on T: is cut short.
# 2. A package whose large file meets the full disk part way: it is emptied again, the files
#    around it and the file log fit, and the completion report lists it as failed.
# shellcheck source=../lib_fault.sh
source "$HERE/lib_fault.sh"

readonly DISK_KIB=300

# Every file below a host folder: empty (a write that was undone) or exactly its package
# bytes (given as "relative path|source" lines, source "-" for any content); anything else is a
# file cut short.
expect_whole_or_empty() {
    local root=$1 table=$2 file rel source
    while IFS= read -r file; do
        rel=${file#"$root"/}
        [[ -s $file ]] || continue
        source=$(awk -F'|' -v r="$rel" 'tolower($1) == tolower(r) { print $2; exit }' <<< "$table")
        [[ -n $source ]] || die "an unexpected file on the full drive: $rel"
        [[ $source == - ]] && continue
        cmp -s "$file" "$source" || die "$rel on the full drive is not its package's bytes ($(stat -c %s "$file") bytes)"
    done < <(find "$root" -type f ! -name .filler)
}

disk_full_sample() {
    local drive=$1 target='T:\Target' files="$STOW_SAMPLE_DIR/files" pages=6
    fault_leave_pages "$drive" "$pages"

    install_to_end "$(installer sample)" "$target"
    screenshot sample
    expect_end_state "${REPORT_ERROR}EFCreateError: Cannot create file $target\\FileLog.ini"

    local i name host table=""
    for ((i = 0; i < ${#FAULT_TARGET_FILES[@]}; i++)); do
        name=${FAULT_TARGET_FILES[i]}
        host=$(fault_host_path "$drive" "$target\\$name")
        table+="Target/${name//\\//}|$files/${name//\\//}"$'\n'
        if ((i < pages)); then
            [[ -f $host ]] && cmp -s "$host" "$files/${name//\\//}" ||
                die "$target\\$name, placed before the disk filled, is not whole"
        else
            [[ ! -s $host ]] || die "$target\\$name holds $(stat -c %s "$host") bytes on the full disk"
            expect_file "C:\\Downloads\\${name##*\\}" "$files/${name//\\//}"
        fi
    done
    expect_whole_or_empty "$drive" "$table"
    host=$(fault_host_path "$drive" "$target\\FileLog.ini")
    [[ ! -s $host ]] || die "a file log was written on the full disk: $(head -c 300 "$host")"
    # Outside the full drive the install went on as usual.
    profile_locations
    expect_file "${LOC_DLL}zydaq.dll" "$files/system/zydaq.dll"
    finish_installer
}

disk_full_mid_file() {
    local drive=$1 target='T:\Mid' pkg="$RUN_DIR/midfile"
    mkdir -p "$pkg"
    # 64 KiB that meet a disk with three pages to spare part way; small files either side.
    seq 1 20000 | head -c 65536 > "$pkg/big.bin"
    printf 'first file, placed before the disk fills\r\n' > "$pkg/first.txt"
    printf 'last file, placed after the failed one was emptied\r\n' > "$pkg/last.txt"
    local exe
    exe=$(craft_package "$pkg" "$RUN_DIR/disk-test.exe" QTEST "Disk Test" \
        '16|first.txt|first.txt|C:\first.txt' '16|Data\big.bin|big.bin|C:\Data\big.bin' \
        '16|last.txt|last.txt|C:\last.txt')
    rm -rf "${drive:?}"/*
    # first.txt, then three pages for big.bin's first 12 KiB; once it is emptied they hold
    # last.txt and the file log.
    fault_leave_pages "$drive" 4

    install_to_end "$exe" "$target"
    screenshot mid-file
    expect_end_state "$(report_failed 'C:\Downloads' "$target\\Data\\big.bin")"
    local big
    big=$(fault_host_path "$drive" "$target\\Data\\big.bin")
    [[ ! -s $big ]] || die "the cut big.bin was left with $(stat -c %s "$big") bytes"
    expect_file 'C:\Downloads\big.bin' "$pkg/big.bin"
    cmp -s "$(fault_host_path "$drive" "$target\\first.txt")" "$pkg/first.txt" || die "first.txt is not whole"
    cmp -s "$(fault_host_path "$drive" "$target\\last.txt")" "$pkg/last.txt" || die "last.txt is not whole"
    expect_whole_or_empty "$drive" "Mid/first.txt|$pkg/first.txt
Mid/last.txt|$pkg/last.txt
Mid/Data/big.bin|$pkg/big.bin
Mid/FileLog.ini|-"
    local log
    log=$(fault_host_path "$drive" "$target\\FileLog.ini")
    [[ -s $log ]] || die "no file log"
    local entry
    for entry in 'C:\first.txt=T:\Mid\first.txt,' 'C:\Data\big.bin=T:\Mid\Data\big.bin,' 'C:\last.txt=T:\Mid\last.txt,'; do
        grep -qF "$entry" "$log" || die "the file log has no line $entry"
    done
    expect_height free
    finish_installer
}

scenario() {
    local drive="$RUN_DIR/tdrive"
    fault_mount "$drive" -t tmpfs -o "size=${DISK_KIB}k,mode=0755" tmpfs
    fault_map_drive t "$drive"
    disk_full_sample "$drive"
    disk_full_mid_file "$drive"
}

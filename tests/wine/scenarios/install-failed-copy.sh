# Two files of the target directory cannot be written: a folder of the same name stands where
# each should go (a read-only file does not do here: Wine runs as root in these tests and writes
# it anyway). Each lands under its bare name in the current directory (the installer's folder),
# the report lists both in the order of failure, the file log still names them, and the window
# may then grow taller. On 9x the INF\Other folder is removed as well, as on a damaged system.
scenario() {
    profile_locations
    local vendor package target='C:\Stow Target'
    vendor=$(package_info vendor)
    package=$(package_info package)
    local blocked=('ReadMe.txt' 'DOS\daqdemo.c') name host
    for name in "${blocked[@]}"; do
        host="$(drive_c)/Stow Target/${name//\\//}"
        mkdir -p "$host"
    done
    ((NT)) || rm -rf "$(host_path "${LOC_WINDOWS}INF\\Other")"

    install_to_end "$(installer sample)" "$target"
    screenshot
    local failed=() report
    for name in "${blocked[@]}"; do failed+=("$target\\$name"); done
    if ((!NT)); then
        # 9x only: INF\Other was removed above (a damaged system), and placement creates no
        # folder for the INF: it fails first and lands beside the others.
        failed=("${LOC_WINDOWS}INF\\Other\\zydaq.inf" "${failed[@]}")
    fi
    report=$(report_failed 'C:\Downloads' "${failed[@]}")
    expect_end_state "$report"
    expect_height free

    for name in "${blocked[@]}"; do
        [[ -d $(host_path "$target\\$name") ]] || die "the folder $name was replaced"
        expect_file "C:\\Downloads\\${name##*\\}" "$STOW_SAMPLE_DIR/files/${name//\\//}"
    done
    local log
    log=$(host_path "$target\\FileLog.ini")
    grep -qF "C:\\ReadMe.txt=$target\\ReadMe.txt," "$log" || die "no file-log entry for ReadMe.txt"
    grep -qF "C:\\DOS\\daqdemo.c=$target\\DOS\\daqdemo.c," "$log" || die "no file-log entry for daqdemo.c"
    expect_file "$target\\Demo.exe" "$STOW_SAMPLE_DIR/files/Demo.exe"
    finish_installer
}

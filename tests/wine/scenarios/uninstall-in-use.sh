# The sample installed with the defaults, then removed by the program its uninstall entry names,
# with /S, while another process holds one of its files open: that file is scheduled for
# deletion at the next restart (NT: the system's pending renames; 9x: WININIT.INI) and named in
# the report; everything else goes (the report lists it): the drive and both registry views are
# as before the install apart from what the report lists with a reason, and the exit code
# matches the report.
source "$HERE/lib_uninstall.sh"

scenario() {
    baseline_and_install
    local held
    held="$(program_files)\\ZYLOR\\DAQ Suite\\Demo.exe"
    (timeout -k 5 90 "$WINE" "$STOW_DRIVER" hold "$held" 40 < /dev/null \
        > "$RUN_DIR/hold.out" 2> "$RUN_DIR/hold.err") &
    local holder=$! i
    for ((i = 0; i < 300; i++)); do
        grep -q holding "$RUN_DIR/hold.out" 2> /dev/null && break
        sleep 0.1
    done
    grep -q holding "$RUN_DIR/hold.out" || die "the file could not be held open: $(cat "$RUN_DIR/hold.err")"

    start_uninstaller /S "/LOG=$UNINSTALL_LOG"
    wait_uninstaller_exit 60
    expect_exit_matches_report
    expect_reported "Removed when Windows restarts" "$held"
    expect_reported "Removed:" "${LOC_WINDOWS}zylor.ini"
    kill "$holder" 2> /dev/null
    wait "$holder" 2> /dev/null
    prefix_stop "$PREFIX"
    if ((NT)); then
        grep -qiF 'Demo.exe' <(grep -A3 -i 'PendingFileRenameOperations' "$PREFIX/system.reg") ||
            die "no pending deletion of $held in the registry"
    else
        grep -qi '^NUL=.*DEMO' "$(host_path 'C:\windows\wininit.ini')" ||
            die "no NUL= line for $held in WININIT.INI"
    fi
    expect_restored
}

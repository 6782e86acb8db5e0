# The sample installed with the defaults, then removed by the program its uninstall entry
# names, with /S: no window, the report in the /LOG file, an exit code that matches it, and the
# drive and both registry views as before the install apart from what the report lists with a
# reason.
source "$HERE/lib_uninstall.sh"

scenario() {
    baseline_and_install
    start_uninstaller /S "/LOG=$UNINSTALL_LOG"
    wait_uninstaller_exit 60
    expect_exit_matches_report
    expect_reported "Removed:" "${LOC_WINDOWS}zylor.ini"
    expect_restored
}

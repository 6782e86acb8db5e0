# The uninstall key cannot be made (its parent is a volatile key, which takes no lasting
# subkey): the group gains the link "Uninstall <vendor> Software" to the uninstaller instead,
# the installed-packages value is still written and the installation completes.
scenario() {
    profile_locations
    local vendor package target drivers
    sample_dirs
    local uninstall='Software\Microsoft\Windows\CurrentVersion\Uninstall'
    start_window "$(installer sample)"
    # While the installer runs, so the volatile key lives until it has finished.
    drive reg-volatile "$uninstall"
    drive click "$TITLE" "Install ZYLOR Software"
    wait_finish
    expect_end_state "$REPORT_COMPLETE"
    screenshot

    local group="$LOC_PROGRAMS$vendor $package" link="Uninstall $vendor Software"
    expect_no_reg_key "HKLM\\$uninstall\\$vendor Data Acquisition"
    [[ -f $(host_path "$group\\$link.lnk") ]] || die "no link $link in the group"
    drive link "$group\\$link.lnk"
    expect_line "uninstall link" "path=\"$(esc "$LOC_WINDOWS${vendor}Uninstall.exe")\"" \
        "workdir=\"$(esc "$LOC_WINDOWS")\""
    reg_query "HKLM\\Software\\$vendor\\Installed Packages" || die "no installed-packages key"
    expect_eq "installed packages" "1" "$(reg_values | grep -c .)"
    finish_installer
}

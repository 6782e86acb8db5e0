# Two installations of the sample over the same target: the file log found there keeps its
# foreign section (stray lines before it dropped) and is the same after the second run, the
# installed-packages key gains a second value, and the uninstall key is rebuilt (a value added
# between the runs is gone).
scenario() {
    profile_locations
    local vendor package target drivers
    sample_dirs
    local log
    log=$(host_path "$target\\FileLog.ini")
    mkdir -p "$(dirname "$log")"
    printf '; written by hand\r\nstray=1\r\n[Other Log]\r\nA=1\r\n\r\n' > "$log"

    install_to_end "$(installer sample)"
    expect_end_state "$REPORT_COMPLETE"
    finish_installer
    local head=$'[Other Log]\r\nA=1\r\n\r\n'"[$vendor File Log - $package]"$'\r\n'
    [[ "$(head -c ${#head} "$log"; printf x)" == "${head}x" ]] || die "file log after the first run: $(head -c 300 "$log")"
    cp "$log" "$RUN_DIR/FileLog.first"
    local uninstall="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$vendor Data Acquisition"
    run_wine reg add "$uninstall" /v Stale /t REG_SZ /d 1 /f < /dev/null > /dev/null 2>&1 ||
        die "could not add a value to the uninstall key"

    # The installed-packages value is named by the time to the second: a second installation in
    # the same second replaces the first one's value, so let the clock move on first.
    sleep 1
    install_to_end "$(installer sample)"
    expect_end_state "$REPORT_COMPLETE"
    screenshot
    finish_installer
    cmp -s "$log" "$RUN_DIR/FileLog.first" || die "the second run changed the file log"
    reg_query "HKLM\\Software\\$vendor\\Installed Packages" || die "no installed-packages key"
    expect_eq "installed-packages values" "$package,$target\\"$'\n'"$package,$target\\" \
        "$(reg_values | cut -f2)"
    reg_query "$uninstall" || die "no uninstall key"
    expect_eq "uninstall values" "DisplayName InstallDate UninstallString " \
        "$(reg_values | cut -f1 | LC_ALL=C sort | tr '\n' ' ')"
}

# Two installations of the sample, into the default target and into C:\Second: the window
# removes only the first (the user picks it alone with Home); the second keeps its files, the files both
# share, the drivers, the uninstall entry and the uninstaller. /S then removes the second, and
# the prefix is as before both installs.
source "$HERE/lib_uninstall.sh"

scenario() {
    baseline_and_install
    # Installed-packages values are named by the time to the second; a second installation in the
    # same second would replace the first one's value.
    sleep 1
    install_sample 'C:\Second'
    local target
    target="$(program_files)\\ZYLOR\\DAQ Suite\\"
    start_uninstaller "/LOG=$UNINSTALL_LOG"
    drive wait-window "$UNINSTALL_TITLE" 60
    # Home in the focused list selects its first entry alone (the first installation, listed
    # first as the registry keeps the values in the order written).
    drive key "$UNINSTALL_TITLE" HOME
    drive items "$UNINSTALL_TITLE"
    expect_line "first chosen" "text=\"$(esc "DAQ Suite   $target")\"" "selected=1"
    expect_line "second left" "text=\"$(esc 'DAQ Suite   C:\Second\')\"" "selected=0"
    drive click "$UNINSTALL_TITLE" Remove
    drive msgbox-press Yes 30
    wait_dump_line "$UNINSTALL_TITLE" 60 'text="Finish"' "visible=1"
    drive click "$UNINSTALL_TITLE" Finish
    wait_uninstaller_exit 30
    expect_eq "exit status (shared files kept)" 1 "$UNINSTALL_STATUS"
    expect_no_file "${target}Demo.exe"
    expect_file 'C:\Second\Demo.exe' "$STOW_SAMPLE_DIR/files/Demo.exe"
    expect_file "${LOC_DLL}zydaq.dll" "$STOW_SAMPLE_DIR/files/system/zydaq.dll"
    expect_reported "Kept, another installation uses it:" "${LOC_DLL}zydaq.dll"
    [[ -f $(host_path "$(uninstall_string)") ]] || die "the uninstaller went with the first installation"

    start_uninstaller /S "/LOG=$UNINSTALL_LOG"
    wait_uninstaller_exit 60
    expect_restored
}

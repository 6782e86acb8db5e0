# F1 in the ready window opens the diagnostics window: untitled, 320x240, its memo listing the
# five install locations of this profile, shown modally; Shift+F1 and Ctrl+F1 open nothing.
# Nothing is written.
scenario() {
    profile_locations
    local title diag='class=StowawayDiagnostics'
    title="$(package_info package) Installer"
    start_installer "$(installer sample)"
    drive wait-window "$title" 60

    local modifier
    for modifier in shift ctrl; do
        drive key "$title" F1 "$modifier"
        if driver wait-window "$diag" 2; then die "$modifier+F1 opened the diagnostics window"; fi
    done

    drive key "$title" F1
    drive wait-window "$diag" 30
    drive dump "$diag"
    expect_line "diagnostics window" 'window title=""' "size=320x240" "visible=1"
    local lines
    lines="WindowsPath = $LOC_WINDOWS"$'\r\n'"SystemPath = $LOC_SYSTEM"$'\r\n'
    lines+="ProgramsPath = $LOC_PROGRAMS"$'\r\n'"DLLPath = $LOC_DLL"$'\r\n'"DriverPath = $LOC_DRIVER"
    expect_line "memo" 'class="Edit"' "text=\"$(esc "$lines")" "visible=1"
    screenshot
    # Shown modally: the main window takes no input until it is closed.
    drive rect "$title"
    expect_line "main window while the diagnostics window is open" "enabled=0"
    drive close "$diag" 30
    drive rect "$title"
    expect_line "main window afterwards" "enabled=1"
    drive close "$title" 30
    wait_installer_exit 30
    expect_nothing_written "$(package_info vendor)"
}

# The target directory lies under a file (the installer itself), so it cannot be created: the
# heading shows the error report, Finish is shown, and nothing is installed or registered.
scenario() {
    local target='C:\Downloads\sample.exe\DAQ Suite'
    install_to_end "$(installer sample)" "$target"
    expect_end_state "${REPORT_ERROR}EFCreateError: Failed to create target directory."
    screenshot
    expect_height locked
    finish_installer
    expect_nothing_written "$(package_info vendor)"
}

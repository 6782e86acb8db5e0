# F1 in the ready state opens the diagnostics window with the install locations; F1 with Shift,
# Ctrl or Alt held opens nothing.
source "$HERE/lib_window.sh"

scenario() {
    local title
    title="$(package_info package) Installer"
    start_installer "$(installer sample)"
    drive wait-window "$title" 60
    local modifier
    for modifier in shift ctrl alt; do
        drive key "$title" F1 "$modifier"
        expect_no_owned_window "$title" "$modifier+F1"
    done
    expect_diagnostics_on_f1 "$title" diagnostics
    # A second time, after the first has been closed.
    expect_diagnostics_on_f1 "$title"
    drive close "$title" 30
    wait_installer_exit 30
    expect_nothing_written "$(package_info vendor)"
}

# The uninstaller's window, answered as a user would: the installed package with its target
# directory, selected; Remove asks once; Yes removes with the bar, then the report and Finish.
# Afterwards the prefix is as before the install apart from what the report lists.
source "$HERE/lib_uninstall.sh"

scenario() {
    baseline_and_install
    local target
    target="$(program_files)\\ZYLOR\\DAQ Suite\\"
    start_uninstaller "/LOG=$UNINSTALL_LOG"
    drive wait-window "$UNINSTALL_TITLE" 60
    drive items "$UNINSTALL_TITLE"
    expect_line "the installation" "text=\"$(esc "DAQ Suite   $target")\"" "selected=1"
    screenshot ready
    drive click "$UNINSTALL_TITLE" Remove
    drive msgbox-read 30
    expect_line "question" "text=Remove the selected ZYLOR software and all of its components?"
    drive msgbox-press Yes 30
    wait_dump_line "$UNINSTALL_TITLE" 60 'text="Finish"' "visible=1"
    screenshot report
    expect_line "report" 'class="Edit"' "visible=1" 'Removed:'
    drive click "$UNINSTALL_TITLE" Finish
    wait_uninstaller_exit 30
    expect_exit_matches_report
    expect_restored
}

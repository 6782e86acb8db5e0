# The driver reads message boxes and windows back exactly and drives them: checked against a
# small stand-in application, so a failing scenario points at the installer, not the harness.
scenario() {
    [[ -f ${STOW_HARNESS_TARGET:-} ]] || die "STOW_HARNESS_TARGET is not built"
    local text=$'First "line"\r\nsecond\tline \\ end'
    start_installer "$STOW_HARNESS_TARGET" msgbox "Load Error 7Fh" "$text"
    expect_msgbox "Load Error 7Fh" "$text" OK
    expect_eq "text as the driver escapes it" 'First \"line\"\r\nsecond\tline \\ end' "$(out_value text)"
    screenshot msgbox
    if driver msgbox-press Cancel 2; then die "pressed a button the box does not have"; fi
    drive msgbox-press OK 30
    wait_installer_exit 30
    expect_eq "exit status after the box" "3" "$INSTALLER_STATUS"
    if driver msgbox-read 1; then die "read a message box that is gone"; fi

    local title="Harness Target"
    start_installer "$STOW_HARNESS_TARGET" window "$title"
    drive wait-window "$title" 60
    drive dump "$title"
    expect_line "window" "window title=\"$title\"" 'class="HarnessTarget"' "size=400x200"
    expect_line "label" "id=100" 'text="ready\r\nsecond line"' "rect=10,10,380,50" "visible=1"
    expect_line "hidden button" 'text="Hidden"' "visible=0"
    if driver click "$title" Hidden; then die "clicked a hidden button"; fi
    if driver wait-window "No Such Window" 1; then die "found a window that does not exist"; fi

    drive click "$title" Press
    wait_dump_line "$title" 10 "id=100" 'text="pressed"'

    # Modifiers must arrive as held keys, not as a bare F1.
    local modifier
    for modifier in "|F1" "shift|Shift+F1" "ctrl|Ctrl+F1" "alt|Alt+F1"; do
        drive key "$title" F1 ${modifier%|*}
        wait_dump_line "$title" 10 "id=100" "text=\"${modifier#*|}\""
    done

    # The target locks its height at 200; the width follows the request.
    drive resize "$title" 600 500
    expect_line "resized" "size=600x200"
    drive rect "$title"
    expect_line "rect" "size=600x200"
    screenshot

    drive close "$title" 30
    drive wait-exit harness_target.exe 30
    wait_installer_exit 30
    expect_eq "exit status after close" "0" "$INSTALLER_STATUS"
}

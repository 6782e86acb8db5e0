# The destination dialog from the drivers directory's Change button: Esc, the close box and
# Cancel leave the directory as it was; a missing folder is taken as typed after No; a folder
# created through the dialog becomes the drivers directory; another dialog opened on the target
# and browsed back to that folder by double clicks, then cancelled, leaves it the process's
# current directory, so a file that cannot be written during the install lands there and the
# report names it.
source "$HERE/lib_window.sh"

make_dialog_package() {
    local dir="$RUN_DIR/dialog-package"
    mkdir -p "$dir"
    printf 'Read me.\r\n' > "$dir/ReadMe.txt"
    head -c 3000 /dev/urandom > "$dir/tool.exe"
    craft_package "$dir" "$RUN_DIR/dialog-test.exe" ZYLOR "Dialog Test" '16|ReadMe.txt|ReadMe.txt' \
        '16|bin\tool.exe|tool.exe'
}

# Opens a folder of the dialog's list by a real double-click and waits for the path. Mouse
# input arrives after the driver returns, and on a loaded machine the two clicks can come too
# far apart to count as one: then the same item is double-clicked again.
open_item() {
    local item=$1 want attempt i
    want=$(esc "$2")
    for attempt in 1 2 3; do
        drive dblclick-item "$DIALOG_TITLE" "$item"
        for ((i = 0; i < 15; i++)); do
            drive dump "$DIALOG_TITLE"
            [[ $(dialog_path) == "$want" ]] && return 0
            sleep 0.2
        done
    done
    expect_eq "path after opening $item" "$want" "$(dialog_path)"
}

scenario() {
    local exe target='C:\Stow Target' drivers current='C:\Stow Drivers\Current'
    exe=$(make_dialog_package)
    drivers="$(program_files)\\ZYLOR\\Common Drivers"
    # A folder stands where bin\tool.exe should go, so that file cannot be written.
    mkdir -p "$(drive_c)/Stow Target/bin/tool.exe"
    start_window "$exe" "$target"

    # Esc, the close box and Cancel: the drivers directory stays.
    open_dialog 2
    expect_eq "path of the fallback" 'C:\\' "$(dialog_path)"
    drive key "$DIALOG_TITLE" ESC
    expect_dialog_closed
    open_dialog 2
    drive close "$DIALOG_TITLE" 10
    expect_dialog_closed
    open_dialog 2
    drive settext "$DIALOG_TITLE" Edit 'C:\windows'
    drive click "$DIALOG_TITLE" Cancel
    expect_dialog_closed
    expect_panels "$target" "$drivers"

    # A missing folder, No: taken as typed, nothing created yet.
    open_dialog 2
    answer_create 'C:\Stow Later\Sub' No
    expect_dialog_closed
    expect_no_file 'C:\Stow Later'
    expect_panels "$target" 'C:\Stow Later\Sub'

    # A new folder, created after Yes, becomes the drivers directory and the current directory.
    open_dialog 2
    answer_create "$current" Yes
    expect_dialog_closed
    expect_panels "$target" "$current"

    # The target's dialog opens on the existing target (the process's current directory goes
    # there); browsing back to the new folder makes that current again, and Cancel keeps it so.
    open_dialog 1
    expect_eq "path of the target" "$(esc "$target")" "$(dialog_path)"
    drive items "$DIALOG_TITLE"
    expect_eq "target's folders" 'C:\\ Stow Target bin' "$(sed -n 's/^item n=[0-9]* text="\(.*\)" selected=.*/\1/p' "$DRIVER_OUT" | tr '\n' ' ' | sed 's/ $//')"
    local step
    for step in 'C:\|C:\' 'Stow Drivers|C:\Stow Drivers' "Current|$current"; do
        open_item "${step%%|*}" "${step#*|}"
    done
    screenshot dialog
    drive click "$DIALOG_TITLE" Cancel
    expect_dialog_closed
    expect_panels "$target" "$current"

    # The file that cannot be written goes to the directory the dialog left current.
    drive click "$TITLE" "Install ZYLOR Software"
    wait_finish
    expect_end_state "$(report_failed "$current" "$target\\bin\\tool.exe")"
    screenshot end
    expect_file "$current\\tool.exe" "$RUN_DIR/dialog-package/tool.exe"
    expect_file "$target\\ReadMe.txt" "$RUN_DIR/dialog-package/ReadMe.txt"
    [[ -d $(host_path "$target\\bin\\tool.exe") ]] || die "the blocking folder was replaced"
    finish_installer
}

# The destination dialog from the target directory's Change button: its window and controls,
# the fallback to the Windows drive's root for a start directory that does not exist, an
# existing folder taken at once, a missing one created with its parents after Yes, an empty
# path refused with the error box while the dialog stays open, and another drive chosen.
source "$HERE/lib_window.sh"

# The dialog's window and controls as designed (client coordinates; PathPanel is the bottom 37
# pixels, the directory list fills the room between the drive panel and PathPanel in whole
# 16-pixel items).
expect_dialog_layout() {
    expect_line "dialog" "window title=\"$DIALOG_TITLE\"" "rect=192,114," "size=493x334" "visible=1"
    local style
    style=$(line_field "$(output_line "window title=")" style)
    ((style & 0x00040000)) || die "the dialog is not sizable"
    window_geometry
    local w=$CLI_W p=$((CLI_H - 37)) rect l t r b
    rect=$(rect_of 'class="Static" text="Select the new destination directory and click OK."' "visible=1")
    IFS=, read -r l t r b <<< "$rect"
    [[ $l,$t,$b == 8,8,21 ]] && ((r - l >= 235)) || die "Label1 at $rect"
    rect=$(rect_of 'class="ComboBox"' 'text="C:"' "visible=1")
    [[ $rect == 0,30,288,* ]] || die "DriveComboBox at $rect"
    rect=$(rect_of 'class="ListBox"' "visible=1")
    IFS=, read -r l t r b <<< "$rect"
    [[ $l,$t,$r == 0,51,$w ]] || die "DirectoryListBox at $rect"
    # Whole items inside the two-pixel sunken edge, as many as the room holds.
    (((b - t - 4) % 16 == 0 && p - b < 16 && b <= p)) || die "DirectoryListBox height at $rect (PathPanel at $p)"
    expect_rect "Path label" "8,$((p + 11)),33,$((p + 24))" 'class="Static" text="Path:"'
    expect_rect "PathEdit" "37,$((p + 8)),280,$((p + 29))" 'class="Edit"' "visible=1"
    expect_rect "Cancel" "303,$((p + 8)),378,$((p + 29))" 'class="Button" text="Cancel"' "visible=1"
    expect_rect "OK" "398,$((p + 8)),473,$((p + 29))" 'class="Button" text="OK"' "visible=1"
    # Tab order: list, drives, path, Cancel, OK (creation order of the child windows).
    local order="" name
    for name in 'class="ListBox"' 'class="ComboBox"' 'class="Edit"' 'text="Cancel"' 'text="OK"'; do
        order+="$(line_field "$(output_line "$name")" n) "
    done
    local sorted
    sorted=$(tr ' ' '\n' <<< "$order" | sed '/^$/d' | sort -n | tr '\n' ' ')
    expect_eq "tab order" "$sorted" "$order"
    # OK is the default button (BS_DEFPUSHBUTTON).
    style=$(line_field "$(output_line 'text="OK"')" style)
    (((style & 0xF) == 1)) || die "OK is not the default button"
}

scenario() {
    local vendor package target drivers
    sample_dirs
    start_window "$(installer sample)"

    # The default target does not exist yet: the dialog opens on the Windows drive's root.
    open_dialog 1
    expect_dialog_layout
    expect_eq "path of the fallback" 'C:\\' "$(dialog_path)"
    drive list
    expect_line "main window disabled" "window title=\"$(esc "$TITLE")\"" "enabled=0"
    screenshot dialog
    # Sizable: the list takes the new room, PathPanel stays on the bottom edge.
    drive resize "$DIALOG_TITLE" 600 420
    expect_line "resized dialog" "size=600x420"
    drive dump "$DIALOG_TITLE"
    window_geometry
    local p=$((CLI_H - 37)) rect
    rect=$(rect_of 'class="ListBox"' "visible=1")
    [[ $rect == 0,51,$CLI_W,* ]] || die "DirectoryListBox after resizing: $rect"
    expect_rect "OK after resizing" "398,$((p + 8)),473,$((p + 29))" 'class="Button" text="OK"'
    drive resize "$DIALOG_TITLE" 493 334

    # An existing folder: no question, the panel takes the text as typed. Enter is OK.
    drive settext "$DIALOG_TITLE" Edit 'C:\WINDOWS'
    drive key "$DIALOG_TITLE" RETURN
    expect_dialog_closed
    expect_panels 'C:\WINDOWS' "$drivers"

    # Opened on an existing folder, the path shows it as the system reads it back.
    open_dialog 1
    expect_eq "path of an existing start folder" 'c:\\windows' "$(dialog_path | tr 'A-Z' 'a-z')"
    # A missing folder with a missing parent, Yes: both created, the list's form taken.
    answer_create 'C:\Stow New\Deep' Yes question
    expect_dialog_closed
    [[ -d $(host_path 'C:\Stow New\Deep') ]] || die "C:\\Stow New\\Deep was not created"
    expect_panels 'C:\Stow New\Deep' "$drivers"

    # An empty path, Yes: the error box, and the dialog stays open until cancelled.
    open_dialog 1
    expect_eq "path of the created folder" "$(esc 'C:\Stow New\Deep')" "$(dialog_path)"
    answer_create '' Yes
    expect_msgbox "Error" 'Invalid folder name. Please try again.' OK
    screenshot error
    drive msgbox-press OK 10
    drive wait-window "$DIALOG_TITLE" 10
    expect_line "dialog still open" "window title=\"$DIALOG_TITLE\"" "visible=1" "enabled=1"
    drive click "$DIALOG_TITLE" Cancel
    expect_dialog_closed
    expect_panels 'C:\Stow New\Deep' "$drivers"

    # Another drive, chosen with the keyboard in the drive box (Tab from the list, then Down):
    # the path shows where the list went on that drive.
    open_dialog 1
    drive key "$DIALOG_TITLE" TAB
    drive key "$DIALOG_TITLE" DOWN
    local i drive_text=""
    for ((i = 0; i < 20; i++)); do
        drive dump "$DIALOG_TITLE"
        drive_text=$(line_field "$(output_line 'class="ComboBox"')" text)
        [[ $drive_text != '"C:"' ]] && break
        sleep 0.25
    done
    [[ $drive_text =~ ^\"([A-Z]):\"$ ]] || die "drive box after Down: $drive_text"
    local letter=${BASH_REMATCH[1]}
    [[ $letter != C && $(dialog_path) == "$letter:\\"* ]] || die "path on drive $letter: $(dialog_path)"
    drive click "$DIALOG_TITLE" Cancel
    expect_dialog_closed
    expect_panels 'C:\Stow New\Deep' "$drivers"

    drive close "$TITLE" 30
    wait_installer_exit 30
    expect_eq "exit status" 4 "$INSTALLER_STATUS"
}

# The main window in its ready state, started without arguments (the target directory is the
# program files folder, the vendor and the package): centred, every control where the designed
# sizes put it (client height 157), the height locked and the width free, with the Install
# button centred and the Change buttons at the right end of their panels at any width; F1 opens
# the diagnostics window, Shift+F1, Ctrl+F1 and Alt+F1 do not.
source "$HERE/lib_window.sh"

# The ready layout for a client width: the top controls stacked, 8 pixels free above GoPanel.
expect_ready_layout() {
    local w=$1 target=$2 drivers=$3
    expect_rect "heading" "0,0,$w,57" 'class="Static"' "visible=1" \
        "text=\"$(esc "This program will install the $package package"$'\r\n'"to this directory:")\""
    expect_rect "target panel" "0,57,$w,82" "text=\"$(esc "$target")\"" "visible=1"
    expect_rect "drivers label" "0,82,$w,99" 'text="And drivers to this directory:"' "visible=1"
    expect_rect "drivers panel" "0,99,$w,124" "text=\"$(esc "$drivers")\"" "visible=1"
    expect_rect "GoPanel" "0,132,$w,157" 'class="StowawayPanel" text=""' "visible=1"
    # Each Change button fills the right end of its panel inside the panel's one-pixel bevel,
    # as a right-aligned control of a lowered panel does.
    local panel n
    for panel in "$target" "$drivers"; do
        n=$(line_field "$(output_line "text=\"$(esc "$panel")\"")" n)
        local top=57
        [[ $panel == "$drivers" ]] && top=99
        expect_rect "Change button of $panel" "$((w - 82)),$((top + 1)),$((w - 1)),$((top + 24))" \
            "parent=$n " 'text="&Change..."' "visible=1" "enabled=1"
    done
    # Install and Finish keep their centres in the middle of GoPanel (within half a pixel).
    local name width left rect
    for name in "Install ZYLOR Software:225" "Finish:81"; do
        width=${name##*:}
        rect=$(rect_of "text=\"${name%:*}\"")
        IFS=, read -r left _ _ _ <<< "$rect"
        expect_eq "${name%:*} size" "$left,132,$((left + width)),157" "$rect"
        local off=$((2 * left + width - w))
        ((off >= -1 && off <= 1)) || die "${name%:*} is not centred in $w pixels: $rect"
    done
    expect_line "install button" 'text="Install ZYLOR Software"' "visible=1" "enabled=1"
    expect_line "finish button" 'text="Finish"' "visible=0"
}

scenario() {
    local vendor package target drivers
    sample_dirs
    start_window "$(installer sample)"
    drive dump "$TITLE"
    window_geometry
    expect_eq "outer width" 409 "$WIN_W"
    expect_eq "client height" 157 "$CLI_H"
    expect_eq "centred on the screen" "$(((SCREEN_W - WIN_W) / 2)),$(((SCREEN_H - WIN_H) / 2))" "$WIN_L,$WIN_T"
    expect_ready_layout "$CLI_W" "$target" "$drivers"
    screenshot ready
    local w=$WIN_W h=$WIN_H frame=$((WIN_W - CLI_W))

    # Wider and taller: the width follows, the height stays.
    drive resize "$TITLE" $((w + 200)) $((h + 60))
    expect_line "height locked when growing" "size=$((w + 200))x$h"
    drive dump "$TITLE"
    expect_ready_layout $((w + 200 - frame)) "$target" "$drivers"
    screenshot wide
    # Every control repainted at its new size: no stale text of the heading left of where the
    # centred text now starts, no stale bevel or button inside the panels.
    window_geometry
    local face shot="$RESULT_BASE-wide.png"
    face=$(sys_color ButtonFace)
    expect_uniform "heading after widening" "$shot" 0 0 150 57 "$face"
    expect_uniform "target panel after widening" "$shot" 250 59 $((CLI_W - 250 - 83)) 21 "$face"
    expect_uniform "drivers panel after widening" "$shot" 250 101 $((CLI_W - 250 - 83)) 21 "$face"
    # Narrower (by an odd number of pixels) and lower.
    drive resize "$TITLE" $((w - 101)) $((h - 60))
    expect_line "height locked when shrinking" "size=$((w - 101))x$h"
    drive dump "$TITLE"
    expect_ready_layout $((w - 101 - frame)) "$target" "$drivers"

    # F1 with Shift, Ctrl or Alt held opens nothing; F1 alone opens the diagnostics window.
    local modifier
    for modifier in shift ctrl alt; do
        drive key "$TITLE" F1 "$modifier"
        expect_no_owned_window "$TITLE" "$modifier+F1"
    done
    expect_diagnostics_on_f1 "$TITLE" diagnostics

    close_without_installing
}

# Helpers of the window and dialog scenarios: geometry read back from the driver's output,
# the screen's pixels, the system colours of the prefix and the host's picture of the progress
# bar. Sourced by those scenario files on top of lib.sh.

readonly SCREEN_W=${STOW_SCREEN%x*}
readonly SCREEN_H=${STOW_SCREEN#*x}
readonly DIALOG_TITLE="Change Destination Directory"

# One NAME=VALUE field of a driver line (values without blanks: rect, size, n, visible ...).
line_field() { sed -n "s/.* $2=\([^ ]*\).*/\1/p" <<< " $1"; }

# The rectangle of the first line with all the fragments: left,top,right,bottom.
rect_of() {
    local line
    line=$(output_line "$@") || die "no line with: $*"
    line_field "$line" rect
}

expect_rect() {
    local what=$1 expected=$2
    shift 2
    expect_eq "$what" "$expected" "$(rect_of "$@")"
}

# The window line of the last wait-window, rect or dump output: WIN_L, WIN_T (its screen
# position), WIN_W, WIN_H (outer size), CLI_W, CLI_H (client size) and CLI_X, CLI_Y (the client
# area's screen position: the frame is equally wide on the left, right and bottom).
window_geometry() {
    local line rect size client
    line=$(output_line "window ") || die "no window line"
    rect=$(line_field "$line" rect)
    size=$(line_field "$line" size)
    client=$(line_field "$line" client)
    IFS=, read -r WIN_L WIN_T _ _ <<< "$rect"
    WIN_W=${size%x*} WIN_H=${size#*x} CLI_W=${client%x*} CLI_H=${client#*x}
    local border=$(((WIN_W - CLI_W) / 2))
    CLI_X=$((WIN_L + border))
    CLI_Y=$((WIN_T + WIN_H - border - CLI_H))
}

# A colour of the prefix's scheme as RRGGBB ("ButtonFace", "ButtonShadow", "ButtonHilight").
sys_color() {
    local rgb
    rgb=$(awk -v name="\"$1\"" '
        /^\[/ { section = $0 }
        index(section, "[Control Panel\\\\Colors]") == 1 && index($0, name "=") == 1 {
            split($0, kv, "=")
            gsub(/"/, "", kv[2])
            print kv[2]
            exit
        }' "$PREFIX/user.reg")
    [[ -n $rgb ]] || die "no colour $1 in the prefix"
    local r g b
    read -r r g b <<< "$rgb"
    printf '%02X%02X%02X' "$r" "$g" "$b"
}

# The screen's pixels in a rectangle of a screenshot, as raw RGB bytes.
crop_rgb() {
    local png=$1 x=$2 y=$3 w=$4 h=$5 out=$6
    convert "$png" -crop "${w}x${h}+${x}+${y}" +repage -depth 8 "rgb:$out" ||
        die "could not read pixels of $png"
}

# The distinct colours (RRGGBB) in a rectangle of a screenshot, one a line.
crop_colors() {
    local png=$1 x=$2 y=$3 w=$4 h=$5
    convert "$png" -crop "${w}x${h}+${x}+${y}" +repage -depth 8 txt:- |
        sed -n 's/.*#\([0-9A-Fa-f]\{6\}\).*/\1/p' | tr 'a-f' 'A-F' | sort -u
}

# The host program that paints the bar with the host's pixel canvas and compares it with the
# screen (bar_match.cpp). Built once per source version, shared by the runs of a test session.
bar_match_tool() {
    local src=$STOW_SOURCE_DIR
    local sources=("$HERE/bar_match.cpp" "$src/ui/tint_progress.cpp" "$src/ui/pixel_canvas.cpp"
        "$src/ui/tint_progress.h" "$src/ui/pixel_canvas.h" "$src/ui/canvas.h")
    local hash
    hash=$(cat "${sources[@]}" | md5sum | cut -c1-12)
    local tool="$STOW_WINE_WORK/tools/bar_match-$hash"
    if [[ ! -x $tool ]]; then
        mkdir -p "$STOW_WINE_WORK/tools"
        "${CXX_HOST:-g++}" -std=c++17 -O2 -I"$src" "${sources[@]:0:3}" -o "$tool.$$" \
            > "$RUN_DIR/bar_match.build.log" 2>&1 || die "bar_match does not build: $(cat "$RUN_DIR/bar_match.build.log")"
        mv -f "$tool.$$" "$tool"
    fi
    printf '%s' "$tool"
}

# Polls `list` until a window owned by the given window is shown; its line is in OWNED_LINE.
wait_owned_window() {
    local owner=$1 seconds=$2 i previous
    for ((i = 0; i < seconds * 4; i++)); do
        drive list
        previous=""
        while IFS= read -r line; do
            if [[ $line == "  owner title=\"$(esc "$owner")\"" ]]; then
                OWNED_LINE=$previous
                return 0
            fi
            previous=$line
        done < "$DRIVER_OUT"
        sleep 0.25
    done
    die "no window owned by \"$owner\" appeared within ${seconds}s"
}

# No window owned by the given one is shown (after giving a key time to take effect).
expect_no_owned_window() {
    local owner=$1 what=$2
    sleep "${3:-1}"
    drive list
    if grep -qF "  owner title=\"$(esc "$owner")\"" "$DRIVER_OUT"; then
        die "$what: a window owned by \"$owner\" appeared: $(cat "$DRIVER_OUT")"
    fi
}

# The diagnostics window: F1 opens it (modal, untitled, 320 x 240, centred) with the five
# install locations of this profile; closing it enables the main window again.
expect_diagnostics_on_f1() {
    local title=$1 shot=${2:-}
    profile_locations
    drive key "$title" F1
    wait_owned_window "$title" 10
    expect_eq "diagnostics title" "" "$(sed -n 's/^window title="\([^"]*\)".*/\1/p' <<< "$OWNED_LINE")"
    expect_eq "diagnostics size" "320x240" "$(line_field "$OWNED_LINE" size)"
    expect_eq "diagnostics position" "$(((SCREEN_W - 320) / 2)),$(((SCREEN_H - 240) / 2))" \
        "$(line_field "$OWNED_LINE" rect | cut -d, -f1,2)"
    # Sizable: a thick frame (WS_THICKFRAME 0x00040000).
    local style
    style=$(line_field "$OWNED_LINE" style)
    ((style & 0x00040000)) || die "the diagnostics window is not sizable: $OWNED_LINE"
    expect_line "main window disabled while it is open" "window title=\"$(esc "$title")\"" "enabled=0"
    drive dump "" 5
    expect_line "diagnostics window" 'window title=""' 'class="StowawayDiagnostics"' "size=320x240" "visible=1"
    local lines
    lines="WindowsPath = $LOC_WINDOWS"$'\r\n'"SystemPath = $LOC_SYSTEM"$'\r\n'
    lines+="ProgramsPath = $LOC_PROGRAMS"$'\r\n'"DLLPath = $LOC_DLL"$'\r\n'"DriverPath = $LOC_DRIVER"
    local memo
    memo=$(output_line 'class="Edit"') || die "the diagnostics window holds no memo"
    [[ $memo == *"text=\"$(esc "$lines")\""* ]] || die "diagnostics lines: $memo"
    # Multi-line with both scroll bars (ES_MULTILINE 0x4, WS_HSCROLL, WS_VSCROLL), filling the
    # client area, editable.
    style=$(line_field "$memo" style)
    ((style & 0x4 && style & 0x00100000 && style & 0x00200000)) || die "memo style $style"
    ((!(style & 0x800))) || die "the memo is read-only"
    local client
    client=$(line_field "$(output_line 'window title=""')" client)
    [[ $memo == *visible=1* ]] || die "the memo is hidden"
    expect_eq "memo fills the window" "0,0,${client%x*},${client#*x}" "$(line_field "$memo" rect)"
    if [[ -n $shot ]]; then screenshot "$shot"; fi
    drive close "" 10
    drive wait-window "$title" 10
    expect_line "main window enabled again" "window title=\"$(esc "$title")\"" "enabled=1"
}

# A rectangle of a screenshot (client coordinates of the window last measured by
# window_geometry) shows nothing but one colour.
expect_uniform() {
    local what=$1 png=$2 x=$3 y=$4 w=$5 h=$6 color=$7 colors
    colors=$(crop_colors "$png" $((CLI_X + x)) $((CLI_Y + y)) "$w" "$h")
    [[ $colors == "$color" ]] || die "$what: expected only $color at $x,$y ${w}x$h, found $(echo $colors)"
}

# ---- the destination dialog ----------------------------------------------------------------

# Opens the dialog with the n-th Change button of the main window (1: target directory,
# 2: drivers directory) and dumps it once it answers.
open_dialog() {
    drive click-nth "$TITLE" "&Change..." "$1"
    drive wait-window "$DIALOG_TITLE" 20
    drive dump "$DIALOG_TITLE"
}

# The path text the dialog shows (escaped as the driver prints it).
dialog_path() {
    output_line 'class="Edit"' | sed -n 's/.* text="\(\([^"\\]\|\\.\)*\)".*/\1/p'
}

# The dialog has closed (no visible window of its title), without a message box, and the main
# window takes input again.
expect_dialog_closed() {
    local i
    for ((i = 0; i < 40; i++)); do
        drive list
        if ! grep -qF "title=\"$DIALOG_TITLE\"" "$DRIVER_OUT"; then
            grep -qF 'class="#32770"' "$DRIVER_OUT" && die "a message box is shown: $(cat "$DRIVER_OUT")"
            # The modal loop enables the main window again before it hides the dialog.
            expect_line "main window enabled" "window title=\"$(esc "$TITLE")\"" "enabled=1"
            return 0
        fi
        sleep 0.25
    done
    die "the dialog stayed open"
}

# The main window's panels read exactly these directories.
expect_panels() {
    local target=$1 drivers=$2
    drive dump "$TITLE"
    expect_line "target directory" 'class="StowawayPanel"' "rect=0,57," "text=\"$(esc "$target")\""
    expect_line "drivers directory" 'class="StowawayPanel"' "rect=0,99," "text=\"$(esc "$drivers")\""
}

# Types a folder that does not exist into the dialog, presses OK and gives the answer to the
# question whether to create it.
answer_create() {
    local path=$1 answer=$2
    drive settext "$DIALOG_TITLE" Edit "$path"
    drive click "$DIALOG_TITLE" OK
    expect_msgbox "Change Destination" "The folder $path does not exist. Create the new folder?" Yes No
    if [[ -n ${3:-} ]]; then screenshot "$3"; fi
    drive msgbox-press "$answer" 10
}

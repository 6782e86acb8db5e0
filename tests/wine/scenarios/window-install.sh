# The install command as the window shows it: a package of 2000 small files keeps the placement
# phase busy for a few seconds, long enough to catch the installing state part-way. The bar's
# pixels on the screen must equal the host's picture of the same bar at some Position (Wine may
# show half of one paint, so several pictures are taken and judged). Then the end state: the
# completion report at the top of a heading that fills the window, GoPanel back to the window's
# colour, Finish; F1 still works, the height stays locked, and Finish ends the program.
source "$HERE/lib_window.sh"

readonly PROGRESS_RECORDS=2000

# A package of many small files under the target directory.
make_progress_package() {
    local dir="$RUN_DIR/progress" i records=()
    mkdir -p "$dir"
    head -c 4096 /dev/urandom > "$dir/blob.bin"
    for ((i = 1; i <= PROGRESS_RECORDS; i++)); do
        printf -v 'records[i]' '16|data\\f%04d.bin|blob.bin' "$i"
    done
    craft_package "$dir" "$RUN_DIR/progress.exe" ZYLOR "Progress Test" "${records[@]}"
}

scenario() {
    local exe tool target='C:\Progress Target'
    exe=$(make_progress_package)
    tool=$(bar_match_tool)
    local face shadow highlight
    face=$(sys_color ButtonFace)
    shadow=$(sys_color ButtonShadow)
    highlight=$(sys_color ButtonHilight)

    start_window "$exe" "$target"
    drive dump "$TITLE"
    window_geometry
    local go gl gt gr gb
    go=$(rect_of 'class="StowawayPanel" text=""')
    IFS=, read -r gl gt gr gb <<< "$go"
    local bw=$((gr - gl)) bh=$((gb - gt))

    drive click "$TITLE" "Install ZYLOR Software"
    # Pictures of the bar until it is gone; the thread paints without taking messages now.
    local i shot result length matched=0 halves=0 seen=0 corner
    for ((i = 1; i <= 60; i++)); do
        shot="$RESULT_BASE-installing-$i.png"
        import -window root "$shot" 2>> "$RUN_DIR/import.log" || die "screenshot failed"
        crop_rgb "$shot" $((CLI_X + gl)) $((CLI_Y + gt)) "$bw" "$bh" "$RUN_DIR/bar.rgb"
        # The bar's top-left pixel is its ring's shadow; without the bar it is GoPanel's face.
        corner=$(od -An -tx1 -N3 "$RUN_DIR/bar.rgb" | tr -d ' \n' | tr 'a-f' 'A-F')
        if [[ $corner == "$face" ]]; then
            rm -f "$shot"
            ((seen)) && break  # the bar has gone
            sleep 0.1          # the command has not started yet
            continue
        fi
        if ((!seen)); then
            # The installing state, read at once while the thread is busy placing files.
            drive peek "$TITLE" 5
            expect_line "heading" 'class="Static"' "text=\"$(esc "Installing Progress Test package...")\"" "visible=1"
            expect_line "install button" 'text="Install ZYLOR Software"' "visible=0" "enabled=0"
            expect_line "finish button" 'text="Finish"' "visible=0"
            expect_line "target panel" "text=\"$(esc "$target")\"" "visible=0"
            expect_line "drivers label" 'text="And drivers to this directory:"' "visible=0"
            expect_line "GoPanel" "rect=$go" "visible=1"
        fi
        seen=1
        result=$("$tool" "$bw" "$bh" "$PROGRESS_RECORDS" "$face" "$shadow" "$highlight" 000000 "$RUN_DIR/bar.rgb") || true
        length=$(sed -n 's/.*length=\([0-9]*\).*/\1/p' <<< "$result")
        log "installing-$i: $result"
        if [[ $result == match* ]] && ((length > 0 && length < bw - 2)); then
            matched=$((matched + 1))
            cp "$shot" "$RESULT_BASE-installing.png"  # the last part-way picture
        elif [[ $result != match* ]]; then
            halves=$((halves + 1))  # a picture of half a paint, or a bar that differs
        fi
        ((matched >= 3)) && break
    done
    log "part-way pictures matching the host's bar: $matched, others not matching: $halves"
    ((matched > 0)) || die "no picture showed the bar part-way as the host paints it"

    wait_finish
    expect_end_state "$REPORT_COMPLETE"
    expect_rect "heading fills the window above GoPanel" "0,0,$CLI_W,$gt" 'class="Static"' "visible=1"
    expect_rect "GoPanel" "$go" 'class="StowawayPanel" text=""' "visible=1"
    screenshot end
    # GoPanel shows the window's colour again beside Finish; the report sits at the top of the
    # heading, whose lower part stays empty.
    local fl
    fl=$(rect_of 'text="Finish"' | cut -d, -f1)
    expect_uniform "GoPanel left of Finish" "$RESULT_BASE-end.png" 0 "$gt" "$fl" "$bh" "$face"
    expect_uniform "GoPanel right of Finish" "$RESULT_BASE-end.png" $((fl + 82)) "$gt" $((CLI_W - fl - 82)) "$bh" "$face"
    expect_uniform "heading below the report" "$RESULT_BASE-end.png" 0 40 "$CLI_W" $((gt - 40)) "$face"
    [[ $(crop_colors "$RESULT_BASE-end.png" $((CLI_X)) $((CLI_Y)) "$CLI_W" 14) == *000000* ]] ||
        die "no text at the top of the heading"

    expect_diagnostics_on_f1 "$TITLE"
    expect_height locked
    local count
    count=$(find "$(host_path "$target")/data" -type f | wc -l)
    expect_eq "files placed" "$PROGRESS_RECORDS" "$count"
    finish_installer
}

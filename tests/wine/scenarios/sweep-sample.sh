# A sample of the malformed-installer sweep against the real stub: damaged copies of the packed
# sample (craft.py sweep, fixed seed: cuts in the length field, the header and the first
# records, bit flips in the header, in the first records' length fields, placement bytes and
# stamps, and in their bytes). Each must, within a bounded time, show its numbered load error
# (the one `stowpack inspect` predicts, read back and dismissed, the program ends, nothing
# written) or the ready window; Install then ends in the end state with the completion report
# or the error report (wherever inspect finds the record the install stops at, the error report
# naming the same error).
# Never Wine's crash dialog, never a hang.

readonly SWEEP_SEED=6
readonly SWEEP_START_SECONDS=20 SWEEP_INSTALL_SECONDS=30
readonly SWEEP_MAIN="class=StowawayMainForm"

# Fails at once when Wine's crash dialog is up or the installer has ended unasked; called with
# the output of `stowdriver list` in DRIVER_OUT.
sweep_no_crash() {
    local name=$1
    if grep -qE 'title="Program Error"|process="winedbg.exe"' "$DRIVER_OUT"; then
        screenshot "$name"
        die "$name: Wine's crash dialog: $(grep -E 'Program Error|winedbg' "$DRIVER_OUT" | head -n1)"
    fi
    if ! kill -0 "$INSTALLER_PID" 2> /dev/null; then
        wait_installer_exit 1
        screenshot "$name"
        die "$name: the installer ended without a word (status $INSTALLER_STATUS)"
    fi
}

# Waits for the load-error box or the ready window of the running installer: SWEEP_SIGHT is
# "box" or "window".
sweep_first_sight() {
    local name=$1 started=$SECONDS
    while ((SECONDS - started < SWEEP_START_SECONDS)); do
        drive list
        local own
        own=$(grep -F "process=\"$(esc "$INSTALLER_EXE")\"" "$DRIVER_OUT")
        sweep_no_crash "$name"
        SWEEP_SIGHT=""
        grep -qF 'class="StowawayMainForm"' <<< "$own" && SWEEP_SIGHT=window
        grep -qF 'class="#32770"' <<< "$own" && SWEEP_SIGHT=box
        [[ -n $SWEEP_SIGHT ]] && return 0
        sleep 0.3
    done
    screenshot "$name"
    die "$name: neither a load error nor the window after ${SWEEP_START_SECONDS}s"
}

# The load-error box: exactly the caption and text inspect predicts (its text with CR LF as one
# space), one OK button; OK ends the program and nothing was written on C:.
sweep_load_error() {
    local name=$1 predicted=$2
    drive msgbox-read 10
    local caption text
    caption=$(out_value caption)
    text=$(out_value text)
    expect_eq "$name: process" "$(esc "$INSTALLER_EXE")" "$(out_value process)"
    expect_eq "$name: box" "$(esc "$predicted")" "$caption: ${text//\\r\\n/ }"
    expect_eq "$name: buttons" "OK" "$(out_value button)"
    screenshot "$name"
    drive msgbox-press OK 10
    wait_installer_exit 15
    expect_eq "$name: exit status" "3" "$INSTALLER_STATUS"
    snapshot_files > "$RUN_DIR/after.files"
    diff "$RUN_DIR/before.files" "$RUN_DIR/after.files" > "$RUN_DIR/files.diff" ||
        die "$name: files changed on C: ($(head -c 1000 "$RUN_DIR/files.diff"))"
    SWEEP_OUTCOME="$caption"
}

# The ready window: Install, then the end state within the bound; the report is the completion
# report or the error report (the error report when inspect finds a record the install stops
# at), whose detail is one of the install's own errors. Finish ends the program with status 0.
sweep_install() {
    local name=$1 must_stop=$2
    drive click "$SWEEP_MAIN" "Install ZYLOR Software" 10
    local started=$SECONDS
    while :; do
        ((SECONDS - started < SWEEP_INSTALL_SECONDS)) ||
            { screenshot "$name"; die "$name: no end state after ${SWEEP_INSTALL_SECONDS}s"; }
        drive list
        sweep_no_crash "$name"
        if driver dump "$SWEEP_MAIN" 5 && grep -F 'text="Finish"' "$DRIVER_OUT" | grep -q 'visible=1 enabled=1'; then
            break
        fi
        sleep 0.3
    done
    local heading
    heading=$(grep -m1 '^child .*id=100 class="Static"' "$DRIVER_OUT" | sed -n 's/.* text="\(.*\)" rect=.*/\1/p')
    if [[ $heading == "$(esc "$REPORT_ERROR")"* ]]; then
        SWEEP_OUTCOME="error report: ${heading#"$(esc "$REPORT_ERROR")"}"
        expect_end_state "$(sweep_unescape "$heading")"
        [[ $SWEEP_OUTCOME =~ ^"error report: "(EReadError|PackageError|EFCreateError): ]] ||
            die "$name: an error report without one of the install's errors: $heading"
        # Where inspect names the stop, the report names the same error.
        local named=""
        case $must_stop in
            "The install command stops"*) named="PackageError: " ;;
            "Record #"*) named=$(sed -n 's/^Record #[0-9]* cannot be read (\(.*\)).*/\1/p' <<< "$must_stop") ;;
        esac
        [[ $SWEEP_OUTCOME == "error report: $named"* ]] ||
            die "$name: the error report does not name [$named]: $heading"
    elif [[ $heading == "$(esc "${REPORT_COMPLETE%%$'\r'*}")"* ]]; then
        [[ -z $must_stop ]] || die "$name: completion reported although the install must stop: $must_stop"
        SWEEP_OUTCOME="complete"
        [[ $heading == "$(esc "$REPORT_COMPLETE")"* ]] || die "$name: report $heading"
        [[ $heading == "$(esc "$REPORT_COMPLETE")" ]] || SWEEP_OUTCOME="complete, with failed copies"
        expect_end_state "$(sweep_unescape "$heading")"
    else
        die "$name: neither report in the heading: $heading"
    fi
    expect_line "$name: install button hidden" 'class="Button" text="Install ' "visible=0"
    screenshot "$name"
    drive click "$SWEEP_MAIN" Finish 10
    wait_installer_exit 15
    expect_eq "$name: exit status" "$EXPECTED_EXIT" "$INSTALLER_STATUS"
}

# The text of a driver line as the window holds it (the reverse of esc).
sweep_unescape() {
    local s=${1//\\\"/\"}
    printf '%b' "$s"
}

scenario() {
    local cases="$RUN_DIR/sweep"
    python3 "$HERE/craft.py" sweep "$(installer sample)" "$STOW_WINE_WORK/packages/sample.json" \
        "$cases" --seed "$SWEEP_SEED" ||
        die "could not make the damaged installers"
    local summary="$RESULT_BASE.sweep.txt" name kind offset detail
    : > "$summary"
    local -A seen=()
    while read -r name kind offset detail; do
        # What the host's reading of the file predicts.
        local inspect="$cases/$name.inspect" startup must_stop
        "$STOW_STOWPACK" inspect "$cases/$name.exe" > "$inspect" 2>&1
        startup=$(sed -n 's/^Start-up: *//p' "$inspect")
        [[ -n $startup ]] || die "$name: inspect gives no start-up line: $(tail -n 3 "$inspect")"
        # A record that cannot be read, or one without a placement byte or with an invalid one.
        must_stop=$(grep -m1 '^The install command stops at record' "$inspect" ||
            grep -m1 '^Record #[0-9]* cannot be read' "$inspect")
        if [[ $kind == cut ]]; then
            expect_eq "$name: predicted start-up" "Load Error ${detail}h" "${startup%%:*}"
        fi

        local started=$SECONDS
        start_installer "$cases/$name.exe"
        sweep_first_sight "$name"
        if [[ $startup == "Load Error "* ]]; then
            [[ $SWEEP_SIGHT == box ]] || die "$name: the window instead of $startup"
            sweep_load_error "$name" "$startup"
        else
            [[ $SWEEP_SIGHT == window ]] || die "$name: a message box instead of the window: $(cat "$DRIVER_OUT")"
            sweep_install "$name" "$must_stop"
        fi
        case $SWEEP_OUTCOME in
            "Load Error"*) seen[load]=1 ;;
            "error report"*) seen[error]=1 ;;
            complete*) seen[complete]=1 ;;
        esac
        printf '%-14s %s %-6s %-5s %3ss  %s\n' "$name" "$kind" "$offset" "$detail" \
            "$((SECONDS - started))" "$SWEEP_OUTCOME" | tee -a "$summary" >&2
    done < "$cases/cases.txt"
    # A sample that only ever took one road would test little.
    [[ -n ${seen[load]:-} && -n ${seen[error]:-} && -n ${seen[complete]:-} ]] ||
        die "the sample did not meet a load error, the error report and the completion report: ${!seen[*]}"
}

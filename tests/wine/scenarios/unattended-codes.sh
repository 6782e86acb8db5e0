# Every exit code produced for real, silently unless the row says otherwise, with the log's
# account of it: a load error (no box with /S), an invalid placement code, a failed copy, a
# target directory that cannot be created, a log that cannot be written, a refused command line.
# Success is unattended-silent; closing the window is every ready-* scenario (code 4).

# Runs INSTALLER with the arguments silently, watching for windows; checks the exit code and
# that the log holds each given line. Usage: silent_run CODE INSTALLER LOG -- ARG... -- LINE...
silent_run() {
    local code=$1 exe=$2 log=$3
    shift 4
    local args=()
    while [[ $1 != -- ]]; do args+=("$1"); shift; done
    shift
    run_unattended "$exe" /S "${args[@]}"
    expect_eq "exit status with ${args[*]}" "$code" "$INSTALLER_STATUS"
    [[ -z $log ]] && return 0
    local host line
    host=$(host_path "$log")
    [[ -f $host ]] || die "no log at $log"
    { echo "== $log"; cat "$host"; } >> "$RESULT_BASE.txt"
    for line in "$@" "Exit code: $code"; do
        grep -qF -- "$line" "$host" || die "the log $log has no line with [$line]"
    done
}

scenario() {
    profile_locations
    local vendor
    vendor=$(package_info vendor)

    # Load error: no package attached; nothing installed, no box.
    silent_run 3 "$(installer bare)" 'C:\Downloads\logs-00.txt' -- '/LOG=C:\Downloads\logs-00.txt' -- \
        'Load Error 00h: No package is attached. Please contact the factory for assistance.'
    rm "$(host_path 'C:\Downloads\logs-00.txt')"  # checked above; the one file written
    expect_nothing_written "$vendor"

    # A refused command line: an empty /D=.
    silent_run 2 "$(installer sample)" 'C:\Downloads\logs-empty.txt' -- '/D=' '/LOG=C:\Downloads\logs-empty.txt' -- \
        'Command Line: /D= names no directory.'
    rm "$(host_path 'C:\Downloads\logs-empty.txt')"
    expect_nothing_written "$vendor"

    # The target directory cannot be created (it lies under a file: "already exists", 183).
    silent_run 2 "$(installer sample)" 'C:\logs-target.txt' -- \
        '/D=C:\Downloads\sample.exe\DAQ Suite' '/LOG=C:\logs-target.txt' -- \
        'Directory failed: C:\Downloads\sample.exe\DAQ Suite\ (error 183)' \
        'EFCreateError: Failed to create target directory.'

    # An invalid placement code: the installation stops at that record with the error report.
    local bad
    bad=$(craft_bad_code "$(installer sample)" ReadMe.txt)
    silent_run 2 "$bad" 'C:\logs-bad.txt' -- '/LOG=C:\logs-bad.txt' -- \
        'PackageError: Invalid LocMode #06h. The package is probably corrupt.'

    # A failed copy: a folder stands where a file of the target directory should go. The target
    # has blanks and is given unquoted, last on the line (Wine quotes an argument with blanks, so
    # the words go separately).
    local target='C:\Stow Silent\DAQ'
    mkdir -p "$(drive_c)/Stow Silent/DAQ/ReadMe.txt"
    silent_run 1 "$(installer sample)" 'C:\logs-copy.txt' -- '/LOG=C:\logs-copy.txt' \
        '/D=C:\Stow' 'Silent\DAQ' -- \
        "File failed: $target\\ReadMe.txt (access denied), fallback copy: C:\\Downloads\\ReadMe.txt" \
        "File written: $target\\LICENSE" "These files failed to copy"
    expect_file "C:\\Downloads\\ReadMe.txt" "$STOW_SAMPLE_DIR/files/ReadMe.txt"

    # The log cannot be written (its folder does not exist): the installation runs, code 5.
    # The target is quoted here (Wine quotes an argument with blanks).
    silent_run 5 "$(installer sample)" '' -- '/LOG=C:\No Such Folder\setup.log' \
        '/D=C:\Stow Quoted\DAQ' --
    expect_file 'C:\Stow Quoted\DAQ\ReadMe.txt' "$STOW_SAMPLE_DIR/files/ReadMe.txt"
}

# A target directory that cannot be written, for real: a read-only bind mount mapped as drive
# R: (root ignores file modes, a read-only mount it cannot).
# 1. The target exists, empty: its first files fall back whole to the current directory
#    (C:\Downloads), then its first subfolder cannot be made, which ends the install in the
#    error report.
# 2. The subfolders exist too: every target file falls back, then the file log cannot be
#    written, which ends the install in the error report.
# Nothing reaches the read-only drive.
# shellcheck source=../lib_fault.sh
source "$HERE/lib_fault.sh"

# Runs the sample against R:\Target; the first COUNT target files must have fallen back to
# C:\Downloads whole, and the report must be the error report with the given detail.
readonly_install() {
    local shot=$1 count=$2 detail=$3 files="$STOW_SAMPLE_DIR/files" target='R:\Target'
    rm -rf "$(drive_c)/Downloads"
    install_to_end "$(installer sample)" "$target"
    screenshot "$shot"
    expect_end_state "$REPORT_ERROR$detail"
    local i name
    for ((i = 0; i < ${#FAULT_TARGET_FILES[@]}; i++)); do
        name=${FAULT_TARGET_FILES[i]}
        if ((i < count)); then
            expect_file "C:\\Downloads\\${name##*\\}" "$files/${name//\\//}"
        else
            expect_no_file "C:\\Downloads\\${name##*\\}"
        fi
    done
    # Outside the read-only drive the files before the stop were placed as usual.
    profile_locations
    expect_file "${LOC_DLL}zydaq.dll" "$files/system/zydaq.dll"
    finish_installer
}

scenario() {
    local source="$RUN_DIR/rosource" drive="$RUN_DIR/rdrive"
    mkdir -p "$source/Target"
    fault_mount "$drive" --bind "$source"
    # A bind mount takes "ro" only when remounted.
    mount -o remount,bind,ro "$drive" 2> "$RUN_DIR/mount.err" ||
        skip_scenario "cannot make the bind mount read-only ($(head -c 300 "$RUN_DIR/mount.err"))"
    touch "$drive/Target/probe" 2> /dev/null && die "the read-only mount takes a write"
    fault_map_drive r "$drive"

    readonly_install first-folder 6 'EFCreateError: Failed to create directory "R:\Target\_tools\".'

    # The subfolders are made through the writable source; the mount shows them read-only.
    mkdir -p "$source/Target/_tools" "$source/Target/DOS" "$source/Target/WIN32" "$source/Target/WIN16"
    readonly_install file-log "${#FAULT_TARGET_FILES[@]}" 'EFCreateError: Cannot create file R:\Target\FileLog.ini'

    local left
    left=$(cd "$source" && find . -mindepth 1 | LC_ALL=C sort | tr '\n' ' ')
    expect_eq "the read-only drive" "./Target ./Target/DOS ./Target/WIN16 ./Target/WIN32 ./Target/_tools " "$left"
}

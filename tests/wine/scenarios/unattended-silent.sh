# Setup.exe /S /LOG=...: the sample installs with no window of the process at any time (the
# driver watches from its start to its end), leaves exactly what a clicked installation leaves
# (the clicked scenario's own checks), ends with the documented code and writes the log.
# shellcheck source=install-sample.sh
source "$STOW_SOURCE_DIR/tests/wine/scenarios/install-sample.sh"
SILENT=1
INSTALL_LOG='C:\setup.log'

# Runs the installer silently and waits for its end, watching for windows meanwhile.
sample_run_installer() {
    INSTALL_DATES=$(date +%Y%m%d)
    run_unattended "$(installer sample)" /S "/LOG=$INSTALL_LOG"
    INSTALL_DATES="$INSTALL_DATES $(date +%Y%m%d)"
}

eval "$(declare -f scenario | sed '1s/^scenario/clicked_checks/')"

scenario() {
    clicked_checks
    local code=0
    expect_eq "exit status" "$code" "$INSTALLER_STATUS"

    local vendor package target drivers log
    sample_dirs
    log=$(host_path 'C:\setup.log')
    [[ -f $log ]] || die "no log at C:\\setup.log"
    { echo "== C:\\setup.log"; cat "$log"; } >> "$RESULT_BASE.txt"
    local line
    local -a lines=("Started: " "Loaded: $vendor $package, 27 records"
        "File written: $target\\ReadMe.txt" "File written: $target\\WIN16\\meter.exe"
        "File written: $drivers\\zydaq.inf" "File written: ${LOC_DLL}zydaq.dll"
        "Link: $LOC_PROGRAMS$vendor $package\\ReadMe.txt.lnk -> $target\\ReadMe.txt"
        "Registry: HKLM\\Software\\$vendor\\Installed Packages ["
        "Installation complete!" "Exit code: $code")
    if ((NT)); then
        lines+=("INF preinstalled: $drivers\\zydaq.inf -> " "Registry: HKLM\\Software\\$vendor\\INF [$drivers\\zydaq.inf] = ")
        lines+=("File skipped (not for this system): zydaq.vxd")
    else
        lines+=("File written: ${LOC_WINDOWS}INF\\Other\\zydaq.inf")
    fi
    for line in "${lines[@]}"; do
        grep -qF -- "$line" "$log" || die "the log has no line with [$line]"
    done
    # Every file line ends in CR LF, and there is one line per record (and driver copy) placed.
    [[ $(grep -c $'\r$' "$log") == $(wc -l < "$log") ]] || die "a log line without CR LF"
}

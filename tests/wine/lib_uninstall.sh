# Helpers of the uninstall scenarios: the registry and the drive before the install, the
# uninstaller started from the path the uninstall entry names, and the check that the prefix is
# as it was apart from what the uninstaller's report lists. Sourced on top of lib.sh.

readonly UNINSTALL_TITLE="ZYLOR Uninstall"
readonly UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ZYLOR Data Acquisition'
readonly UNINSTALL_LOG='C:\uninstall.log'
UNINSTALL_PID=""
UNINSTALL_STATUS=""

# Every key and value under HKLM\Software in the machine's registry file (both views: a 64-bit
# prefix keeps the 32-bit one under Wow6432Node), without Wine's time stamps, one "KEY" or
# "KEY|VALUE" a line, continued lines joined. HKLM\System is left out: Wine rewrites parts of it
# (display and network classes) on every start.
registry_dump() {
    awk '
        /^#/ { next }
        pending != "" { pending = pending $0; if (!sub(/\\$/, "", pending)) { emit(pending); pending = "" } next }
        /^\[/ { key = $0; sub(/\] [0-9]+$/, "]", key); keep = index(tolower(key), "[software\\\\") == 1; if (keep) print key; next }
        NF && keep { line = $0; if (sub(/\\$/, "", line)) { pending = line; next } emit(line) }
        function emit(value) { print key "|" value }' "$PREFIX/system.reg" | LC_ALL=C sort
}

# Files on C: with their sizes (times change under Wine's feet), directories left out.
drive_files() {
    (cd "$(drive_c)" && find . -type f -printf '%p %s\n' | LC_ALL=C sort)
}

# The registry and the drive as they are, then the sample installed with the defaults. Wine's
# first start in a fresh copy of the template tidies its own keys (NetworkCards): one harmless
# program runs first.
baseline_and_install() {
    profile_locations
    drive list
    prefix_stop "$PREFIX"
    registry_dump > "$RUN_DIR/before.reg"
    drive_files > "$RUN_DIR/before.drive"
    install_sample
}

# The uninstaller's path as the uninstall entry names it.
uninstall_string() {
    reg_query "$UNINSTALL_KEY" || die "no uninstall key"
    reg_values | sed -n 's/^UninstallString\t//p'
}

# Starts the program the uninstall entry names, as the system's list of software would.
start_uninstaller() {
    local exe
    exe=$(uninstall_string)
    [[ -n $exe ]] || die "the uninstall key has no UninstallString"
    [[ -f $(host_path "$exe") ]] || die "UninstallString names $exe, which does not exist"
    log "start $exe $(esc "$*")"
    (cd "$(drive_c)" && exec timeout -k 5 "${STOW_WINE_APP_TIMEOUT:-120}" "$WINE" "$exe" "$@" \
        < /dev/null > "$RUN_DIR/uninstall.stdout" 2> "$RUN_DIR/uninstall.stderr") &
    UNINSTALL_PID=$!
}

wait_uninstaller_exit() { wait_process_exit UNINSTALL_PID UNINSTALL_STATUS uninstaller "${1:-60}"; }

# Installs the sample with the defaults (or into the given target) and ends the installer.
install_sample() {
    install_to_end "$(installer sample)" "$@"
    finish_installer
}

# The report the uninstaller appended to its log, with Unix line ends.
uninstall_report() {
    local host
    host=$(host_path "$UNINSTALL_LOG")
    [[ -f $host ]] || die "the uninstaller wrote no log"
    tr -d '\r' < "$host"
}

# The exit status the report calls for: 0 when it lists only removals (some perhaps at the
# next restart), 1 when it keeps anything or names a failure.
expect_exit_matches_report() {
    local expected=0
    uninstall_report | grep -q '^\(Kept\|Could not\)' && expected=1
    expect_eq "exit status" "$expected" "$UNINSTALL_STATUS"
}

# The report lists ITEM (a C: path or registry name) under a heading that begins with HEADING.
expect_reported() {
    local heading=$1 item=$2
    uninstall_report | awk -v h="$heading" -v i="  $item" '
        /^[^ ]/ { in_group = index($0, h) == 1 }
        in_group && (tolower($0) == tolower(i) || index(tolower($0), tolower(i) " (") == 1) { found = 1 }
        END { exit !found }' || die "the report does not list $item under \"$heading\": $(uninstall_report | head -c 3000)"
}

# The drive and the registry are as before the install, apart from the log, the installers the
# scenario downloaded (C:\Downloads, kept by the user) and what the report lists as kept or
# scheduled.
expect_restored() {
    prefix_stop "$PREFIX"
    registry_dump > "$RUN_DIR/after.reg"
    drive_files > "$RUN_DIR/after.drive"
    uninstall_report > "$RUN_DIR/report.txt"
    local problems
    problems=$(python3 - "$RUN_DIR/before.drive" "$RUN_DIR/after.drive" "$RUN_DIR/report.txt" \
        "$UNINSTALL_LOG" << 'PY'
import sys
from pathlib import Path
before_f, after_f, report_f, log = sys.argv[1:]

def name(win):  # "C:\a\b" -> "./a/b", lower case
    return ("./" + win[3:].replace("\\", "/")).lower()

def files(path):  # "./PATH SIZE" lines
    return {p.lower(): size for p, _, size in (l.rpartition(" ") for l in Path(path).read_text().splitlines())}

before, after = files(before_f), files(after_f)
report = Path(report_f).read_text(errors="replace")
# The report's items: indented C: paths, some with a reason in brackets behind them.
listed = {name(l[2:].rsplit(" (", 1)[0]) for l in report.splitlines()
          if l.startswith("  ") and len(l) > 5 and l[3] == ":"}
allowed = {name(log)}
# A deletion at restart on 9x is a line in WININIT.INI: the file goes with the scheduled item.
if "Removed when Windows restarts" in report:
    allowed.add("./windows/wininit.ini")
for path in sorted(set(before) | set(after)):
    if before.get(path) == after.get(path) or path in allowed or path.startswith("./downloads/"):
        continue
    if path not in before:
        if path not in listed:
            print("left over:", path)
    else:
        print("removed:" if path not in after else "changed:", path)
PY
    ) || die "could not compare the drive"
    [[ -z $problems ]] || die "the drive is not as before: $(tr '\n' ';' <<< "$problems")"
    if ! diff "$RUN_DIR/before.reg" "$RUN_DIR/after.reg" > "$RUN_DIR/registry.diff"; then
        die "the registry is not as before: $(head -c 3000 "$RUN_DIR/registry.diff")"
    fi
    log "drive and registry as before the install, apart from what the report lists"
}

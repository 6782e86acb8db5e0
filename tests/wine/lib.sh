# Shared pieces of the Wine end-to-end harness: prefixes, the X server, the installer process,
# the test driver and the checks. Sourced by harness.sh; scenario files use the functions below.
# Everything started here is ended by its pid or by its prefix (wineserver -k), never by name.

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# 64-bit Wine's loader, named directly: Debian's wine script tries the 32-bit one first.
: "${STOW_WINE64:=/usr/lib/wine/wine64}"
readonly STOW_SCREEN="1024x768"

LOG_FILE=""
log() {
    local line
    line=$(printf '[%s] %s' "$(date +%H:%M:%S)" "$*")
    printf '%s\n' "$line" >&2
    if [[ -n $LOG_FILE ]]; then printf '%s\n' "$line" >> "$LOG_FILE"; fi
}
die() { log "FAIL: $*"; exit 1; }

# Mirrors the driver's escaping, so expected texts compare with its output literally.
esc() {
    local s=${1//\\/\\\\}
    s=${s//\"/\\\"}
    s=${s//$'\r'/\\r}
    s=${s//$'\n'/\\n}
    s=${s//$'\t'/\\t}
    printf '%s' "$s"
}

# ---- X server ----------------------------------------------------------------------------

XVFB_PID=""

# Starts Xvfb on a free display (it reports the number once it accepts clients).
xvfb_start() {
    local dir=$1
    local number_file="$dir/xvfb.display"
    : > "$number_file"
    Xvfb -displayfd 3 -screen 0 "${STOW_SCREEN}x24" -nolisten tcp 3> "$number_file" < /dev/null \
        > "$dir/xvfb.log" 2>&1 &
    XVFB_PID=$!
    local i
    for ((i = 0; i < 200; i++)); do
        if [[ -s $number_file ]] && grep -q '^[0-9][0-9]*$' "$number_file"; then
            export DISPLAY=":$(head -n1 "$number_file")"
            return 0
        fi
        kill -0 "$XVFB_PID" 2> /dev/null || break
        sleep 0.05
    done
    die "Xvfb did not start (see $dir/xvfb.log)"
}

xvfb_stop() {
    if [[ -n $XVFB_PID ]]; then
        kill "$XVFB_PID" 2> /dev/null
        wait "$XVFB_PID" 2> /dev/null
        XVFB_PID=""
    fi
}

# ---- prefixes ------------------------------------------------------------------------------

wine_in() { WINEPREFIX=$1 "${@:2}"; }

# Ends every process of the prefix and waits until its server has gone (which also saves the
# registry files).
prefix_stop() {
    local prefix=$1
    [[ -d $prefix ]] || return 0
    WINEPREFIX=$prefix wineserver -k < /dev/null > /dev/null 2>&1
    WINEPREFIX=$prefix timeout 20 wineserver -w < /dev/null > /dev/null 2>&1
    return 0
}

# A fresh prefix of the given architecture. A virtual desktop makes Wine draw the window frames
# itself, so screenshots show the titles, and nothing waits for a window manager that is not
# there.
prefix_create() {
    local arch=$1 prefix=$2 logfile=$3 wine=${4:-wine}
    rm -rf "$prefix"
    WINEPREFIX=$prefix WINEARCH=$arch timeout 300 "$wine" wineboot -i < /dev/null >> "$logfile" 2>&1 ||
        die "wineboot failed for $arch (see $logfile)"
    if [[ ${STOW_WINE_DESKTOP:-1} == 1 ]]; then
        wine_in "$prefix" "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ \
            /d Default /f < /dev/null >> "$logfile" 2>&1
        wine_in "$prefix" "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default \
            /t REG_SZ /d "$STOW_SCREEN" /f < /dev/null >> "$logfile" 2>&1
    fi
    prefix_stop "$prefix"
}

# Wine reports itself as Windows 98 in this prefix (platform id 1), and its Windows folder has
# the INF\Other folder that every Windows 98 has (a fresh Wine prefix lacks it).
prefix_set_win98() {
    local prefix=$1 logfile=$2
    wine_in "$prefix" wine reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d win98 /f \
        < /dev/null >> "$logfile" 2>&1 || die "could not set the Windows version"
    prefix_stop "$prefix"
    grep -q '"Version"="win98"' "$prefix/user.reg" || die "win98 setting did not stick"
    mkdir -p "$prefix/drive_c/windows/inf/Other"
}

# The Wine loader for a profile's programs: x64 runs the x86_64 build with 64-bit Wine, the
# others run the i686 build with the wine script (32-bit Wine, WOW64 in a win64 prefix).
profile_wine() {
    case $1 in
        x64) printf '%s' "$STOW_WINE64" ;;
        *) printf 'wine' ;;
    esac
}

# The loader of the running scenario's profile.
WINE=wine
run_wine() { "$WINE" "$@"; }

# ---- one scenario's run --------------------------------------------------------------------
# Set by harness.sh before a scenario file is sourced:
#   PROFILE, SCENARIO, RUN_DIR (scratch), PREFIX, RESULT_BASE (results without extension).

INSTALLER_PID=""
INSTALLER_EXE=""

# The prefix's C: drive.
drive_c() { printf '%s/drive_c' "$PREFIX"; }

# Starts an installer with the given arguments while the driver watches for any top-level
# window of its process from before it starts until it ends; waits for the end. The watch's
# output is in DRIVER_OUT; no window at all is expected.
run_unattended() {
    local source=$1
    shift
    local name
    name=$(basename "$source")
    DRIVER_OUT="$RUN_DIR/watch.out"
    rm -f "$DRIVER_OUT"
    timeout -k 5 150 "$WINE" "$STOW_DRIVER" watch-windows "$name" 120 < /dev/null \
        > "$DRIVER_OUT" 2> "$RUN_DIR/watch.err" &
    local watcher=$! i
    for ((i = 0; i < 300; i++)); do
        grep -q waiting "$DRIVER_OUT" 2> /dev/null && break
        sleep 0.1
    done
    start_installer "$source" "$@"
    wait "$watcher" || die "stowdriver watch-windows failed: $(cat "$RUN_DIR/watch.err")"
    { echo "== stowdriver watch-windows $name"; cat "$DRIVER_OUT"; } >> "$RESULT_BASE.txt"
    expect_line "windows of the unattended installer" "watched" "shown=0"
    wait_installer_exit 30
}

# Copies an installer into the prefix (as a user would download it) and starts it there with
# the given arguments. Output goes to files: Wine's helpers may keep pipes open.
start_installer() {
    local source=$1
    shift
    [[ -f $source ]] || die "no installer at $source"
    local dir
    dir="$(drive_c)/Downloads"
    mkdir -p "$dir"
    INSTALLER_EXE=$(basename "$source")
    cp "$source" "$dir/$INSTALLER_EXE"
    snapshot_take
    log "start C:\\Downloads\\$INSTALLER_EXE $(esc "$*")"
    (cd "$dir" && exec timeout -k 5 "${STOW_WINE_APP_TIMEOUT:-120}" "$WINE" "$INSTALLER_EXE" "$@" \
        < /dev/null > "$RUN_DIR/installer.stdout" 2> "$RUN_DIR/installer.stderr") &
    INSTALLER_PID=$!
}

# Waits for the installer's process to end; its exit status lands in INSTALLER_STATUS.
wait_installer_exit() { wait_process_exit INSTALLER_PID INSTALLER_STATUS installer "${1:-30}"; }

# Waits for the process whose id the variable named first holds to end; its exit status lands
# in the variable named second.
wait_process_exit() {
    local -n pid_of=$1 status_of=$2
    local what=$3 seconds=$4 i
    for ((i = 0; i < seconds * 10; i++)); do
        if ! kill -0 "$pid_of" 2> /dev/null; then
            wait "$pid_of"
            status_of=$?
            pid_of=""
            log "$what ended with status $status_of"
            return 0
        fi
        sleep 0.1
    done
    die "the $what is still running after ${seconds}s"
}

# Runs one driver command; its output is kept in DRIVER_OUT and appended to the results.
DRIVER_OUT=""
driver() {
    DRIVER_OUT="$RUN_DIR/driver.out"
    local status=0
    timeout -k 5 90 "$WINE" "$STOW_DRIVER" "$@" < /dev/null > "$DRIVER_OUT" 2> "$RUN_DIR/driver.err" || status=$?
    {
        printf '== stowdriver %s (status %d)\n' "$*" "$status"
        cat "$DRIVER_OUT"
        sed 's/^/stderr: /' "$RUN_DIR/driver.err"
    } >> "$RESULT_BASE.txt"
    return "$status"
}

# The driver command must succeed.
drive() { driver "$@" || die "stowdriver $* failed: $(cat "$RUN_DIR/driver.err")"; }

# One value of a key=value line of the last driver output, escaped as the driver wrote it.
out_value() { sed -n "s/^$1=//p" "$DRIVER_OUT"; }

# Waits a moment for the last paint, then takes the picture of the whole screen.
screenshot() {
    local name=${1:-}
    sleep "${STOW_WINE_PAINT_DELAY:-0.5}"
    local file="$RESULT_BASE${name:+-$name}.png"
    import -window root "$file" 2>> "$RUN_DIR/import.log" || die "screenshot failed"
    log "screenshot $file"
}

expect_eq() {
    local what=$1 expected=$2 actual=$3
    [[ $expected == "$actual" ]] || die "$what: expected [$expected], got [$actual]"
}

# The first line of the last driver output that holds all the fragments.
output_line() {
    local line fragment ok
    while IFS= read -r line; do
        ok=1
        for fragment in "$@"; do
            [[ $line == *"$fragment"* ]] || { ok=0; break; }
        done
        if ((ok)); then
            printf '%s' "$line"
            return 0
        fi
    done < "$DRIVER_OUT"
    return 1
}

expect_line() {
    local what=$1
    shift
    output_line "$@" > /dev/null || die "$what: no line with: $*"
}

# The message box on top, of the running installer: caption, text, buttons (one per argument,
# in order, without their '&') and an icon.
expect_msgbox() {
    local caption=$1 text=$2
    shift 2
    drive msgbox-read 60
    expect_eq "message box process" "$(esc "$INSTALLER_EXE")" "$(out_value process)"
    expect_eq "message box caption" "$(esc "$caption")" "$(out_value caption)"
    expect_eq "message box text" "$(esc "$text")" "$(out_value text)"
    expect_eq "message box buttons" "$*" "$(out_value button | tr -d '&' | tr '\n' ' ' | sed 's/ $//')"
    expect_eq "message box icon" 1 "$(out_value icon)"
}

# ---- what the installer left behind --------------------------------------------------------

# Every file of C: with size and time, and every directory by name, taken before the installer
# starts. Directory times are left out: Wine itself creates and removes scratch files.
snapshot_files() {
    (cd "$(drive_c)" && find . \( -type d -printf '%p/\n' \) -o -printf '%p %s %T@\n' | sort)
}

snapshot_take() { snapshot_files > "$RUN_DIR/before.files"; }

# Nothing on C: changed, and the registry holds no key of the vendor (both registry views).
expect_nothing_written() {
    local vendor=$1
    prefix_stop "$PREFIX"
    snapshot_files > "$RUN_DIR/after.files"
    if ! diff "$RUN_DIR/before.files" "$RUN_DIR/after.files" > "$RUN_DIR/files.diff"; then
        die "files changed on C: ($(head -c 2000 "$RUN_DIR/files.diff"))"
    fi
    local hits
    hits=$(registry_keys "$vendor")
    [[ -z $hits ]] || die "registry keys written: $hits"
    log "nothing written"
}

# Registry keys of the vendor: its own key or its uninstall entry, in either registry view.
registry_keys() {
    local vendor=$1
    awk -v v="$(printf '%s' "$vendor" | tr '[:upper:]' '[:lower:]')" '
        /^\[/ {
            key = tolower($0)
            if (index(key, "[software\\\\" v "]") == 1 || index(key, "[software\\\\" v "\\\\") == 1 ||
                index(key, "[software\\\\wow6432node\\\\" v "]") == 1 ||
                index(key, "[software\\\\wow6432node\\\\" v "\\\\") == 1 ||
                index(key, "uninstall\\\\" v " data acquisition") > 0)
                print $0
        }' "$PREFIX/system.reg" "$PREFIX/user.reg"
}

# ---- the packed sample and its broken copies -------------------------------------------------

# Path of a prepared installer: sample, bare, load-error-01 ... (see craft.py).
installer() {
    local file="$STOW_WINE_WORK/packages/$1.exe"
    [[ -f $file ]] || die "no prepared installer $1 (did the packages step run?)"
    printf '%s' "$file"
}

# A header field of the sample package: vendor, package, records.
package_info() {
    sed -n "s/^$1=//p" "$STOW_WINE_WORK/packages/sample.info"
}

# The sample's vendor and package and its default target and drivers directories, set in the
# caller's variables of those names (declare them local first).
sample_dirs() {
    vendor=$(package_info vendor)
    package=$(package_info package)
    target="$(program_files)\\$vendor\\$package"
    drivers="$(program_files)\\$vendor\\Common Drivers"
}

# The program files folder that the installer sees in this profile (a 32-bit one on 64-bit
# Windows gets the x86 folder; the x64 build is a native program).
program_files() {
    case $PROFILE in
        win64) printf 'C:\\Program Files (x86)' ;;
        *) printf 'C:\\Program Files' ;;
    esac
}

# ---- checks shared by the scenarios ---------------------------------------------------------

# Waits until a dump of the window has a line with all the fragments (the target may still be
# busy with the input that changes it).
wait_dump_line() {
    local title=$1 seconds=$2
    shift 2
    local i
    for ((i = 0; i < seconds * 5; i++)); do
        if driver dump "$title" 5 && (expect_line "dump" "$@") 2> /dev/null; then return 0; fi
        sleep 0.2
    done
    expect_line "$title after ${seconds}s" "$@"
}

# The installer shows the load error's box (exact caption and text, one OK button, the
# exclamation icon), ends once it is dismissed, and has written nothing.
expect_load_error() {
    local name=$1 code=$2 text=$3
    shift 3
    start_installer "$(installer "$name")" "$@"
    expect_msgbox "Load Error $code" "$text" OK
    screenshot
    drive msgbox-press OK 30
    wait_installer_exit 30
    expect_eq "exit status after a load error" "3" "$INSTALLER_STATUS"
    expect_nothing_written "$(package_info vendor)"
}

# Closes the main window without installing: the program ends with 4 and has written nothing.
close_without_installing() {
    drive close "$TITLE" 30
    wait_installer_exit 30
    expect_eq "exit status when closed without installing" "4" "$INSTALLER_STATUS"
    expect_nothing_written "$(package_info vendor)"
}

# ---- installations: locations, files, links and registry as the installer leaves them -------

# The install locations the installer computes in this profile, each ending in "\", and its
# platform facts: NT (1 on the NT platform) and BITS (64 only for a 32-bit process on 64-bit
# Windows; the x64 build is a native process, so it sees a 32-bit NT system).
profile_locations() {
    LOC_WINDOWS='C:\windows\'
    LOC_SYSTEM='C:\windows\system32\'
    LOC_DLL=$LOC_SYSTEM
    LOC_DRIVER="${LOC_SYSTEM}Drivers\\"
    LOC_PROGRAMS='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\'
    NT=1
    BITS=32
    case $PROFILE in
        win32 | x64) ;;
        win64)
            BITS=64
            LOC_DLL='C:\windows\syswow64\'
            ;;
        win98)
            NT=0
            LOC_DRIVER=$LOC_SYSTEM
            LOC_PROGRAMS="C:\\users\\$(id -un)\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\"
            ;;
        *) die "unknown profile $PROFILE" ;;
    esac
}

# The host path of a C: path, matching each component without regard to case as Windows does
# (components that do not exist are kept as written).
host_path() {
    local win=$1
    [[ $win == [Cc]:\\* ]] || die "not a path on C: $win"
    local path part found
    path=$(drive_c)
    local parts
    IFS='\' read -r -a parts <<< "${win:3}"
    for part in "${parts[@]}"; do
        [[ -z $part ]] && continue
        found=$part
        if [[ ! -e $path/$part ]]; then
            found=$(find "$path" -mindepth 1 -maxdepth 1 -iname "$part" -printf '%f\n' 2> /dev/null | head -n1)
            [[ -n $found ]] || found=$part
        fi
        path=$path/$found
    done
    printf '%s' "$path"
}

# The file at a C: path holds exactly the bytes of a host file.
expect_file() {
    local win=$1 source=$2 host
    host=$(host_path "$win")
    [[ -f $host ]] || die "missing file $win"
    cmp -s "$host" "$source" || die "$win differs from $source"
}

expect_no_file() {
    local host
    host=$(host_path "$1")
    [[ ! -e $host ]] || die "unexpected $1"
}

# The files below a C: directory, relative, "/"-separated, lower-cased and sorted: exactly the
# expected ones (given one per argument, any case).
expect_tree() {
    local win=$1 host actual expected
    shift
    host=$(host_path "$win")
    [[ -d $host ]] || die "missing directory $win"
    actual=$(cd "$host" && find . -type f -printf '%P\n' | tr '[:upper:]' '[:lower:]' | LC_ALL=C sort)
    expected=$(printf '%s\n' "$@" | tr '\\' '/' | tr '[:upper:]' '[:lower:]' | LC_ALL=C sort)
    [[ $actual == "$expected" ]] ||
        die "files under $win: expected [$(echo $expected)], got [$(echo $actual)]"
}

# `reg query` in the view the installer writes: the i686 profiles run the 32-bit reg.exe, x64
# runs wine64's. Fails when the key does not exist; the output is in REG_OUT.
REG_OUT=""
reg_query() {
    REG_OUT="$RUN_DIR/reg.out"
    local status=0
    run_wine reg query "$@" < /dev/null > "$REG_OUT" 2> "$RUN_DIR/reg.err" || status=$?
    { printf '== reg query %s (status %d)\n' "$*" "$status"; cat "$REG_OUT"; } >> "$RESULT_BASE.txt"
    return "$status"
}

# The string values of the key last queried (without /s), as lines NAME<TAB>DATA.
reg_values() {
    sed -n 's/\r$//; s/^    \(.*\)    REG_SZ    \(.*\)$/\1\t\2/p; s/^    \(.*\)    REG_SZ$/\1\t/p' "$REG_OUT"
}

expect_no_reg_key() {
    if reg_query "$1"; then die "registry key $1 exists"; fi
}

# The vendor's INF key records exactly one preinstalled INF: named by its path in the drivers
# directory, its data the bare name the setup service gave the copy in the system's INF folder,
# which holds the given bytes.
expect_inf_key() {
    local vendor=$1 inf=$2 source=$3 values name
    reg_query "HKLM\\Software\\$vendor\\INF" || die "no INF key"
    values=$(reg_values)
    expect_eq "INF values" "1" "$(grep -c . <<< "$values")"
    expect_eq "INF value name" "$inf" "$(cut -f1 <<< "$values")"
    name=$(cut -f2 <<< "$values")
    [[ -n $name && $name != *\\* ]] || die "INF value data is not a bare name: $name"
    expect_file "${LOC_WINDOWS}inf\\$name" "$source"
}

# The registry file that holds the installer's HKLM\Software keys, and the key's prefix there:
# a 32-bit process on 64-bit Windows writes the 32-bit view (Wow6432Node).
expect_registry_view() {
    local vendor=$1 own="[Software\\\\$vendor\\\\" other="[Software\\\\Wow6432Node\\\\$vendor\\\\"
    prefix_stop "$PREFIX"
    if [[ $PROFILE == win64 ]]; then
        own=$other
        other="[Software\\\\$vendor\\\\"
    fi
    grep -qiF -- "$own" "$PREFIX/system.reg" || die "no $own key in the registry file"
    if grep -qiF -- "$other" "$PREFIX/system.reg"; then die "a $other key was written"; fi
}

# The package name of a prepared or crafted installer.
installer_package() {
    "$STOW_STOWPACK" inspect "$1" --json |
        python3 -c 'import json, sys; print(json.load(sys.stdin)["packageName"])'
}

# Starts an installer with the given arguments and waits for its main window, titled TITLE.
start_window() {
    TITLE="$(installer_package "$1") Installer"
    start_installer "$@"
    drive wait-window "$TITLE" 60
}

# Starts an installer, presses Install and waits for the end state (Finish shown). TITLE is the
# window's title; INSTALL_DATES the local dates (yyyymmdd) just before and after.
install_to_end() {
    start_window "$@"
    INSTALL_DATES=$(date +%Y%m%d)
    # The button's text is fixed, whatever the package's vendor.
    drive click "$TITLE" "Install ZYLOR Software"
    wait_finish
    INSTALL_DATES="$INSTALL_DATES $(date +%Y%m%d)"
}

# Waits until the installer shows Finish and leaves the end state in the last dump. A dump reads
# one control after the other while the installer runs on: the dump that first shows Finish may
# hold a heading read before the completion report replaced it. Once Finish shows nothing
# changes any more, so the next dump is the end state.
wait_finish() {
    wait_dump_line "$TITLE" 60 'text="Finish"' "visible=1" "enabled=1"
    drive dump "$TITLE" 5
}

# The end state of the last dump: the heading shows exactly the given report, Finish is shown,
# the Install button, the directories and the progress bar are gone.
expect_end_state() {
    local report=$1
    # The exit code Finish will give: 2 after the error report, 1 with failed copies, else 0.
    EXPECTED_EXIT=0
    [[ $report == *"failed to copy"* ]] && EXPECTED_EXIT=1
    [[ $report == "$REPORT_ERROR"* ]] && EXPECTED_EXIT=2
    expect_line "heading" "class=\"Static\"" "text=\"$(esc "$report")\"" "visible=1"
    expect_line "finish button" 'text="Finish"' "visible=1" "enabled=1"
    expect_line "install button" 'class="Button" text="Install ' "visible=0" "enabled=0"
    local line
    while IFS= read -r line; do
        case $line in
            *'text="&Change..."'* | *'class="StowawayPanel" text="C:'* | *'text="And drivers'*)
                [[ $line == *visible=0* ]] || die "still shown in the end state: $line" ;;
        esac
        case $line in
            child*) [[ $line == *'class="Static"'* || $line == *'class="Button"'* ||
                $line == *'class="StowawayPanel"'* ]] || die "a control remains: $line" ;;
        esac
    done < "$DRIVER_OUT"
}

readonly REPORT_COMPLETE=$'Installation complete!\r\nSamples and docs are linked from the Start menu.'
readonly REPORT_ERROR=$'An unexpected error occurred. Details are as follows:\r\n'

# The completion report with failed copies: the folder they went to, then each destination.
report_failed() {
    local folder=$1
    shift
    local text="$REPORT_COMPLETE"$'\r\n'"These files failed to copy, and were placed in $folder:" path
    for path in "$@"; do text+=$'\r\n'"$path"; done
    printf '%s' "$text"
}

# The window's height: locked (a resize keeps it) or, with failed copies, free to grow but not
# to shrink below the start height.
expect_height() {
    local mode=$1 width height
    drive rect "$TITLE"
    width=$(sed -n 's/.* size=\([0-9]*\)x[0-9]*.*/\1/p' "$DRIVER_OUT" | head -n1)
    height=$(sed -n 's/.* size=[0-9]*x\([0-9]*\).*/\1/p' "$DRIVER_OUT" | head -n1)
    drive resize "$TITLE" "$((width + 40))" "$((height + 120))"
    case $mode in
        locked) expect_line "height after growing" "size=$((width + 40))x$height" ;;
        free) expect_line "height after growing" "size=$((width + 40))x$((height + 120))" ;;
    esac
    drive resize "$TITLE" "$width" "$((height - 40))"
    expect_line "height after shrinking" "size=${width}x$height"
}

# Presses Finish; the installer ends with the code for the end state last checked (or given).
EXPECTED_EXIT=0
finish_installer() {
    drive click "$TITLE" Finish
    wait_installer_exit 30
    expect_eq "exit status" "${1:-$EXPECTED_EXIT}" "$INSTALLER_STATUS"
}

# A DOS date and time (as packed) for a local date-time "YYYY-MM-DD hh:mm:ss", as the file log
# writes it: a signed decimal number.
dos_time() {
    local y m d hh mm ss
    IFS='-: ' read -r y m d hh mm ss <<< "$1"
    local v=$(( ((10#$y - 1980) << 25) | (10#$m << 21) | (10#$d << 16) | (10#$hh << 11) | (10#$mm << 5) | (10#$ss / 2) ))
    ((v >= 2 ** 31)) && v=$((v - 2 ** 32))
    printf '%d' "$v"
}

# Packs the files a scenario wrote into a folder with the stub under test; prints the
# installer's path. Arguments: DIR OUT VENDOR PACKAGE, then one "PLACEMENT|PATH|SOURCE[|KEY]"
# per record (PLACEMENT "driver" for a driver copy; PATH and KEY with single backslashes).
craft_package() {
    local dir=$1 out=$2 entry placement path source key
    {
        printf 'vendor = "%s"\npackage = "%s"\ntime = 2024-03-01T10:00:00\n' "$3" "$4"
        for entry in "${@:5}"; do
            IFS='|' read -r placement path source key <<< "$entry"
            if [[ $placement == driver ]]; then
                printf '[[file]]\nplacement = 0\ndriver_copy = true\n'
            else
                printf '[[file]]\nplacement = %s\n' "$placement"
            fi
            printf 'path = "%s"\nsource = "%s"\n' "${path//\\/\\\\}" "$source"
            [[ -z $key ]] || printf 'key = "%s"\n' "${key//\\/\\\\}"
        done
    } > "$dir/manifest.toml"
    (cd "$dir" && "$STOW_STOWPACK" build manifest.toml -o "$out" --stub "$STOW_STUB") \
        >> "$RUN_DIR/stowpack.log" 2>&1 || die "stowpack build failed: $(cat "$RUN_DIR/stowpack.log")"
    printf '%s' "$out"
}

# Signs an installer with a throwaway certificate made in the run folder and checks that the
# signature verifies.
sign_installer() {
    local unsigned=$1 signed=$2 sign="$RUN_DIR/signing"
    command -v openssl > /dev/null || die "openssl is not installed"
    command -v osslsigncode > /dev/null || die "osslsigncode is not installed"
    mkdir -p "$sign"
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj '/CN=Stowaway Test Signing' \
        -keyout "$sign/key.pem" -out "$sign/cert.pem" < /dev/null > "$sign/openssl.log" 2>&1 ||
        die "openssl could not make a certificate: $(tail -n 5 "$sign/openssl.log")"
    osslsigncode sign -certs "$sign/cert.pem" -key "$sign/key.pem" -n "$(basename "$signed" .exe)" \
        -h sha256 -in "$unsigned" -out "$signed" < /dev/null > "$sign/sign.log" 2>&1 ||
        die "osslsigncode sign failed: $(tail -n 5 "$sign/sign.log")"
    osslsigncode verify -CAfile "$sign/cert.pem" -in "$signed" < /dev/null > "$sign/verify.log" 2>&1 ||
        die "the signature does not verify: $(tail -n 5 "$sign/verify.log")"
    grep -q '^Signature verification: ok' "$sign/verify.log" || die "verify did not say ok"
    cat "$sign/verify.log" >> "$RESULT_BASE.txt"
}

# A copy of an installer whose record of the given path has the placement byte 06h, which no
# code is (the packer refuses unknown codes, so the byte is changed afterwards); prints its path.
craft_bad_code() {
    local source=$1 path=$2 out="$RUN_DIR/bad-code.exe"
    "$STOW_STOWPACK" inspect "$source" --json | python3 -c '
import json, sys
found = [r for r in json.load(sys.stdin)["records"] if r["path"] == sys.argv[3]]
data = bytearray(open(sys.argv[1], "rb").read())
data[found[0]["placementByteOffset"]] = 0x06
open(sys.argv[2], "wb").write(data)' "$source" "$out" "$path" || die "could not patch the placement byte"
    printf '%s' "$out"
}

# The Start-menu group holds exactly the given links (one "LINK|TARGET" per argument, LINK
# relative to the group, without ".lnk"), each read back through the shell: its target, and
# the target's folder with "\" as its working directory.
expect_links() {
    local group=$1
    shift
    local entry names=() files=()
    for entry in "$@"; do
        names+=("${entry%%|*}.lnk")
        files+=("$group\\${entry%%|*}.lnk")
    done
    expect_tree "$group" "${names[@]}"
    drive link "${files[@]}"
    local target
    for entry in "$@"; do
        target=${entry#*|}
        expect_line "link ${entry%%|*}" "link=\"$(esc "$group\\${entry%%|*}.lnk")\"" \
            "path=\"$(esc "$target")\"" "workdir=\"$(esc "${target%\\*}\\")\""
    done
}

#!/usr/bin/env bash
# Runs the installer's end-to-end tests under Wine: builds the prefix templates, packs the
# sample and its broken copies, and runs one scenario (or driver self-test) in a fresh copy of
# a template on its own X server. ctest calls each step; see tests/wine/README.md.
set -uo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=lib.sh
source "$HERE/lib.sh"

usage() {
    cat >&2 << 'USAGE'
usage: harness.sh [--config FILE] templates [PROFILE...]
       harness.sh [--config FILE] packages
       harness.sh [--config FILE] run scenario|selftest PROFILE NAME
       harness.sh [--config FILE] show [INSTALLER]
The config file (written by the win32 build as tests/wine/wine-config.sh) names the driver,
the stub, the packer and the work and result folders; variables already set win over it.
USAGE
    exit 2
}

if [[ ${1:-} == --config ]]; then
    [[ -f ${2:-} ]] || die "no config file ${2:-}"
    # shellcheck disable=SC1090
    source "$2"
    shift 2
fi

require_config() {
    local name
    for name in "$@"; do
        [[ -n ${!name:-} ]] || die "$name is not set (pass --config FILE)"
    done
}

# ---- templates: one prefix per profile, made once per test run -----------------------------

cmd_templates() {
    require_config STOW_WINE_WORK
    local profiles=("$@")
    ((${#profiles[@]})) || read -r -a profiles <<< "${STOW_WINE_PROFILES:-win32 win64 win98}"
    ((${#profiles[@]})) || die "no Wine profile to make a template for"
    local root="$STOW_WINE_WORK/templates"
    local stamp="$root/stamp" want
    want="$("$STOW_WINE64" --version 2> /dev/null || wine --version) desktop=${STOW_WINE_DESKTOP:-1} $(cat "$HERE/lib.sh" | md5sum | cut -c1-12)"
    if [[ ${STOW_WINE_KEEP_TEMPLATES:-0} == 1 && -f $stamp && $(cat "$stamp") == "$want" ]]; then
        local missing=0 p
        for p in "${profiles[@]}"; do [[ -d $root/$p ]] || missing=1; done
        if ((!missing)); then
            log "reusing the prefix templates in $root"
            return 0
        fi
    fi
    rm -rf "$root"
    mkdir -p "$root"
    local scratch="$STOW_WINE_WORK/templates.run"
    rm -rf "$scratch"
    mkdir -p "$scratch"
    xvfb_start "$scratch"
    trap 'xvfb_stop' EXIT

    # The architectures boot side by side (name, WINEARCH, loader); the Windows 98 one is the
    # 32-bit one, told so; x64 is a win64 prefix booted by 64-bit Wine alone.
    local boot=() p pids=() name arch loader
    for p in "${profiles[@]}"; do
        case $p in
            win32 | win98) boot+=("win32 win32 wine") ;;
            win64) boot+=("win64 win64 wine") ;;
            x64) boot+=("x64 win64 $STOW_WINE64") ;;
            *) die "unknown profile $p" ;;
        esac
    done
    while read -r name arch loader; do
        (prefix_create "$arch" "$scratch/$name" "$scratch/$name.log" "$loader") &
        pids+=($!)
    done < <(printf '%s\n' "${boot[@]}" | sort -u)
    local pid failed=0
    for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
    ((failed)) && die "a prefix could not be made (logs in $scratch)"
    if [[ " ${profiles[*]} " == *" win98 "* ]]; then
        cp -a "$scratch/win32" "$scratch/win98"
        prefix_set_win98 "$scratch/win98" "$scratch/win98.log"
    fi
    for p in "${profiles[@]}"; do
        rm -rf "${root:?}/$p"
        mv "$scratch/$p" "$root/$p"
    done
    xvfb_stop
    printf '%s' "$want" > "$stamp"
    log "prefix templates ready in $root: ${profiles[*]}"
}

# ---- packages: the packed sample and the broken copies --------------------------------------

cmd_packages() {
    require_config STOW_WINE_WORK STOW_STUB STOW_STOWPACK STOW_SAMPLE_DIR
    [[ -f $STOW_STUB ]] || die "no stub at $STOW_STUB (build the win32 tree)"
    [[ -x $STOW_STOWPACK ]] || die "no packer at $STOW_STOWPACK (build the host tree first)"
    local manifest
    manifest=$(sample_manifest) || die "no manifest (*.toml) in $STOW_SAMPLE_DIR"
    local out="$STOW_WINE_WORK/packages"
    rm -rf "$out"
    mkdir -p "$out"
    log "pack $manifest"
    (cd "$(dirname "$manifest")" &&
        "$STOW_STOWPACK" build "$manifest" -o "$out/packed.exe" --stub "$STOW_STUB") \
        > "$out/stowpack.log" 2>&1 || die "stowpack build failed: $(cat "$out/stowpack.log")"
    "$STOW_STOWPACK" inspect "$out/packed.exe" --json > "$out/sample.json" &&
        python3 "$HERE/craft.py" "$out/packed.exe" "$out/sample.json" "$STOW_STUB" "$out" ||
        die "could not prepare the test installers"
    rm -f "$out/packed.exe"
    log "installers ready in $out: $(cd "$out" && echo *.exe)"
    sed 's/^/  /' "$out/sample.info" >&2
}

# The sample's manifest: manifest.toml, or else the one .toml file of the folder.
sample_manifest() {
    if [[ -f $STOW_SAMPLE_DIR/manifest.toml ]]; then
        printf '%s' "$STOW_SAMPLE_DIR/manifest.toml"
        return 0
    fi
    local found=("$STOW_SAMPLE_DIR"/*.toml)
    [[ ${#found[@]} == 1 && -f ${found[0]} ]] || return 1
    printf '%s' "${found[0]}"
}

# ---- run: one scenario in a fresh prefix on its own X server ---------------------------------

# A scenario that cannot run here (a mount refused, say) ends with this status; ctest reports
# it as skipped.
readonly SKIP_STATUS=77
skip_scenario() { log "SKIP: $*"; exit "$SKIP_STATUS"; }

# Commands a scenario adds (RUN_CLEANUP_HOOKS+=(name)) to undo what outlives its prefix, such
# as a mount; they run after every Wine process of the prefix has ended, last added first.
RUN_CLEANUP_HOOKS=()

cleanup_run() {
    local status=$?
    set +e
    if [[ -n ${INSTALLER_PID:-} ]] && kill -0 "$INSTALLER_PID" 2> /dev/null; then
        kill "$INSTALLER_PID" 2> /dev/null
    fi
    prefix_stop "$PREFIX"
    [[ -n ${INSTALLER_PID:-} ]] && wait "$INSTALLER_PID" 2> /dev/null
    local i
    for ((i = ${#RUN_CLEANUP_HOOKS[@]} - 1; i >= 0; i--)); do
        "${RUN_CLEANUP_HOOKS[i]}" || { log "cleanup ${RUN_CLEANUP_HOOKS[i]} failed"; ((status)) || status=1; }
    done
    xvfb_stop
    local stream
    for stream in stdout stderr; do
        if [[ -s $RUN_DIR/installer.$stream ]]; then
            cp "$RUN_DIR/installer.$stream" "$RESULT_BASE.installer-$stream.txt"
        fi
    done
    if ((status == 0 || status == SKIP_STATUS)) || [[ ${STOW_WINE_KEEP:-0} != 1 ]]; then rm -rf "$PREFIX"; fi
    if ((status == 0)); then
        log "PASS $KIND $PROFILE/$NAME"
    elif ((status == SKIP_STATUS)); then
        log "SKIP $KIND $PROFILE/$NAME"
    else
        log "FAIL $KIND $PROFILE/$NAME (results: $RESULT_BASE.*)"
    fi
    exit "$status"
}

# A fresh copy of PROFILE's template in the run folder given first (RUN_DIR, PREFIX); the log and
# results go to the base given second (RESULT_BASE.*); everything is ended when the script exits.
prepare_run() {
    RUN_DIR=$1
    RESULT_BASE=$2
    PREFIX="$RUN_DIR/prefix"
    rm -rf "$RUN_DIR"
    mkdir -p "$RUN_DIR" "$(dirname "$RESULT_BASE")"
    rm -f "$RESULT_BASE".* "$RESULT_BASE"-*
    LOG_FILE="$RESULT_BASE.log"
    trap cleanup_run EXIT
    cp -a "$STOW_WINE_WORK/templates/$PROFILE" "$PREFIX"
    export WINEPREFIX=$PREFIX
    WINE=$(profile_wine "$PROFILE")
}

cmd_run() {
    KIND=${1:-}
    PROFILE=${2:-}
    NAME=${3:-}
    [[ -n $NAME ]] || usage
    local file="$HERE/${KIND}s/$NAME.sh" case=()
    [[ $KIND == scenario || $KIND == selftest ]] || usage
    # NAME-CASE runs one case of a table scenario (its "# cases:" line lists them).
    if [[ ! -f $file && -f $HERE/${KIND}s/${NAME%-*}.sh ]]; then
        file="$HERE/${KIND}s/${NAME%-*}.sh"
        case=("${NAME##*-}")
    fi
    [[ -f $file ]] || die "no $KIND $NAME ($file)"
    require_config STOW_WINE_WORK STOW_WINE_RESULTS STOW_DRIVER
    [[ -d $STOW_WINE_WORK/templates/$PROFILE ]] ||
        die "no prefix template for $PROFILE (run: harness.sh templates)"
    prepare_run "$STOW_WINE_WORK/run/$PROFILE/$NAME" "$STOW_WINE_RESULTS/$PROFILE/$NAME"
    xvfb_start "$RUN_DIR"
    log "$KIND $PROFILE/$NAME on display $DISPLAY"
    # shellcheck disable=SC1090
    source "$file"
    scenario "${case[@]}"
}

# ---- show: one installer for a person to look at ---------------------------------------------

# Runs an installer (the packed sample unless named) in a fresh prefix of the build's first
# profile (win32 in the i686 tree, x64 in the x86_64 one), on $DISPLAY when
# there is one and else on its own X server, and saves the ready window's screenshot and text.
# With a display and a terminal it then waits until the user closes the installer.
cmd_show() {
    require_config STOW_WINE_WORK STOW_WINE_RESULTS STOW_DRIVER
    local source=${1:-$STOW_WINE_WORK/packages/sample.exe}
    [[ -f $source ]] || die "no installer at $source (run: harness.sh packages)"
    local package
    package=$(installer_package "$source") || die "$source carries no readable package"
    local profile=${STOW_WINE_PROFILES:-win32}
    profile=${profile%% *}
    [[ -n $profile ]] || die "no Wine profile runs on this machine"
    (STOW_WINE_KEEP_TEMPLATES=1 cmd_templates "$profile") || exit 1

    KIND=show PROFILE=$profile NAME=sample
    prepare_run "$STOW_WINE_WORK/show" "$STOW_WINE_RESULTS/sample/ready"

    local interactive=0
    if [[ -n ${DISPLAY:-} ]]; then
        [[ -t 0 ]] && interactive=1
        STOW_WINE_APP_TIMEOUT=0  # the user decides when it ends
    else
        xvfb_start "$RUN_DIR"
    fi
    start_installer "$source"
    local title="$package Installer"
    if ! driver wait-window "$title" 60; then
        # A load error shows a message box instead: keep its picture and text too.
        drive msgbox-read 5
        screenshot
        die "the installer shows a message box instead of its window: $(cat "$DRIVER_OUT")"
    fi
    drive dump "$title"
    screenshot
    if ((interactive)); then
        log "the installer is running on $DISPLAY; close its window to finish"
        wait_installer_exit 86400
    else
        drive close "$title" 30
        wait_installer_exit 30
    fi
}

case ${1:-} in
    templates) shift; cmd_templates "$@" ;;
    packages) shift; cmd_packages "$@" ;;
    run) shift; cmd_run "$@" ;;
    show) shift; cmd_show "$@" ;;
    *) usage ;;
esac

#!/usr/bin/env bash
# Installs what building and testing Stowaway needs on Debian 12: the host compiler and test
# libraries, the MinGW-w64 cross compiler, and Wine with an X server for the end-to-end tests.
# Run as root. Does nothing when everything is there already, so it is cheap to repeat.
set -euo pipefail

packages=(
    build-essential cmake python3
    googletest libgtest-dev libgmock-dev libcli11-dev libtomlplusplus-dev
    mingw-w64 g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32
    wine wine32:i386 wine64
    xvfb imagemagick x11-utils
    clang libclang-rt-14-dev osslsigncode
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2> /dev/null || true)
    [[ $status == "install ok installed" ]] || missing+=("$package")
done

if ((${#missing[@]})); then
    if [[ $(id -u) != 0 ]]; then
        echo "setup: missing packages: ${missing[*]}; run this script as root (sudo)" >&2
        exit 1
    fi
    echo "setup: installing ${missing[*]}"
    log=$(mktemp /tmp/stowaway-setup.XXXXXX.log)
    export DEBIAN_FRONTEND=noninteractive
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    # A mirror in the middle of a sync fails an index now and then; retry, then go on with the
    # indexes that did arrive and let the install itself decide.
    for attempt in 1 2 3; do
        apt-get update -qq >> "$log" 2>&1 && break
        sleep $((attempt * 5))
    done
    # When one architecture's security index is missing, i386 and amd64 libraries cannot agree
    # on a version; taking both from the main archive makes them agree again.
    prefer_main=$(mktemp /tmp/stowaway-apt-prefs.XXXXXX)
    printf 'Package: *\nPin: release l=Debian-Security\nPin-Priority: 100\n' > "$prefer_main"
    if ! apt-get install -y -qq "${missing[@]}" >> "$log" 2>&1 &&
        ! apt-get install -y -qq -o Dir::Etc::Preferences="$prefer_main" "${missing[@]}" >> "$log" 2>&1; then
        rm -f "$prefer_main"
        tail -n 40 "$log" >&2
        echo "setup: package installation failed (full log: $log)" >&2
        exit 1
    fi
    rm -f "$log" "$prefer_main"
fi

echo "setup: build and test tools are installed"

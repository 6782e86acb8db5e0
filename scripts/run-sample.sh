#!/usr/bin/env bash
# Builds the installer stub and the packer, packs the sample package (examples/sample) into an
# installer and starts it under Wine: on $DISPLAY if there is one, else on a private Xvfb. Saves
# a screenshot of its window and tells where it is. Run as root on Debian 12 (installs packages).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)
jobs=$(nproc)
mkdir -p build/logs

# Runs a build step quietly; its log is shown only when it fails.
step() {
    local name=$1
    shift
    local log="$root/build/logs/$name.log"
    echo "== $name"
    if ! "$@" > "$log" 2>&1; then
        tail -n 60 "$log"
        echo "run-sample: $name failed (log: $log)" >&2
        exit 1
    fi
}

bash scripts/setup.sh
step host-configure cmake --preset host
step host-build cmake --build --preset host --target stowpack -j "$jobs"
step win32-configure cmake --preset win32
step win32-build cmake --build --preset win32 -j "$jobs"

# 32-bit Wine is itself a 32-bit Linux program; where the kernel cannot run those, the sample is
# packed with the x86_64 build of the stub and shown under 64-bit Wine instead.
tree=build/win32
if ! /usr/lib/wine/wine --version > /dev/null 2>&1; then
    echo "run-sample: 32-bit programs cannot run here; showing the x86_64 build under 64-bit Wine"
    step win64-configure cmake --preset win64
    step win64-build cmake --build --preset win64 -j "$jobs"
    tree=build/win64
fi

config=$tree/tests/wine/wine-config.sh
bash tests/wine/harness.sh --config "$config" packages
installer="$root/$tree/DAQSuiteSetup.exe"
cp "$tree/wine-work/packages/sample.exe" "$installer"
bash tests/wine/harness.sh --config "$config" show "$installer"

results="$root/$tree/wine-results/sample"
echo
echo "Installer:        $installer ($(stat -c %s "$installer") bytes; stub $(stat -c %s $tree/stowaway.exe) bytes)"
echo "Screenshot:       $results/ready.png"
echo "Window text dump: $results/ready.txt"
echo "Log:              $results/ready.log"

#!/bin/sh
# Runs backend_probe.exe under Wine in a given prefix and fails unless every check passed.
# Usage: run_backend_probe.sh <backend_probe.exe> <wine prefix> <32|64> [platform id]
# The prefix must exist (wineboot -i); its C:\stowaway-probe is wiped before and after the run.
set -u
exe=$1 prefix=$2 bits=$3 platform_id=${4:-2}
[ -f "$exe" ] || { echo "no probe at $exe"; exit 2; }
[ -d "$prefix/drive_c" ] || { echo "no Wine prefix at $prefix"; exit 2; }

export WINEPREFIX="$prefix" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
work="$prefix/drive_c/stowaway-probe"
results=$(mktemp)
rm -rf "$work"

# Wine helpers may inherit our standard handles: send the output to a file, never a pipe.
wine "$exe" 'Z:'"$(echo "$results" | tr / '\\')" "$bits" "$platform_id" >"$results.log" 2>&1
rc=$?
wineserver -w

cat "$results"
status=0
grep -q '^done 0$' "$results" || status=1
[ "$rc" -eq 0 ] || status=1
rm -rf "$work" "$results" "$results.log"
wineserver -k 2>/dev/null
exit $status

#!/bin/bash
# stowpack.exe under Wine against the Linux stowpack on the sample package: the same installer
# bytes (also with file times taken from the sources), the same inspect and plan output, and the
# same refusals and exit codes.
# Usage: stowpack_wine.sh WINE64 STOWPACK_EXE STOWPACK_LINUX SAMPLE_DIR STUB WORK_DIR
set -u
wine=$1 exe=$2 linux=$3 sample=$4 stub=$5 work=$6

[[ -x $linux ]] || { echo "no Linux stowpack at $linux (build the host tree first)"; exit 77; }
rm -rf "$work" && mkdir -p "$work" || exit 1
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cd "$work" || exit 1
# The uninstaller the build packs by default lies beside the stub, in the build tree as here.
cp -r "$sample" sample && cp "$stub" stub.exe && cp "$(dirname "$stub")/stowuninstall.exe" . || exit 1
# The same package with every file's time taken from its source.
grep -v '^time = ' sample/manifest.toml > sample/untimed.toml

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Runs one stowpack command with both builds; their status, stdout and stderr must agree.
both() {
    local name=$1
    shift
    "$wine" "$exe" "$@" > "$name.win.out" 2> "$name.win.err"
    local win_rc=$?
    "$linux" "$@" > "$name.linux.out" 2> "$name.linux.err"
    local linux_rc=$?
    [[ $win_rc == "$linux_rc" ]] || fail "$name: exit $win_rc under Wine, $linux_rc on Linux"
    cmp -s "$name.win.out" "$name.linux.out" || fail "$name: stdout differs: $(diff "$name.win.out" "$name.linux.out" | head -5)"
    cmp -s "$name.win.err" "$name.linux.err" || fail "$name: stderr differs: $(diff "$name.win.err" "$name.linux.err" | head -5)"
    echo "$name: exit $win_rc on both"
    return "$win_rc"
}

"$wine" "$exe" --version > /dev/null 2>&1 || { echo "Wine cannot run $exe"; exit 1; }
for manifest in manifest untimed; do
    "$wine" "$exe" build "sample/$manifest.toml" -o "$manifest.win.exe" --stub stub.exe > /dev/null ||
        fail "build $manifest under Wine"
    "$linux" build "sample/$manifest.toml" -o "$manifest.linux.exe" --stub stub.exe > /dev/null ||
        fail "build $manifest on Linux"
    cmp "$manifest.win.exe" "$manifest.linux.exe" || fail "$manifest: the installers differ"
done
cp manifest.linux.exe sample.exe
both version --version
both inspect inspect sample.exe
both inspect-json inspect sample.exe --json
both plan plan sample.exe --profile all
both plan-json plan sample.exe --profile all --json
both refuse-stub build sample/manifest.toml -o stub.exe --stub stub.exe
[[ $? == 1 ]] || fail "an output that is the stub is not refused"
cmp -s stub.exe "$stub" || fail "the stub was changed"
both usage plan sample.exe --profile nt128
[[ $? == 2 ]] || fail "a bad profile is not a usage error"
ls -a | grep -q '\.tmp$' && fail "a temporary file was left behind"
echo "$failures failures"
((failures == 0))

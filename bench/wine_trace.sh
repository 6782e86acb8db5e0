#!/usr/bin/env bash
# Where the time per record goes under Wine: the real installer places N and then 2N files of
# 4 KiB, once under strace (system calls of the Wine process, all threads) and once with Wine's
# server trace (round trips to wineserver); the difference of the two runs divided by N is the
# cost of one record, without the start-up and the window. The plain Win32 loop of the
# benchmark is traced the same way, as the floor any program pays. Not a test: it prints counts.
#
#   bench/wine_trace.sh [N]       (default 2000; needs what wine_bench.sh needs, and strace)
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# shellcheck source=wine_lib.sh
source "$root/bench/wine_lib.sh"

n=${1:-2000}
command -v strace > /dev/null || die "strace is needed"
warm_prefix

# strace -c's table as "name calls" lines.
syscall_counts() {
    awk '/^-+ / { table = !table; next } table && NF >= 5 { print $NF, $4 }' "$1"
}

# Wine's server trace (written by wineserver for every process) as "request count" lines: the
# requests of the main thread of the Windows process whose Unix pid is given.
server_counts() {
    local tid
    tid=$(sed -n "s/^\([0-9a-f]*\): init_first_thread( unix_pid=$2,.*/\1/p" "$1" | head -n1)
    [[ -n $tid ]] || die "no thread of process $2 in the server trace"
    sed -n "s/^$tid: \([a-z_0-9]*\)( .*/\1/p; s/^$tid: \([a-z_0-9]*\)()\$/\1/p" "$1" |
        sort | uniq -c | awk '{ print $2, $1 }'
}

# Runs the rest of the command line with a fresh wineserver that traces every request into
# $work/server.log, then ends that server again.
with_server_trace() {
    prefix_stop "$prefix"
    wineserver -f -d1 -p5 < /dev/null > /dev/null 2> "$work/server.log" &
    sleep 1
    "$@"
    prefix_stop "$prefix"
    warm_prefix
}

# Per-record difference of two "name count" lists, largest first, as "name per-record".
per_record() {
    awk -v n="$n" 'FNR == NR { a[$1] = $2; next } { b[$1] = $2 }
        END { for (k in b) { d = (b[k] - a[k]) / n; if (d >= 0.1 || d <= -0.1) printf "%-28s %6.2f\n", k, d; total += d }
              printf "%-28s %6.2f\n", "(all)", total }' "$1" "$2" | sort -k2 -g -r
}

# Traces one installation of a package of COUNT files; leaves the counts in $work/KIND.COUNT.
trace_install() {
    local count=$1 dir=$work/p$1
    file_list "$count" 4096 | make_package "$dir" "Trace $count" || exit 1
    pack "$dir" "t$count"
    INSTALLER_WRAP=(strace -f -c -o "$work/strace.raw")
    run_installer "t$count" "Trace $count"
    INSTALLER_WRAP=()
    check_installation "$count files" "$dir" "Trace $count"
    remove_installation
    syscall_counts "$work/strace.raw" > "$work/sys.$count"
    with_server_trace run_installer "t$count" "Trace $count"
    remove_installation
    server_counts "$work/server.log" "$LAST_PID" > "$work/server.$count"
    rm -rf "$dir" "$c/Downloads/t$count.exe"
}

# The same for the plain loop, at the installer's depth (Wine looks up every folder on the way
# to a new file's name).
loop_dir='C:\Program Files\Bench\Plain Loop'
plain_loop() {
    mkdir -p "$c/Program Files/Bench"
    "$WINE" "$clock" write-files "$loop_dir" "$1" 4096 1000 < /dev/null > /dev/null 2>&1 &
    LAST_PID=$!
    wait "$LAST_PID" || die "the plain loop failed"
    rm -rf "$c/Program Files/Bench/Plain Loop"
}
trace_loop() {
    local count=$1
    # The server trace before this one restarted the prefix: let its services settle first.
    warm_prefix
    sleep 3
    mkdir -p "$c/Program Files/Bench"
    strace -f -c -o "$work/strace.raw" "$WINE" "$clock" write-files "$loop_dir" "$count" 4096 1000 \
        < /dev/null > /dev/null 2>&1 || die "the plain loop failed"
    rm -rf "$c/Program Files/Bench/Plain Loop"
    syscall_counts "$work/strace.raw" > "$work/loopsys.$count"
    with_server_trace plain_loop "$count"
    server_counts "$work/server.log" "$LAST_PID" > "$work/loopserver.$count"
}

echo "Wine trace: $(basename "$tree") stub $(wc -c < "$stub") bytes, profile $profile, $("$WINE" --version)," \
    "per record from $n and $((2 * n)) files of 4 KiB"
for count in "$n" $((2 * n)); do
    trace_install "$count"
    trace_loop "$count"
done
echo
echo "System calls per record (Wine process, every thread): installer | plain loop"
paste <(per_record "$work/sys.$n" "$work/sys.$((2 * n))") \
      <(per_record "$work/loopsys.$n" "$work/loopsys.$((2 * n))")
echo
echo "wineserver requests per record: installer | plain loop"
paste <(per_record "$work/server.$n" "$work/server.$((2 * n))") \
      <(per_record "$work/loopserver.$n" "$work/loopserver.$((2 * n))")

#!/usr/bin/env bash
# The long fuzz runs: every target in turn for a number of executions (default 10 million),
# one process each. New inputs are kept in WORK_DIR/corpus/<target> (so a later run resumes
# where this one stopped) and findings in WORK_DIR/findings; the seeds in the repository stay as
# they are. A summary of each target's final statistics goes to WORK_DIR/summary.txt.
# usage: long_run.sh BUILD_DIR [RUNS] [WORK_DIR]
#   BUILD_DIR: a build configured like the fuzz preset (clang, STOW_FUZZ=ON)
# Speeds differ a lot: the placement target writes real files through the simulated machine
# and manages a few hundred inputs a second, so its 10 million take the better part of a day;
# give it more cores with extra libFuzzer flags, e.g. FUZZ_FLAGS="-fork=4", or run it on its own
# with FUZZ_TARGETS=fuzz_placement beside the others.
set -euo pipefail
build=$1
runs=${2:-10000000}
work=${3:-${TMPDIR:-/tmp}/stow-fuzz-long}
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$work/findings"
: > "$work/summary.txt"
for target in ${FUZZ_TARGETS:-fuzz_loader fuzz_placement fuzz_file_log fuzz_inf_filter fuzz_command_line}; do
    mkdir -p "$work/corpus/$target"
    log=$work/$target.log
    status=0
    ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0} "$build/tests/fuzz/$target" -runs="$runs" \
        -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$work/findings/$target-" ${FUZZ_FLAGS:-} \
        "$work/corpus/$target" "$here/corpus/$target" > "$log" 2>&1 || status=$?
    {
        echo "$target: exit $status"
        grep -E '^#[0-9]+ +DONE|stat::number_of_executed_units|stat::average_exec_per_sec' "$log" || true
    } >> "$work/summary.txt"
done
cat "$work/summary.txt"

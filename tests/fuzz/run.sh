#!/usr/bin/env bash
# Runs one fuzz target for a number of seconds from its seed corpus; new inputs go to a scratch
# folder so the seeds in the repository stay as they are.
# usage: run.sh FUZZER SEED_DIR SECONDS [extra libFuzzer flags]
set -euo pipefail
fuzzer=$1 seeds=$2 seconds=$3
shift 3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0} "$fuzzer" -max_total_time="$seconds" \
    -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 "$@" "$scratch" "$seeds"

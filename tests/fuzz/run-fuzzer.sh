#!/bin/sh
# Runs one fuzz target over its seeds for MIRTEX_FUZZ_SECONDS (default 30).
# New inputs go to a work folder, never into the seeds in the repository;
# a crashing or hanging input is saved there and named on the output.
#   run-fuzzer.sh BINARY FUZZ_DIR NAME WORK_DIR
set -eu
bin=$1 dir=$2 name=$3 work=$4/$3
mkdir -p "$work/corpus" "$work/artifacts"
dict=""
[ -f "$dir/dict/$name.dict" ] && dict="-dict=$dir/dict/$name.dict"
# shellcheck disable=SC2086
exec "$bin" -max_total_time="${MIRTEX_FUZZ_SECONDS:-30}" -timeout=10 -rss_limit_mb=2048 \
  -malloc_limit_mb=1024 -print_final_stats=1 $dict \
  -artifact_prefix="$work/artifacts/" "$work/corpus" "$dir/seeds/$name"

#!/usr/bin/env bash
# Runs one libFuzzer target for a few seconds on a scratch copy of its corpus; any crash fails the test.
set -eu
fuzzer=$1 corpus=$2 seconds=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/new"
cd "$scratch"
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
  "$scratch/new" "$corpus" 2>"$scratch/log" || { tail -60 "$scratch/log"; exit 1; }
grep -E '^#[0-9]+ +DONE' "$scratch/log" || tail -2 "$scratch/log"

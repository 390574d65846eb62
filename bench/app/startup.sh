#!/usr/bin/env bash
# Start-up time of the reader: milliseconds from process start until the main window is first painted,
# without the splash, on the demo publication under a virtual display. Prints each run and the median.
# Usage: bench/app/startup.sh [BUILD_DIR] [RUNS]   (BUILD_DIR defaults to build/release)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath "${1:-$top/build/release}")
runs=${2:-15}
pub=$(mktemp -d)
trap 'rm -rf "$pub"' EXIT
cp -r "$build/demo/." "$pub/"
rm -f "$pub/lumora.ini"
ln -sf "$build/bin/lumora" "$pub/lumora"
results=()
for ((i = 0; i < runs; i++)); do
  ms=$(LUMORA_REPORT_STARTUP=1 LUMORA_SCREENSHOT="$pub/shot.png" xvfb-run -a "$pub/lumora" /NoSplash 2>&1 |
       sed -n 's/.*painted \([0-9]*\) ms.*/\1/p')
  results+=("$ms")
done
echo "runs (ms): ${results[*]}"
printf '%s\n' "${results[@]}" | sort -n | awk '{a[NR]=$1} END {print "median (ms): " a[int((NR+1)/2)]}'

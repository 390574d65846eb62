#!/usr/bin/env bash
# The run command builds every tool the README lists under "Tools", so a fresh clone has them in
# build/release/bin/ as the README says.
set -euo pipefail
top=$1
tools=$(sed -n '/^## Tools/,/^## /p' "$top/README.md" | grep -o '^| `lumora-[a-z]*' | sed 's/^| `//' | sort -u)
[[ -n "$tools" ]] || { echo "no tools found in the README's Tools table" >&2; exit 1; }
targets=$(grep -E '^[^#]*cmake --build build/release .*--target' "$top/scripts/run.sh" | sed 's/.*--target//')
missing=0
for tool in $tools; do
  if ! grep -qw -- "$tool" <<<"$targets"; then
    echo "scripts/run.sh does not build $tool" >&2
    missing=1
  fi
done
exit $missing

#!/usr/bin/env bash
# lumora-skin check: the demo's skins pass; a damaged skin gets one line per problem with its file and line
# and a non-zero exit status; a wrong command line exits with 2.
set -euo pipefail
tool=$1 skins=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
for skin in "$skins"/*/; do
  "$tool" check "$skin" >"$dir/out" || { echo "demo skin $skin fails:"; cat "$dir/out"; exit 1; }
done
mkdir -p "$dir/Broken"
printf '[SKIN]\nVersion=1\n[FORM]\nColor=#12\nColour=#fff\n[TOOLBAR]\nImage=gone.png\n' > "$dir/Broken/Options.dat"
status=0
"$tool" check "$dir/Broken" >"$dir/out" || status=$?
[[ $status -eq 1 ]] || { echo "exit status $status for a damaged skin"; exit 1; }
grep -q "Broken/Options.dat:4: Color: \"#12\" is not a colour" "$dir/out" || { cat "$dir/out"; exit 1; }
grep -q "Broken/Options.dat:5: unknown key \"Colour\" (ignored) \[warning\]" "$dir/out" || { cat "$dir/out"; exit 1; }
grep -q "\[TOOLBAR\] Image gone.png: not found" "$dir/out" || { cat "$dir/out"; exit 1; }
status=0
"$tool" check >/dev/null 2>&1 || status=$?
[[ $status -eq 2 ]] || { echo "exit status $status for a wrong command line"; exit 1; }
echo "lumora-skin check: ok"

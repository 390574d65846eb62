#!/usr/bin/env bash
# Started without a display, the program says so in one line and exits with status 1 instead of Qt's
# abort; a platform that needs no display (offscreen, as the tests use) still starts it.
set -euo pipefail
lumora=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$lumora" "$dir/lumora"
printf '<HTML><HEAD><TITLE>Demo</TITLE></HEAD><BODY><P>Hello</P></BODY></HTML>' > "$dir/index.htm"
bare=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_SESSION_TYPE)

expect_refusal() {  # expected line, then the command
  local expected=$1 rc=0
  shift
  "$@" >"$dir/out" 2>"$dir/err" || rc=$?
  [[ $rc -eq 1 ]] || { echo "exit status $rc, expected 1: $*"; cat "$dir/err"; exit 1; }
  [[ "$(cat "$dir/err")" == "$expected" ]] || { echo "printed: $(cat "$dir/err")"; echo "expected: $expected"; exit 1; }
  [[ ! -s "$dir/out" ]] || { echo "unexpected output: $(cat "$dir/out")"; exit 1; }
}

expect_refusal "lumora: no display: set DISPLAY or run under xvfb-run" "${bare[@]}" "$dir/lumora" /NoSplash
expect_refusal "lumora: no display: set DISPLAY or run under xvfb-run" \
  "${bare[@]}" QT_QPA_PLATFORM=xcb "$dir/lumora" /NoSplash
# A local display number no X server listens on.
number=7391
while [[ -e /tmp/.X11-unix/X$number ]]; do number=$((number + 1)); done
expect_refusal "lumora: no display: the X server of DISPLAY=:$number does not answer; start it or run under xvfb-run" \
  "${bare[@]}" DISPLAY=:$number "$dir/lumora" /NoSplash

# No display, but a platform that needs none: the window opens (and is saved as a picture).
"${bare[@]}" QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy LUMORA_SCREENSHOT="$dir/shot.png" \
  timeout 60 "$dir/lumora" /NoSplash
[[ -s "$dir/shot.png" ]] || { echo "no screenshot on the offscreen platform"; exit 1; }

# --help and --version need no display either: they print and exit 0; as a later argument they are not
# switches, and the program says it has no display as before.
"${bare[@]}" "$dir/lumora" --version >"$dir/out"
[[ "$(cat "$dir/out")" =~ ^"Lumora Viewer "[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "--version printed: $(cat "$dir/out")"; exit 1; }
"${bare[@]}" "$dir/lumora" --help >"$dir/out"
grep -q "^Usage: lumora \[/NoSplash | /edit | /Compress FOLDER ARCHIVE\]" "$dir/out" || { echo "--help printed: $(cat "$dir/out")"; exit 1; }
expect_refusal "lumora: no display: set DISPLAY or run under xvfb-run" "${bare[@]}" "$dir/lumora" /NoSplash --version
expect_refusal "lumora: no display: set DISPLAY or run under xvfb-run" "${bare[@]}" "$dir/lumora" --Version
